#include "weather/station_readings.h"

#include <algorithm>
#include <charconv>

#include <cmath>
#include "weather/data_file.h"

namespace {

// Independent of the C locale, which the desktop program takes from the user.
std::string fixed(double value, int decimals) {
    char text[64];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    // What no sensor can read is shown as the station program shows it.
    if (end.ec != std::errc() || !std::isfinite(value)) {
        return "OFL";
    }
    std::string result(text, end.ptr);
    // "-0.0" reads oddly on an image.
    if (result.find_first_not_of("-0.") == std::string::npos && result.front() == '-') {
        result.erase(0, 1);
    }
    return result;
}

void addTemperature(std::vector<WeatherFileEntry>& entries, const char* section,
                    const std::optional<double>& celsius) {
    if (celsius) {
        entries.push_back({section, "deg_c", fixed(*celsius, 1)});
        entries.push_back({section, "deg_f", fixed(*celsius * 9.0 / 5.0 + 32.0, 1)});
    }
}

void addPressure(std::vector<WeatherFileEntry>& entries, const char* section,
                 const std::optional<double>& hpa) {
    if (hpa) {
        entries.push_back({section, "hpa", fixed(*hpa, 1)});
        entries.push_back({section, "inhg", fixed(*hpa / inHgToHpa(1.0), 2)});
    }
}

void addRain(std::vector<WeatherFileEntry>& entries, const char* section,
             const std::optional<double>& mm) {
    if (mm) {
        entries.push_back({section, "mm", fixed(*mm, 1)});
        entries.push_back({section, "inch", fixed(*mm / 25.4, 2)});
    }
}

void addState(std::vector<WeatherFileEntry>& entries, const char* section,
              const std::optional<int>& state) {
    if (state) {
        entries.push_back({section, "number", std::to_string(*state)});
    }
}

}  // namespace

std::int64_t stampSeconds(const std::string& stamp) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(parseDecimal(stamp)) -
                                     static_cast<std::uint64_t>(kStampOffset));
}

std::optional<double> parseReading(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::string number(text);
    if (auto comma = number.find(','); comma != std::string::npos) {
        number[comma] = '.';
    }
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double dewpointOf(double celsius, double humidity) {
    constexpr double a = 17.62;
    constexpr double b = 243.12;
    double gamma = std::log(std::max(humidity, 1.0) / 100.0) + a * celsius / (b + celsius);
    return b * gamma / (a - gamma);
}

double windchillOf(double celsius, double kmh) {
    if (celsius > 10.0 || kmh < 4.8) {
        return celsius;
    }
    double power = std::pow(kmh, 0.16);
    return 13.12 + 0.6215 * celsius - 11.37 * power + 0.3965 * celsius * power;
}

int beaufortOf(double kmh) {
    // Upper bounds of each force in m/s.
    static const double bounds[] = {0.3,  1.6,  3.4,  5.5,  8.0,  10.8,
                                    13.9, 17.2, 20.8, 24.5, 28.5, 32.7};
    double mps = kmh / 3.6;
    int force = 0;
    while (force < 12 && mps >= bounds[force]) {
        ++force;
    }
    return force;
}

std::string compassNameOf(double degrees) {
    static const char* const names[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                        "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
    double turned = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    return names[static_cast<int>(std::floor(turned / 22.5 + 0.5)) % 16];
}

void completeReadings(StationReadings& readings) {
    if (!readings.dewpoint && readings.outdoorTemperature && readings.outdoorHumidity &&
        *readings.outdoorHumidity > 0) {
        readings.dewpoint = dewpointOf(*readings.outdoorTemperature, *readings.outdoorHumidity);
    }
    if (!readings.windchill && readings.outdoorTemperature && readings.windSpeed) {
        readings.windchill = windchillOf(*readings.outdoorTemperature, *readings.windSpeed);
    }
}

std::vector<WeatherFileEntry> weatherFileEntries(const StationReadings& readings,
                                                 const WeatherStates& states) {
    std::vector<WeatherFileEntry> entries;
    if (readings.time) {
        entries.push_back(
            {"time", "last_actualisation", std::to_string(*readings.time + kStampOffset)});
    }
    addState(entries, "weather_picture", states.picture);
    addState(entries, "weather_tendency", states.tendency);
    addState(entries, "storm_alarm", states.stormAlarm);
    addTemperature(entries, "indoor_temperature", readings.indoorTemperature);
    addTemperature(entries, "outdoor_temperature", readings.outdoorTemperature);
    if (readings.indoorHumidity) {
        entries.push_back({"indoor_humidity", "percent", fixed(*readings.indoorHumidity, 0)});
    }
    if (readings.outdoorHumidity) {
        entries.push_back({"outdoor_humidity", "percent", fixed(*readings.outdoorHumidity, 0)});
    }
    addPressure(entries, "pressure_absolute", readings.pressureAbsolute);
    addPressure(entries, "pressure_relative", readings.pressureRelative);
    if (readings.windDirection) {
        double degrees = std::fmod(std::fmod(*readings.windDirection, 360.0) + 360.0, 360.0);
        entries.push_back({"wind_direction", "deg", fixed(degrees, 0)});
        entries.push_back({"wind_direction", "name", compassNameOf(degrees)});
    }
    if (readings.windSpeed) {
        double kmh = *readings.windSpeed;
        entries.push_back({"wind_speed", "kmh", fixed(kmh, 1)});
        entries.push_back({"wind_speed", "mps", fixed(kmh / 3.6, 1)});
        entries.push_back({"wind_speed", "mph", fixed(kmh / mphToKmh(1.0), 1)});
        entries.push_back({"wind_speed", "bft", std::to_string(beaufortOf(kmh))});
        entries.push_back({"wind_speed", "knt", fixed(kmh / knotsToKmh(1.0), 1)});
    }
    addRain(entries, "rain_1h", readings.rain1h);
    addRain(entries, "rain_24h", readings.rain24h);
    addRain(entries, "rain_total", readings.rainTotal);
    addTemperature(entries, "dewpoint", readings.dewpoint);
    addTemperature(entries, "windchill", readings.windchill);
    return entries;
}

std::string weatherFileText(const std::vector<WeatherFileEntry>& entries) {
    std::string text = "; Current readings of the weather station\n";
    const std::string* section = nullptr;
    for (const WeatherFileEntry& entry : entries) {
        if (section == nullptr || *section != entry.section) {
            text += "\n[" + entry.section + "]\n";
            section = &entry.section;
        }
        text += entry.key + " = " + entry.value + "\n";
    }
    return text;
}
