#include "weather/station_post.h"

#include <strings.h>
#include <cstdio>
#include <ctime>
#include <initializer_list>

namespace {

// The value of the last field of one of these names (a console repeating a name means the
// later one); nullptr when there is none.
const std::string* valueOf(const PostFields& fields, const char* name) {
    const std::string* found = nullptr;
    for (const auto& [key, value] : fields) {
        if (strcasecmp(key.c_str(), name) == 0) {
            found = &value;
        }
    }
    return found;
}

// The reading of the first name the post has a value for; consoles send -9999 for a sensor
// they have lost.
std::optional<double> numberOf(const PostFields& fields, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const std::string* text = valueOf(fields, name);
        if (text == nullptr) {
            continue;
        }
        std::optional<double> value = parseReading(*text);
        if (value && *value > -9999.0 + 0.5) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<double> converted(std::optional<double> value, double (*convert)(double)) {
    return value ? std::optional<double>(convert(*value)) : std::nullopt;
}

// "2026-12-07 16:03:45" in UTC; the blank may also be a "+" or a "T" where the decoding left
// it so.
std::optional<std::int64_t> utcSeconds(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    char separator = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator,
                    &hour, &minute, &second, &used) != 7 ||
        static_cast<size_t>(used) != text.size() ||
        (separator != ' ' && separator != '+' && separator != 'T')) {
        return std::nullopt;
    }
    // sscanf takes "-5" for a two-digit field, and timegm would quietly move it into range.
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    std::time_t seconds = timegm(&utc);
    // timegm moves 31 February on into March: that is no date.
    if (utc.tm_mday != day || utc.tm_mon != month - 1) {
        return std::nullopt;
    }
    return seconds;
}

}  // namespace

StationReadings parseStationPost(const PostFields& fields, std::int64_t nowSeconds) {
    StationReadings r;
    const std::string* date = valueOf(fields, "dateutc");
    std::optional<std::int64_t> time = date != nullptr ? utcSeconds(*date) : std::nullopt;
    r.time = time ? *time : nowSeconds;
    r.outdoorTemperature = converted(numberOf(fields, {"tempf"}), &fahrenheitToCelsius);
    r.indoorTemperature =
        converted(numberOf(fields, {"tempinf", "indoortempf"}), &fahrenheitToCelsius);
    r.outdoorHumidity = numberOf(fields, {"humidity"});
    r.indoorHumidity = numberOf(fields, {"humidityin", "indoorhumidity"});
    r.pressureRelative = converted(numberOf(fields, {"baromrelin", "baromin"}), &inHgToHpa);
    r.pressureAbsolute = converted(numberOf(fields, {"baromabsin", "absbaromin"}), &inHgToHpa);
    r.windDirection = numberOf(fields, {"winddir"});
    r.windSpeed = converted(numberOf(fields, {"windspeedmph"}), &mphToKmh);
    // The piezo gauge's names only where the post has no classic gauge.
    r.rain1h = converted(numberOf(fields, {"hourlyrainin", "rainin", "hrain_piezo"}), &inchToMm);
    r.rain24h = converted(numberOf(fields, {"dailyrainin", "drain_piezo"}), &inchToMm);
    // The longest running total the post has.
    r.rainTotal = converted(numberOf(fields, {"totalrainin", "yearlyrainin", "yrain_piezo",
                                              "monthlyrainin", "mrain_piezo"}),
                            &inchToMm);
    r.dewpoint = converted(numberOf(fields, {"dewptf"}), &fahrenheitToCelsius);
    r.windchill = converted(numberOf(fields, {"windchillf"}), &fahrenheitToCelsius);
    completeReadings(r);
    return r;
}

bool hasAnyReading(const StationReadings& r) {
    for (const std::optional<double>* reading :
         {&r.indoorTemperature, &r.outdoorTemperature, &r.indoorHumidity, &r.outdoorHumidity,
          &r.pressureAbsolute, &r.pressureRelative, &r.windDirection, &r.windSpeed, &r.rain1h,
          &r.rain24h, &r.rainTotal, &r.dewpoint, &r.windchill}) {
        if (reading->has_value()) {
            return true;
        }
    }
    return false;
}

bool postKeyMatches(const PostFields& fields, const std::string& key) {
    if (key.empty()) {
        return true;
    }
    for (const char* name : {"PASSKEY", "PASSWORD"}) {
        const std::string* given = valueOf(fields, name);
        if (given == nullptr || given->size() != key.size()) {
            continue;
        }
        // Every byte compared, so the time taken does not tell how much of a guess was right.
        unsigned char difference = 0;
        for (size_t i = 0; i < key.size(); ++i) {
            difference |= static_cast<unsigned char>((*given)[i] ^ key[i]);
        }
        if (difference == 0) {
            return true;
        }
    }
    return false;
}
