// The one holder of the station's weather data file: readings as display texts, the three
// weather states and the age of the data. Reload and every lookup share one lock, so a reader
// never sees a half-loaded file.
#pragma once

#include <mutex>
#include <string>

#include "base/singleton.h"
#include "weather/data_file.h"
#include "weather/pressure_history.h"
#include "weather/station_source.h"

enum class WeatherStateKind { WeatherPicture = 0, WeatherTendency = 1, StormAlarm = 2 };

enum class WeatherDataType {
    Date = 0,
    Time,
    IndoorTemperature,
    OutdoorTemperature,
    IndoorHumidity,
    OutdoorHumidity,
    PressureAbsolute,
    PressureRelative,
    WindDirection,
    WindSpeed,
    Rain1h,
    Rain24h,
    RainTotal,
    Dewpoint,
    Windchill,
};

// What a data type and one of its formats are called and where the reading is found.
struct DataTypeInfo {
    std::string section;
    std::string typeName;
    int typeCount = 0;
    std::string key;
    std::string formatName;
    int formatCount = 0;
};

class CWeatherData : private CDataFile {
  public:
    // The one holder; the first call creates it and loads the file once.
    static CWeatherData& Instance() { return SingletonHolder<CWeatherData>::Instance(); }

    // Merges the file named by the WeatherFilePath setting in; false, with nothing changed, when
    // it cannot be read or holds none of the readings (empty, or being rewritten). Another
    // program's file replaces the readings as a whole, its states from its pressures.
    bool Reload();

    // What the last Reload read and the time of its readings: "realtime.txt (Cumulus format),
    // readings of 07.12.2026 16:03:45".
    std::string SourceDescription() const;

    // What was wrong with the file at the last Reload; "" when it was read.
    std::string LastProblem() const;

    // True when the readings are one day old or older, or carry no time.
    bool IsOutdated() const;
    // Why the readings are too old to publish under a limit of maxMinutes (0: none); "" when
    // they are not.
    std::string TooOldProblem(int maxMinutes) const;

    // The state's number; kMissingInt when the file has none.
    int GetState(WeatherStateKind kind) const;

    // The reading as display text: the value and its unit label, a date or a time.
    std::string FormatValue(WeatherDataType type, int format) const;

    // The display text of value, a reading as the weather file holds it (blanks and quotes
    // already stripped; for date and time the file's time stamp).
    static std::string FormatReading(WeatherDataType type, int format, const std::string& value);

    // Names and counts for a data type and format; values outside the lists read as the
    // first entry. The names are those of the language in use when first asked.
    static DataTypeInfo GetDataTypeInfo(WeatherDataType type, int format);

  private:
    friend class SingletonHolder<CWeatherData>;
    CWeatherData();

    bool ReloadStationFile(const std::string& path);
    bool ReloadOtherSource(const std::string& path, WeatherSourceKind kind);

    mutable std::mutex m_lock;
    WeatherSourceKind m_kind = WeatherSourceKind::StationFile;
    std::string m_problem;
    // Pressures seen from a source without history of its own.
    PressureHistory m_history;
    std::string m_historyPath;
};

// Why the weather data file the settings name gave no readings, with its path: it is missing,
// or it cannot be read or holds none.
std::string WeatherFileProblem();
// The warning for the status bar: the file is missing, or its readings are a day old; "" when
// neither.
std::string WeatherFileWarning();

// What the file at the path is and the time of its readings, or why it gives none; for the
// user choosing a file, before it is used.
std::string DescribeWeatherFile(const std::string& path);

// The string id of the text shown for a weather state's value; 0 when the value shows none.
unsigned stateTextId(WeatherStateKind kind, int value);
