// Readings from any station source in one set of units, and how they become the weather file's
// sections in every unit the station program writes, with its decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The weather file counts whole seconds from 1900 less 16 seconds.
constexpr std::int64_t kStampOffset = 2208988784;

// Seconds since 1970 of a weather file's time stamp; a hostile stamp wraps instead of
// overflowing.
std::int64_t stampSeconds(const std::string& stamp);

// The stamp's local date or time in pattern (%d %m %Y %y %H %I %M %S %p, whatever the C locale);
// empty without a time before 1970 or past what the calendar can hold.
std::string formatStamp(const std::string& stamp, const char* pattern);

// A missing reading stays missing: nothing is invented for it.
struct StationReadings {
    std::optional<std::int64_t> time;         // seconds since 1970, UTC
    std::optional<double> indoorTemperature;  // °C
    std::optional<double> outdoorTemperature;
    std::optional<double> indoorHumidity;  // %
    std::optional<double> outdoorHumidity;
    std::optional<double> pressureAbsolute;  // hPa
    std::optional<double> pressureRelative;
    std::optional<double> windDirection;  // degrees
    std::optional<double> windSpeed;      // km/h
    std::optional<double> rain1h;         // mm
    std::optional<double> rain24h;
    std::optional<double> rainTotal;
    std::optional<double> dewpoint;  // °C
    std::optional<double> windchill;
    std::optional<int> forecastPicture;  // the source's own forecast as a weather picture number
};

// The three weather states as the weather file numbers them; missing when unknown.
struct WeatherStates {
    std::optional<int> picture;     // 0 rainy, 1 changeable, 2 sunny
    std::optional<int> tendency;    // 0 steady, 1 rising, 2 falling
    std::optional<int> stormAlarm;  // 0 or 1
};

struct WeatherFileEntry {
    std::string section;
    std::string key;
    std::string value;
};

// A number with a point or a comma before its decimals, blanks around it; nothing else.
std::optional<double> parseReading(std::string_view text);

// Magnus formula.
double dewpointOf(double celsius, double humidity);
// The usual formula; the temperature itself above 10 °C or in calm air.
double windchillOf(double celsius, double kmh);
int beaufortOf(double kmh);
// One of the 16 compass points.
std::string compassNameOf(double degrees);

// Fills in dew point and wind chill where the source lacks them and has what they come from.
void completeReadings(StationReadings& readings);

// The weather file's sections for these readings and states, every unit of each reading.
std::vector<WeatherFileEntry> weatherFileEntries(const StationReadings& readings,
                                                 const WeatherStates& states);

// The entries as the text of a weather file.
std::string weatherFileText(const std::vector<WeatherFileEntry>& entries);

// Unit conversions into the readings' units.
inline double fahrenheitToCelsius(double f) {
    return (f - 32.0) * 5.0 / 9.0;
}
inline double inHgToHpa(double inHg) {
    return inHg * 33.8638866667;
}
inline double mphToKmh(double mph) {
    return mph * 1.609344;
}
inline double knotsToKmh(double knots) {
    return knots * 1.852;
}
inline double metresPerSecondToKmh(double mps) {
    return mps * 3.6;
}
inline double inchToMm(double inch) {
    return inch * 25.4;
}
