#include "weather/weather_data.h"

#include <filesystem>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"

namespace {

// The file counts whole seconds from 1900 less 16 seconds.
constexpr std::int64_t kTimeOffset = 2208988784;
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

}  // namespace

CWeatherData::CWeatherData() {
    Reload();
}

bool CWeatherData::Reload() {
    std::string path = CSettings::Instance().GetWeatherFilePath();
    CDataFile fresh;
    if (!fresh.Load(path) || !holdsAReading(fresh)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    for (const DataFileSection& section : fresh.Sections()) {
        for (const DataFileKey& key : section.keys) {
            SetValue(key.name, key.value, key.comment, section.name);
        }
    }
    return true;
}

bool CWeatherData::IsOutdated() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string stamp = stripBlanksAndQuotes(GetValue("last_actualisation", "time"));
    // Unsigned arithmetic: a hostile stamp may not overflow into undefined behaviour.
    auto taken = static_cast<std::uint64_t>(parseDecimal(stamp)) - kTimeOffset;
    auto age = static_cast<std::int64_t>(static_cast<std::uint64_t>(Clock::NowSeconds()) - taken);
    return age >= kOneDay;
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
    return LangString(kTextCouldNotParseWeatherData) + " (" + path + ")";
}

std::string WeatherFileWarning() {
    std::error_code ignored;
    if (!std::filesystem::exists(CSettings::Instance().GetWeatherFilePath(), ignored)) {
        return WeatherFileProblem();
    }
    return CWeatherData::Instance().IsOutdated() ? LangString(kTextWeatherDataOutdated) : "";
}
