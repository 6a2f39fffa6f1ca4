#include "weather/weather_data.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "weather/readings_age.h"

namespace {

constexpr std::int64_t kOneDay = 24 * 60 * 60;

const char* sectionOf(WeatherStateKind kind) {
    switch (kind) {
        case WeatherStateKind::WeatherTendency:
            return "weather_tendency";
        case WeatherStateKind::StormAlarm:
            return "storm_alarm";
        default:
            return "weather_picture";
    }
}

// True when the file has a value for any reading or weather state.
bool holdsAReading(const CDataFile& file) {
    for (int type = 0; type <= static_cast<int>(WeatherDataType::Windchill); ++type) {
        DataTypeInfo info = CWeatherData::GetDataTypeInfo(static_cast<WeatherDataType>(type), 0);
        for (int format = 0; format < info.formatCount; ++format) {
            info = CWeatherData::GetDataTypeInfo(static_cast<WeatherDataType>(type), format);
            if (!file.GetValue(info.key, info.section).empty()) {
                return true;
            }
        }
    }
    for (auto kind : {WeatherStateKind::WeatherPicture, WeatherStateKind::WeatherTendency,
                      WeatherStateKind::StormAlarm}) {
        if (!file.GetValue("number", sectionOf(kind)).empty()) {
            return true;
        }
    }
    return false;
}

// What was read and when, from the file's time stamp; the kind alone without one.
std::string readingsOf(WeatherSourceKind kind, const std::string& stamp) {
    std::string time = formatStamp(stamp, "%d.%m.%Y %H:%M:%S");
    return time.empty() ? weatherSourceName(kind)
                        : LangString(kTextReadingsOf, {weatherSourceName(kind), time});
}

}  // namespace

CWeatherData::CWeatherData() {
    Reload();
}

bool CWeatherData::Reload() {
    std::string path = CSettings::Instance().GetWeatherFilePath();
    WeatherSourceKind kind = weatherSourceOf(path);
    return kind == WeatherSourceKind::StationFile ? ReloadStationFile(path)
                                                  : ReloadOtherSource(path, kind);
}

bool CWeatherData::ReloadStationFile(const std::string& path) {
    CDataFile fresh;
    bool read = fresh.Load(path) && holdsAReading(fresh);
    std::lock_guard<std::mutex> guard(m_lock);
    m_problem.clear();
    if (!read) {
        return false;
    }
    if (m_kind != WeatherSourceKind::StationFile) {
        static_cast<CDataFile&>(*this) = CDataFile();
        m_kind = WeatherSourceKind::StationFile;
    }
    for (const DataFileSection& section : fresh.Sections()) {
        for (const DataFileKey& key : section.keys) {
            SetValue(key.name, key.value, key.comment, section.name);
        }
    }
    return true;
}

bool CWeatherData::ReloadOtherSource(const std::string& path, WeatherSourceKind kind) {
    SourceReadings source = readWeatherSource(path, kind);
    std::lock_guard<std::mutex> guard(m_lock);
    m_problem = source.parsed.error;
    if (!m_problem.empty()) {
        return false;
    }
    completeReadings(source.parsed.readings);
    if (m_historyPath != path) {
        m_history = PressureHistory();
        m_historyPath = path;
    }
    WeatherStates states =
        source.states ? *source.states : statesFromHistory(m_history, source.parsed.readings);
    CDataFile fresh;
    for (const WeatherFileEntry& entry : weatherFileEntries(source.parsed.readings, states)) {
        fresh.SetValue(entry.key, entry.value, "", entry.section);
    }
    static_cast<CDataFile&>(*this) = std::move(fresh);
    m_kind = kind;
    return true;
}

std::string CWeatherData::SourceDescription() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return readingsOf(m_kind, stripBlanksAndQuotes(GetValue("last_actualisation", "time")));
}

std::string CWeatherData::LastProblem() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_problem;
}

bool CWeatherData::IsOutdated() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string stamp = stripBlanksAndQuotes(GetValue("last_actualisation", "time"));
    return readingsAge(stamp, Clock::NowSeconds()) >= kOneDay;
}

std::string CWeatherData::TooOldProblem(int maxMinutes) const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string stamp = stripBlanksAndQuotes(GetValue("last_actualisation", "time"));
    return tooOldProblem(stamp, Clock::NowSeconds(), maxMinutes);
}

int CWeatherData::GetState(WeatherStateKind kind) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return GetInt("number", sectionOf(kind));
}

unsigned stateTextId(WeatherStateKind kind, int value) {
    switch (kind) {
        case WeatherStateKind::WeatherPicture: {
            static const unsigned ids[] = {321, 320, 319};  // rainy, changeable, sunny
            return value >= 0 && value <= 2 ? ids[value] : 0;
        }
        case WeatherStateKind::WeatherTendency: {
            static const unsigned ids[] = {316, 317, 318};  // steady, rising, falling
            return value >= 0 && value <= 2 ? ids[value] : 0;
        }
        case WeatherStateKind::StormAlarm:
            return value == 1 ? 178 : 0;
    }
    return 0;
}

std::string WeatherFileProblem() {
    std::string path = CSettings::Instance().GetWeatherFilePath();
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        return LangString(kTextWeatherFileMissing, {path});
    }
    std::string problem = CWeatherData::Instance().LastProblem();
    if (!problem.empty()) {
        return LangString(kTextWeatherFileUnreadable, {path, problem});
    }
    return LangString(kTextCouldNotParseWeatherData) + " (" + path + ")";
}

std::string WeatherFileWarning() {
    std::error_code ignored;
    if (!std::filesystem::exists(CSettings::Instance().GetWeatherFilePath(), ignored)) {
        return WeatherFileProblem();
    }
    if (!CWeatherData::Instance().LastProblem().empty()) {
        return WeatherFileProblem() + " " + LangString(kTextLastReadingsKept);
    }
    return CWeatherData::Instance().IsOutdated() ? LangString(kTextWeatherDataOutdated) : "";
}

std::string DescribeWeatherFile(const std::string& path) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        return LangString(kTextWeatherFileMissing, {path});
    }
    WeatherSourceKind kind = weatherSourceOf(path);
    if (kind == WeatherSourceKind::StationFile) {
        CDataFile file;
        if (!file.Load(path) || !holdsAReading(file)) {
            return LangString(kTextCouldNotParseWeatherData) + " (" + path + ")";
        }
        return readingsOf(kind, stripBlanksAndQuotes(file.GetValue("last_actualisation", "time")));
    }
    SourceReadings source = readWeatherSource(path, kind);
    if (!source.parsed.error.empty()) {
        return LangString(kTextWeatherFileUnreadable, {path, source.parsed.error});
    }
    std::optional<std::int64_t> time = source.parsed.readings.time;
    return readingsOf(kind, time ? std::to_string(*time + kStampOffset) : "");
}
