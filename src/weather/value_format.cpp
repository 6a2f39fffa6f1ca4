// Readings as display texts: the data types, their format lists and the date and time layouts.
#include <ctime>
#include <vector>

#include "base/lang_string.h"
#include "base/settings.h"
#include "weather/weather_data.h"

namespace {

constexpr int kTypeCount = 15;
constexpr unsigned kTypeNamesList = 137;

struct DataTypeRow {
    const char* section;
    unsigned formatList;
    std::vector<const char*> keys;
};

const DataTypeRow kDataTypes[kTypeCount] = {
    {"time",
     135,
     {"last_actualisation", "last_actualisation", "last_actualisation", "last_actualisation",
      "last_actualisation"}},
    {"time", 134, {"last_actualisation", "last_actualisation"}},
    {"indoor_temperature", 131, {"deg_c", "deg_f"}},
    {"outdoor_temperature", 131, {"deg_c", "deg_f"}},
    {"indoor_humidity", 136, {"percent"}},
    {"outdoor_humidity", 136, {"percent"}},
    {"pressure_absolute", 133, {"hpa", "inhg"}},
    {"pressure_relative", 133, {"hpa", "inhg"}},
    {"wind_direction", 130, {"deg", "name"}},
    {"wind_speed", 129, {"kmh", "mps", "mph", "bft", "knt"}},
    {"rain_1h", 132, {"mm", "inch"}},
    {"rain_24h", 132, {"mm", "inch"}},
    {"rain_total", 132, {"mm", "inch"}},
    {"dewpoint", 131, {"deg_c", "deg_f"}},
    {"windchill", 131, {"deg_c", "deg_f"}},
};

const char* const kDatePatterns[] = {"%d.%m.%Y", "%d.%m.%y", "%m.%d.%y", "%m.%d.%Y", "%Y-%m-%d"};
const char* const kTimePatterns[] = {"%H:%M", "%I:%M %p"};

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        auto end = list.find(';', start);
        items.push_back(list.substr(start, end - start));
        if (end == std::string::npos) {
            return items;
        }
        start = end + 1;
    }
}

// The type names and format lists, in the language in use at their first use.
struct NameLists {
    std::vector<std::string> typeNames;
    std::vector<std::vector<std::string>> formatNames;

    NameLists() {
        unsigned short langId = CSettings::Instance().GetLangID();
        typeNames = splitList(LoadLangString(kTypeNamesList, langId));
        for (const DataTypeRow& row : kDataTypes) {
            formatNames.push_back(splitList(LoadLangString(row.formatList, langId)));
        }
    }
};

const NameLists& nameLists() {
    static const NameLists lists;
    return lists;
}

const std::string& itemOr(const std::vector<std::string>& items, size_t index) {
    static const std::string none;
    return index < items.size() ? items[index] : none;
}

void appendNumber(std::string& out, int value, int width) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", width, value);
    out += digits;
}

// Only the conversions the layouts use, so the text does not depend on the C locale.
std::string formatTime(const std::tm& t, const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
            case 'd':
                appendNumber(out, t.tm_mday, 2);
                break;
            case 'm':
                appendNumber(out, t.tm_mon + 1, 2);
                break;
            case 'Y':
                appendNumber(out, t.tm_year + 1900, 4);
                break;
            case 'y':
                appendNumber(out, ((t.tm_year + 1900) % 100 + 100) % 100, 2);
                break;
            case 'H':
                appendNumber(out, t.tm_hour, 2);
                break;
            case 'I':
                appendNumber(out, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2);
                break;
            case 'M':
                appendNumber(out, t.tm_min, 2);
                break;
            case 'S':
                appendNumber(out, t.tm_sec, 2);
                break;
            case 'p':
                out += t.tm_hour < 12 ? "AM" : "PM";
                break;
            default:
                out += '%';
                out += *p;
        }
    }
    return out;
}

struct Request {
    size_t type;
    size_t format;
};

// Values outside the lists read as their first entry.
Request clampRequest(WeatherDataType type, int format) {
    int typeIndex = static_cast<int>(type);
    if (typeIndex < 0 || typeIndex >= kTypeCount) {
        typeIndex = 0;
    }
    int formatCount = static_cast<int>(kDataTypes[typeIndex].keys.size());
    if (format < 0 || format >= formatCount) {
        format = 0;
    }
    return {static_cast<size_t>(typeIndex), static_cast<size_t>(format)};
}

}  // namespace

std::string formatStamp(const std::string& stamp, const char* pattern) {
    std::int64_t seconds = stampSeconds(stamp);
    std::time_t whole = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (seconds < 0 || localtime_r(&whole, &local) == nullptr) {
        return "";
    }
    std::string text = formatTime(local, pattern);
    return text.size() < 128 ? text : "";
}

DataTypeInfo CWeatherData::GetDataTypeInfo(WeatherDataType type, int format) {
    Request request = clampRequest(type, format);
    const DataTypeRow& row = kDataTypes[request.type];
    const NameLists& lists = nameLists();
    return DataTypeInfo{row.section,
                        itemOr(lists.typeNames, request.type),
                        kTypeCount,
                        row.keys[request.format],
                        itemOr(lists.formatNames[request.type], request.format),
                        static_cast<int>(row.keys.size())};
}

std::string CWeatherData::FormatValue(WeatherDataType type, int format) const {
    DataTypeInfo info = GetDataTypeInfo(type, format);
    std::string value;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        value = stripBlanksAndQuotes(GetValue(info.key, info.section));
    }
    return FormatReading(type, format, value);
}

std::string CWeatherData::FormatReading(WeatherDataType type, int format,
                                        const std::string& value) {
    Request request = clampRequest(type, format);
    DataTypeInfo info = GetDataTypeInfo(type, format);
    switch (static_cast<WeatherDataType>(request.type)) {
        case WeatherDataType::Date:
            return formatStamp(value, kDatePatterns[request.format]);
        case WeatherDataType::Time:
            return formatStamp(value, kTimePatterns[request.format]);
        case WeatherDataType::WindDirection:
            // The compass name is shown without a unit, the blank before it stays.
            if (request.format == 1) {
                info.formatName.clear();
            }
            break;
        default:
            break;
    }
    return value == "OFL" ? value : value + " " + info.formatName;
}
