#include <gtest/gtest.h>

#include "support/weather_values.h"
#include "weather/station_post.h"

namespace {

constexpr std::int64_t kNow = 1800000000;

struct PostCase {
    const char* name;
    PostFields fields;
    std::string key;
    bool accepted;  // the key matches
    bool readings;  // holds something to write
    Values expected;
};

const PostFields kEcowitt = {{"PASSKEY", "A1B2C3"},
                             {"stationtype", "EasyWeatherPro_V5.1.1"},
                             {"dateutc", "2026-12-07 16:03:45"},
                             {"tempinf", "68.0"},
                             {"humidityin", "45"},
                             {"baromrelin", "29.92"},
                             {"baromabsin", "29.50"},
                             {"tempf", "50.0"},
                             {"humidity", "87"},
                             {"winddir", "225"},
                             {"windspeedmph", "10.0"},
                             {"windgustmph", "14.0"},
                             {"hourlyrainin", "0.12"},
                             {"dailyrainin", "0.50"},
                             {"yearlyrainin", "20.00"}};

const PostFields kWunderground = {
    {"ID", "IWEATHER1"},    {"PASSWORD", "secret"},  {"action", "updateraw"},
    {"dateutc", "now"},     {"tempf", "41.0"},       {"humidity", "70"},
    {"dewptf", "35.6"},     {"windchillf", "39.2"},  {"baromin", "30.00"},
    {"winddir", "90"},      {"windspeedmph", "0"},   {"rainin", "0.04"},
    {"dailyrainin", "0.2"}, {"indoortempf", "71.6"}, {"indoorhumidity", "40"}};

PostFields with(PostFields fields, const PostFields& more) {
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
}

TEST(StationPost, BothProtocols) {
    const PostCase cases[] = {
        {"ecowitt",
         kEcowitt,
         "",
         true,
         true,
         {{"time.last_actualisation", "4005648209"},
          {"outdoor_temperature.deg_c", "10.0"},
          {"outdoor_temperature.deg_f", "50.0"},
          {"indoor_temperature.deg_c", "20.0"},
          {"outdoor_humidity.percent", "87"},
          {"indoor_humidity.percent", "45"},
          {"pressure_relative.hpa", "1013.2"},
          {"pressure_relative.inhg", "29.92"},
          {"pressure_absolute.hpa", "999.0"},
          {"wind_direction.name", "SW"},
          {"wind_speed.kmh", "16.1"},
          {"wind_speed.mph", "10.0"},
          {"rain_1h.mm", "3.0"},
          {"rain_1h.inch", "0.12"},
          {"rain_24h.mm", "12.7"},
          {"rain_total.mm", "508.0"},
          {"dewpoint.deg_c", "7.9"},
          {"windchill.deg_c", "7.8"}}},
        {"the longest rain total",
         with(kEcowitt, {{"totalrainin", "40.00"}}),
         "",
         true,
         true,
         {{"rain_total.mm", "1016.0"}, {"rain_total.inch", "40.00"}}},
        {"right passkey", kEcowitt, "A1B2C3", true, true, {}},
        {"wrong passkey", kEcowitt, "A1B2C4", false, true, {}},
        {"lost sensors and empty values",
         with(kEcowitt, {{"tempf", "-9999"}, {"humidity", ""}, {"baromrelin", "-9999.0"}}),
         "",
         true,
         true,
         {{"outdoor_temperature.deg_c", ""},
          {"outdoor_humidity.percent", ""},
          {"pressure_relative.hpa", ""},
          {"dewpoint.deg_c", ""},
          {"windchill.deg_c", ""},
          {"indoor_temperature.deg_c", "20.0"}}},
        {"wunderground",
         kWunderground,
         "secret",
         true,
         true,
         {{"time.last_actualisation", std::to_string(kNow + kStampOffset)},
          {"outdoor_temperature.deg_c", "5.0"},
          {"dewpoint.deg_c", "2.0"},
          {"windchill.deg_c", "4.0"},
          {"pressure_relative.hpa", "1015.9"},
          {"pressure_absolute.hpa", ""},
          {"wind_direction.name", "E"},
          {"wind_speed.bft", "0"},
          {"rain_1h.mm", "1.0"},
          {"rain_24h.mm", "5.1"},
          {"rain_total.mm", ""},
          {"indoor_temperature.deg_c", "22.0"},
          {"indoor_humidity.percent", "40"}}},
        {"wrong password", kWunderground, "Secret", false, true, {}},
        {"a date the decoding left with a plus",
         with(kWunderground, {{"dateutc", "2026-12-07+16:03:45"}}),
         "",
         true,
         true,
         {{"time.last_actualisation", "4005648209"}}},
        {"31 February is no date",
         with(kWunderground, {{"dateutc", "2026-02-31 10:00:00"}}),
         "",
         true,
         true,
         {{"time.last_actualisation", std::to_string(kNow + kStampOffset)}}},
        {"no readings at all",
         {{"PASSKEY", "A1B2C3"}, {"dateutc", "2026-12-07 16:03:45"}, {"tempf", "warm"}},
         "",
         true,
         false,
         {{"outdoor_temperature.deg_c", ""}}},
        {"no key in the post", {{"tempf", "50"}}, "A1B2C3", false, true, {}},
    };
    for (const PostCase& c : cases) {
        SCOPED_TRACE(c.name);
        StationReadings readings = parseStationPost(c.fields, kNow);
        EXPECT_EQ(postKeyMatches(c.fields, c.key), c.accepted);
        EXPECT_EQ(hasAnyReading(readings), c.readings);
        expectValues(valuesOf(readings), c.expected);
    }
}

}  // namespace
