// realtime.txt: one line of blank-separated fields, counted from 1.
#include <charconv>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/source_fields.h"
#include "weather/text_sources.h"

namespace {

constexpr int kRealtimeFields = 17;  // up to the units

struct DateParts {
    int first = 0, second = 0, third = 0;
};

bool toInt(std::string_view text, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Three numbers with one of the separators between them, the same one twice.
bool splitThree(std::string_view text, std::string_view separators, DateParts& parts) {
    auto one = text.find_first_of(separators);
    if (one == std::string_view::npos) {
        return false;
    }
    auto two = text.find(text[one], one + 1);
    if (two == std::string_view::npos) {
        return false;
    }
    return toInt(text.substr(0, one), parts.first) &&
           toInt(text.substr(one + 1, two - one - 1), parts.second) &&
           toInt(text.substr(two + 1), parts.third);
}

bool isDate(std::string_view text, DateParts& parts) {
    return splitThree(text, "/.-", parts);
}

bool isTime(std::string_view text, DateParts& parts) {
    if (splitThree(text, ":", parts)) {
        return true;
    }
    auto colon = text.find(':');
    parts.third = 0;
    return colon != std::string_view::npos && toInt(text.substr(0, colon), parts.first) &&
           toInt(text.substr(colon + 1), parts.second);
}

int fullYear(int year) {
    return year < 100 ? 2000 + year : year;
}

}  // namespace

bool looksLikeRealtimeText(std::string_view text) {
    std::vector<std::string_view> fields = splitFields(firstLine(text));
    DateParts date, time;
    return fields.size() >= 2 && isDate(fields[0], date) && isTime(fields[1], time);
}

ParsedReadings parseRealtimeText(std::string_view text) {
    ParsedReadings parsed;
    SourceFields fields(splitFields(firstLine(text)), 1);
    if (fields.Count() < kRealtimeFields) {
        parsed.error = LangString(
            kTextTooFewFields, {std::to_string(fields.Count()), std::to_string(kRealtimeFields)});
        return parsed;
    }
    DateParts date, time;
    if (!isDate(fields.Text(1), date) || !isTime(fields.Text(2), time) ||
        !(parsed.readings.time = localSeconds(fullYear(date.third), date.second, date.first,
                                              time.first, time.second, time.third))) {
        parsed.error = LangString(kTextNoDateAndTime, {"1", "2"});
        return parsed;
    }

    std::string_view windUnit = fields.Text(14);
    std::string_view temperatureUnit = fields.Text(15);
    std::string_view pressureUnit = fields.Text(16);
    std::string_view rainUnit = fields.Text(17);
    double (*wind)(double) = nullptr;
    if (windUnit == "km/h" || windUnit == "kmh") {
        wind = [](double v) { return v; };
    } else if (windUnit == "m/s") {
        wind = metresPerSecondToKmh;
    } else if (windUnit == "mph") {
        wind = mphToKmh;
    } else if (windUnit == "kts" || windUnit == "knots" || windUnit == "kn") {
        wind = knotsToKmh;
    }
    bool fahrenheit = temperatureUnit == "F" || temperatureUnit == "°F";
    bool celsius = temperatureUnit == "C" || temperatureUnit == "°C";
    double pressureFactor = pressureUnit == "hPa" || pressureUnit == "mb"    ? 1.0
                            : pressureUnit == "in" || pressureUnit == "inHg" ? inHgToHpa(1.0)
                            : pressureUnit == "kPa"                          ? 10.0
                                                                             : 0.0;
    double rainFactor = rainUnit == "mm" ? 1.0 : rainUnit == "in" ? 25.4 : 0.0;
    auto unitError = [&](int field) {
        parsed.error = LangString(kTextUnknownUnitInField,
                                  {std::to_string(field), std::string(fields.Text(field))});
        return parsed;
    };
    if (wind == nullptr) {
        return unitError(14);
    }
    if (!fahrenheit && !celsius) {
        return unitError(15);
    }
    if (pressureFactor == 0.0) {
        return unitError(16);
    }
    if (rainFactor == 0.0) {
        return unitError(17);
    }

    auto temperature = [&](int field) -> std::optional<double> {
        auto value = fields.Number(field);
        return value && fahrenheit ? std::optional(fahrenheitToCelsius(*value)) : value;
    };
    auto scaled = [&](int field, double factor) -> std::optional<double> {
        auto value = fields.Number(field);
        return value ? std::optional(*value * factor) : value;
    };
    StationReadings& r = parsed.readings;
    r.outdoorTemperature = temperature(3);
    r.outdoorHumidity = fields.Number(4);
    r.dewpoint = temperature(5);
    if (auto speed = fields.Number(6)) {
        r.windSpeed = wind(*speed);
    }
    r.windDirection = fields.Number(8);
    r.rain24h = scaled(10, rainFactor);
    r.pressureRelative = scaled(11, pressureFactor);
    r.rainTotal = scaled(21, rainFactor);
    r.indoorTemperature = temperature(23);
    r.indoorHumidity = fields.Number(24);
    r.windchill = temperature(25);
    r.rain1h = scaled(48, rainFactor);
    // The Zambretti letters A to Z as 1 to 26: fine, then changeable, then unsettled.
    if (auto forecast = fields.Number(49); forecast && *forecast >= 1 && *forecast <= 26) {
        r.forecastPicture = *forecast <= 6 ? 2 : *forecast <= 16 ? 1 : 0;
    }
    parsed.error = fields.Error();
    return parsed;
}
