#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <map>

#include "base/clock.h"
#include "base/settings.h"
#include "support/test_files.h"
#include "support/weather_values.h"
#include "weather/station_source.h"
#include "weather/weather_data.h"
#include "weather/weewx_archive.h"

namespace {

struct TextCase {
    const char* name;
    std::string text;
    Values expected;
    const char* error;  // part of the error; null when it reads
};

void expectParsed(const ParsedReadings& parsed, const TextCase& c) {
    if (c.error != nullptr) {
        EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
    } else {
        EXPECT_EQ(parsed.error, "");
        expectValues(valuesOf(parsed.readings), c.expected);
    }
}

// A realtime.txt line: 58 fields of "0" with the given ones (counted from 1) set.
std::string realtimeLine(const std::map<int, std::string>& fields) {
    std::string line;
    for (int number = 1; number <= 58; ++number) {
        auto it = fields.find(number);
        line += (number > 1 ? " " : "") + (it != fields.end() ? it->second : std::string("0"));
    }
    return line + "\n";
}

const std::map<int, std::string> kMetric = {
    {1, "07/12/26"}, {2, "16:03:45"}, {3, "3.8"},     {4, "87"},    {5, "1.8"},  {6, "14.4"},
    {8, "225"},      {10, "4.2"},     {11, "1013.2"}, {14, "km/h"}, {15, "C"},   {16, "hPa"},
    {17, "mm"},      {21, "612.8"},   {23, "21.4"},   {24, "46"},   {25, "1.2"}, {48, "0.3"}};

std::map<int, std::string> with(std::map<int, std::string> fields,
                                const std::map<int, std::string>& changes) {
    for (const auto& [number, value] : changes) {
        fields[number] = value;
    }
    return fields;
}

TEST(StationSources, RealtimeText) {
    const std::map<int, std::string> us = with(kMetric, {{3, "50.0"},
                                                         {5, "-"},
                                                         {6, "10.0"},
                                                         {10, "0.17"},
                                                         {11, "29.92"},
                                                         {14, "mph"},
                                                         {15, "F"},
                                                         {16, "in"},
                                                         {17, "in"},
                                                         {25, "---"}});
    const TextCase cases[] = {
        {"metric",
         realtimeLine(kMetric),
         {{"time.last_actualisation", "4005648209"},
          {"outdoor_temperature.deg_c", "3.8"},
          {"outdoor_temperature.deg_f", "38.8"},
          {"pressure_relative.inhg", "29.92"},
          {"wind_speed.bft", "3"},
          {"wind_direction.name", "SW"},
          {"rain_1h.inch", "0.01"},
          {"rain_24h.mm", "4.2"},
          {"rain_total.mm", "612.8"},
          {"dewpoint.deg_c", "1.8"},
          {"indoor_humidity.percent", "46"},
          {"pressure_absolute.hpa", ""}},
         nullptr},
        {"US units, dew point and wind chill computed",
         realtimeLine(us),
         {{"outdoor_temperature.deg_c", "10.0"},
          {"wind_speed.kmh", "16.1"},
          {"rain_24h.mm", "4.3"},
          {"pressure_relative.hpa", "1013.2"},
          {"dewpoint.deg_c", "7.9"},
          {"windchill.deg_c", "7.8"}},
         nullptr},
        {"dots in the date",
         realtimeLine(with(kMetric, {{1, "07.12.26"}, {2, "16:03"}})),
         {{"time.last_actualisation", "4005648164"}},
         nullptr},
        {"dashes in the date",
         realtimeLine(with(kMetric, {{1, "07-12-26"}})),
         {{"time.last_actualisation", "4005648209"}},
         nullptr},
        {"decimal commas, wind in m/s",
         realtimeLine(with(kMetric, {{3, "3,8"}, {6, "4,0"}, {14, "m/s"}})),
         {{"outdoor_temperature.deg_c", "3.8"}, {"wind_speed.kmh", "14.4"}},
         nullptr},
        {"too few fields", "07/12/26 16:03:45 3.8 87\n", {}, "too few fields (4, at least 17"},
        {"not a number",
         realtimeLine(with(kMetric, {{11, "1013.2hPa"}})),
         {},
         "not a number in field 11: \"1013.2hPa\""},
        {"unknown unit",
         realtimeLine(with(kMetric, {{16, "Torr"}})),
         {},
         "unknown unit in field 16"},
        {"no such day", realtimeLine(with(kMetric, {{1, "31/02/26"}})), {}, "no date and time"},
        {"beyond what a sensor reads",
         realtimeLine(with(kMetric, {{3, "1e300"}})),
         {{"outdoor_temperature.deg_c", "OFL"}, {"outdoor_temperature.deg_f", "OFL"}},
         nullptr},
    };
    CSettings::Instance().SetLangID(1033);
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(looksLikeRealtimeText(c.text));
        expectParsed(parseRealtimeText(c.text), c);
    }
}

// A clientraw.txt line: 178 fields of "0" with the given ones (counted from 0) set.
std::string clientrawLine(const std::map<int, std::string>& fields, const char* end) {
    std::string line = "12345";
    for (int number = 1; number < 178; ++number) {
        auto it = fields.find(number);
        line += " " + (it != fields.end() ? it->second : std::string("0"));
    }
    return line + end;
}

