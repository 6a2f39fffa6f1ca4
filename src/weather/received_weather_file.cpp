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

}  // namespace

ReceivedWeatherFile::ReceivedWeatherFile(std::string path)
    : m_path(std::move(path)),
      m_historyPath(m_path + ".pressures"),
      m_history(PressureHistory::Parse(fileText(m_historyPath))) {}

bool ReceivedWeatherFile::Write(const StationReadings& readings, std::string& error) {
    PressureHistory history = m_history;
    WeatherStates states = statesFromHistory(history, readings);
    if (!replaceFileAtomically(m_path, weatherFileText(weatherFileEntries(readings, states)))) {
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    m_history = std::move(history);
    // Without it the next start only forgets the tendency: the readings themselves are written.
    if (!replaceFileAtomically(m_historyPath, m_history.Text())) {
        error = m_historyPath + ": " + std::strerror(errno);
    }
    return true;
}
