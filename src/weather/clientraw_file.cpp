// clientraw.txt: blank-separated fields counted from 0, where field 0 is "12345".
#include <charconv>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/source_fields.h"
#include "weather/text_sources.h"

namespace {

constexpr int kClientrawFields = 37;  // up to the day and month

int wholeNumber(std::optional<double> value) {
    // Out of every range a clock or calendar field has, and safe to convert.
    return value && *value > -1.0 && *value < 10000.0 ? static_cast<int>(*value) : -1;
}

// The year is the last of the date field's three parts; without one, the year in which the day
// and month lie at most a day ahead.
int yearOf(std::string_view date, int month, int day) {
    auto last = date.find_last_of("/.-");
    int year = 0;
    if (last != std::string_view::npos) {
        std::string_view text = date.substr(last + 1);
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), year);
        if (error == std::errc() && end == text.data() + text.size() && year >= 0) {
            return year < 100 ? 2000 + year : year;
        }
    }
    std::time_t now = static_cast<std::time_t>(Clock::NowSeconds());
    std::tm local{};
    localtime_r(&now, &local);
    year = local.tm_year + 1900;
    bool ahead = month > local.tm_mon + 1 || (month == local.tm_mon + 1 && day > local.tm_mday + 1);
    return ahead ? year - 1 : year;
}

}  // namespace

bool looksLikeClientrawText(std::string_view text) {
    std::vector<std::string_view> fields = splitFields(firstLine(text));
    return !fields.empty() && fields[0] == "12345";
}

ParsedReadings parseClientrawText(std::string_view text) {
    ParsedReadings parsed;
    std::vector<std::string_view> split = splitFields(firstLine(text));
    // The version marker at the end is no reading.
    if (!split.empty() && split.back().starts_with("!!")) {
        split.pop_back();
    }
    SourceFields fields(std::move(split), 0);
    if (fields.Count() < kClientrawFields) {
        parsed.error = LangString(
            kTextTooFewFields, {std::to_string(fields.Count()), std::to_string(kClientrawFields)});
        return parsed;
    }
    int hour = wholeNumber(fields.Number(29));
    int minute = wholeNumber(fields.Number(30));
    int second = wholeNumber(fields.Number(31));
    int day = wholeNumber(fields.Number(35));
    int month = wholeNumber(fields.Number(36));
    std::string_view date = fields.Text(74);
    parsed.readings.time = localSeconds(yearOf(date, month, day), month, day, hour, minute, second);
    if (!parsed.readings.time) {
        parsed.error = !fields.Error().empty()
                           ? fields.Error()
                           : LangString(kTextNoDateAndTime, {"35, 36, 74", "29–31"});
        return parsed;
    }

    auto scaled = [&](int field, double (*convert)(double)) -> std::optional<double> {
        auto value = fields.Number(field);
        return value ? std::optional(convert(*value)) : value;
    };
    StationReadings& r = parsed.readings;
    r.windSpeed = scaled(1, knotsToKmh);
    r.windDirection = fields.Number(3);
    r.outdoorTemperature = fields.Number(4);
    r.outdoorHumidity = fields.Number(5);
    r.pressureRelative = fields.Number(6);
    r.rain24h = fields.Number(7);
    r.rainTotal = fields.Number(9);
    r.indoorTemperature = fields.Number(12);
    r.indoorHumidity = fields.Number(13);
    r.windchill = fields.Number(44);
    r.dewpoint = fields.Number(72);
    parsed.error = fields.Error();
    return parsed;
}