TEST(StationSources, ClientrawText) {
    const std::map<int, std::string> fields = {
        {1, "7.8"},   {3, "225"},   {4, "3.8"},  {5, "87"},   {6, "1013.2"},    {7, "4.2"},
        {9, "612.8"}, {12, "21.4"}, {13, "46"},  {29, "16"},  {30, "3"},        {31, "45"},
        {35, "7"},    {36, "12"},   {44, "1.2"}, {72, "1.8"}, {74, "7/12/2026"}};
    const TextCase cases[] = {
        {"with its end marker",
         clientrawLine(fields, " !!C10.37S140!!\n"),
         {{"time.last_actualisation", "4005648209"},
          {"wind_speed.kmh", "14.4"},
          {"outdoor_temperature.deg_f", "38.8"},
          {"rain_total.inch", "24.13"},
          {"dewpoint.deg_c", "1.8"},
          {"windchill.deg_c", "1.2"},
          {"rain_1h.mm", ""}},
         nullptr},
        {"without marker, missing sensors",
         clientrawLine(with(fields, {{12, "-"}, {13, "--"}}), "\r\n"),
         {{"indoor_temperature.deg_c", ""},
          {"indoor_humidity.percent", ""},
          {"wind_direction.name", "SW"}},
         nullptr},
        {"date from day and month alone",
         clientrawLine(with(fields, {{74, "-"}}), ""),
         {{"time.last_actualisation", "4005648209"}},
         nullptr},
        {"too few fields", "12345 7.8 0 225 3.8\n", {}, "too few fields (5, at least 37"},
        {"garbage time",
         clientrawLine(with(fields, {{29, "x"}}), ""),
         {},
         "not a number in field 29"},
    };
    CSettings::Instance().SetLangID(1033);
    Clock::SetFake(Clock::TimePoint(std::chrono::seconds(1796659200)));  // 7 December 2026, 16:00
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(looksLikeClientrawText(c.text));
        ASSERT_FALSE(looksLikeRealtimeText(c.text));
        expectParsed(parseClientrawText(c.text), c);
    }
    Clock::UseSystem();
}

