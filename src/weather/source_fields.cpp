#include "weather/source_fields.h"

#include <ctime>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/station_readings.h"

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) {
            break;
        }
        size_t end = line.find_first_of(" \t", at);
        fields.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        at = end;
    }
    return fields;
}

std::string_view firstLine(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    auto end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

std::optional<std::int64_t> localSeconds(int year, int month, int day, int hour, int minute,
                                         int second) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60 || year < 1970 || year > 9999) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    // mktime moves 31 February on into March: that is no date.
    if (seconds == static_cast<std::time_t>(-1) || local.tm_mday != day) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(seconds);
}

std::string_view SourceFields::Text(int number) const {
    int index = number - m_first;
    return index >= 0 && index < Count() ? m_fields[static_cast<size_t>(index)]
                                         : std::string_view();
}

std::optional<double> SourceFields::Number(int number) {
    std::string_view text = Text(number);
    if (text.empty() || text.find_first_not_of('-') == std::string_view::npos || text == "N/A") {
        return std::nullopt;
    }
    std::optional<double> value = parseReading(text);
    if (!value) {
        // A garbled file must not flood the status line.
        std::string shown(text.substr(0, 24));
        for (char& c : shown) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
                c = '?';
            }
        }
        SetError(LangString(kTextNotANumberInField, {std::to_string(number), shown}));
    }
    return value;
}

void SourceFields::SetError(std::string error) {
    if (m_error.empty()) {
        m_error = std::move(error);
    }
}
