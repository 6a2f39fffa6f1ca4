#include "weather/received_weather_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/file_replace.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pressures file lags the readings by at most this.
constexpr std::int64_t kKeepEverySeconds = 5 * 60;

std::optional<std::int64_t> newestOf(const PressureHistory& history) {
    return history.Samples().empty() ? std::nullopt
                                     : std::optional<std::int64_t>(history.Samples().back().time);
}

}  // namespace

ReceivedWeatherFile::ReceivedWeatherFile(std::string path)
    : m_path(std::move(path)),
      m_historyPath(m_path + ".pressures"),
      m_history(PressureHistory::Parse(fileText(m_historyPath))),
      m_keptNewest(newestOf(m_history)) {}

ReceivedWeatherFile::~ReceivedWeatherFile() {
    std::string ignored;
    if (newestOf(m_history) != m_keptNewest) {
        KeepHistory(ignored);
    }
}

void ReceivedWeatherFile::KeepHistory(std::string& error) {
    // Tried again only after the same pause when it fails, not at every post.
    m_keptNewest = newestOf(m_history);
    if (!replaceFileAtomically(m_historyPath, m_history.Text(), NewFileAccess::Umask)) {
        error = m_historyPath + ": " + std::strerror(errno);
    }
}

bool ReceivedWeatherFile::Write(const StationReadings& readings, std::string& error) {
    PressureHistory history = m_history;
    WeatherStates states = statesFromHistory(history, readings);
    if (!replaceFileAtomically(m_path, weatherFileText(weatherFileEntries(readings, states)),
                               NewFileAccess::Umask)) {
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    m_history = std::move(history);
    std::optional<std::int64_t> newest = newestOf(m_history);
    if (newest && (!m_keptNewest || *newest - *m_keptNewest >= kKeepEverySeconds)) {
        // Without it the next start only forgets the tendency: the readings are written.
        KeepHistory(error);
    }
    return true;
}