TEST(StationSources, StatesFromPressures) {
    struct Case {
        const char* name;
        std::vector<double> hpa;  // one an hour, the last is now
        int picture, tendency, storm;
    } cases[] = {
        {"steady high", {1021.0, 1021.5, 1021.9}, 2, 0, 0},
        {"steady middle", {1012.0, 1012.0, 1011.1}, 1, 0, 0},
        {"steady low", {995.0, 995.0, 995.0}, 0, 0, 0},
        {"rising", {1008.0, 1009.0, 1010.5}, 2, 1, 0},
        {"falling", {1016.0, 1015.0, 1014.0}, 0, 2, 0},
        {"storm", {1005.0, 1003.0, 1001.0}, 0, 2, 1},
        {"older than three hours is forgotten", {990.0, 1012.0, 1012.0, 1012.0, 1012.0}, 1, 0, 0},
        {"one reading only", {1012.0}, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PressureHistory history;
        WeatherStates states;
        for (size_t i = 0; i < c.hpa.size(); ++i) {
            StationReadings readings;
            readings.time = 1796659200 + static_cast<std::int64_t>(i) * 3600;
            readings.pressureRelative = c.hpa[i];
            states = statesFromHistory(history, readings);
        }
        EXPECT_EQ(states.picture, c.picture);
        EXPECT_EQ(states.tendency, c.tendency);
        EXPECT_EQ(states.stormAlarm, c.storm);
        // Kept in a file across a restart, the history gives the same states.
        PressureHistory restored = PressureHistory::Parse(history.Text() + "garbage\n");
        EXPECT_EQ(restored.Samples().size(), history.Samples().size());
        EXPECT_EQ(restored.Before(), history.Before());
    }
}

class Database {
  public:
    explicit Database(const std::string& path) { sqlite3_open(path.c_str(), &m_db); }
    ~Database() { sqlite3_close(m_db); }
    void Run(const std::string& sql) {
        char* message = nullptr;
        ASSERT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
            << (message != nullptr ? message : "") << " in " << sql;
    }

  private:
    sqlite3* m_db = nullptr;
};

// Five-minute rows over four hours up to newest; the pressure falls by step an hour.
void fillArchive(Database& db, int usUnits, double temperature, double barometer, double step,
                 double rain, double wind) {
    db.Run(
        "CREATE TABLE archive (dateTime INTEGER NOT NULL UNIQUE PRIMARY KEY, usUnits INTEGER "
        "NOT NULL, interval INTEGER NOT NULL, barometer REAL, pressure REAL, inTemp REAL, "
        "outTemp REAL, inHumidity REAL, outHumidity REAL, windSpeed REAL, windDir REAL, rain "
        "REAL, dewpoint REAL, windchill REAL)");
    db.Run("BEGIN");
    const std::int64_t newest = 1796659200;
    for (int row = 48; row >= 0; --row) {
        std::int64_t time = newest - row * 300;
        double pressure = barometer + step * row / 12.0;
        db.Run(
            "INSERT INTO archive (dateTime, usUnits, interval, barometer, outTemp, "
            "outHumidity, windSpeed, windDir, rain) VALUES (" +
            std::to_string(time) + "," + std::to_string(usUnits) + ",5," +
            std::to_string(pressure) + "," + std::to_string(temperature) + ",80," +
            std::to_string(wind) + ",90," + std::to_string(rain) + ")");
    }
    db.Run("COMMIT");
}

TEST(StationSources, WeeWXArchive) {
    struct Case {
        const char* name;
        int usUnits;
        double temperature, barometer, step, rain, wind;
        Values expected;
    } cases[] = {
        {"US",
         1,
         50.0,
         29.92,
         0.02,
         0.01,
         10.0,
         {{"time.last_actualisation", "4005647984"},
          {"outdoor_temperature.deg_c", "10.0"},
          {"pressure_relative.hpa", "1013.2"},
          {"rain_1h.inch", "0.12"},
          {"rain_24h.inch", "0.49"},
          {"wind_speed.mph", "10.0"},
          {"wind_direction.name", "E"},
          {"weather_tendency.number", "2"},
          {"storm_alarm.number", "0"},
          {"indoor_temperature.deg_c", ""},
          {"dewpoint.deg_c", "6.7"}}},
        {"METRIC, rain in centimetres",
         16,
         10.0,
         1013.2,
         1.5,
         0.05,
         16.1,
         {{"rain_1h.mm", "6.0"},
          {"wind_speed.kmh", "16.1"},
          {"weather_tendency.number", "2"},
          {"storm_alarm.number", "1"},
          {"weather_picture.number", "0"}}},
        {"METRICWX",
         17,
         10.0,
         1013.2,
         -0.2,
         0.5,
         4.0,
         {{"rain_1h.mm", "6.0"}, {"wind_speed.kmh", "14.4"}, {"weather_tendency.number", "0"}}},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.path().toStdString() + "/weewx" + std::to_string(++n) + ".sdb";
        Database db(path);
        fillArchive(db, c.usUnits, c.temperature, c.barometer, c.step, c.rain, c.wind);
        ASSERT_EQ(weatherSourceOf(path), WeatherSourceKind::WeeWXArchive);
        // WeeWX holds a write transaction open meanwhile: readers still read.
        db.Run("BEGIN IMMEDIATE");
        db.Run("INSERT INTO archive (dateTime, usUnits, interval) VALUES (1796659500, 1, 5)");
        SourceReadings source = readWeatherSource(path, WeatherSourceKind::WeeWXArchive);
        db.Run("ROLLBACK");
        EXPECT_EQ(source.parsed.error, "");
        ASSERT_TRUE(source.states);
        expectValues(valuesOf(source.parsed.readings, *source.states), c.expected);
    }
}

TEST(StationSources, AnUnreadableSourceKeepsTheLastGoodReadings) {
    QTemporaryDir dir;
    std::string path = dir.path().toStdString() + "/weather";
    CSettings::Instance().SetWeatherFilePath(path);
    CSettings::Instance().SetLangID(1033);
    CWeatherData& data = CWeatherData::Instance();
    writeFile(path, realtimeLine(kMetric));
    ASSERT_TRUE(data.Reload());
    EXPECT_EQ(data.SourceDescription(),
              "realtime.txt (Cumulus format), readings of 07.12.2026 16:03:45");

    std::string locked = dir.path().toStdString() + "/locked.sdb";
    Database db(locked);
    fillArchive(db, 17, 10.0, 1013.2, 0.0, 0.0, 1.0);
    std::string otherTable = dir.path().toStdString() + "/other.sdb";
    Database(otherTable).Run("CREATE TABLE readings (time INTEGER)");
    const std::pair<std::string, std::string> broken[] = {
        {"07/12/26 16:03:45 3.8\n", "too few fields"},
        {"07/12/26 16:03:45 " + std::string(70 * 1024, '1'), "too large"},
        {std::string("SQLite format 3\0garbage", 23), "not a database"},
        {readFile(otherTable), "no archive table"},
        {"", "locked"},
    };
    for (const auto& [text, problem] : broken) {
        SCOPED_TRACE(problem);
        if (text.empty()) {
            CSettings::Instance().SetWeatherFilePath(locked);
            db.Run("BEGIN EXCLUSIVE");
        } else {
            writeFile(path, text);
        }
        EXPECT_FALSE(data.Reload());
        EXPECT_NE(WeatherFileWarning().find(problem), std::string::npos) << WeatherFileWarning();
        EXPECT_NE(WeatherFileWarning().find("The last good readings are kept."), std::string::npos);
        EXPECT_EQ(data.FormatValue(WeatherDataType::OutdoorTemperature, 0), "3.8 °C");
    }
    db.Run("COMMIT");
    ASSERT_TRUE(data.Reload());
    EXPECT_EQ(data.FormatValue(WeatherDataType::OutdoorTemperature, 0), "10.0 °C");
    EXPECT_EQ(data.LastProblem(), "");
}

}  // namespace
