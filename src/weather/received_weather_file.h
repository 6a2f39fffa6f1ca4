// The weather file a receiver makes of each post, in the station program's layout, with the
// pressures of the last three hours kept beside it for the weather states.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "weather/pressure_history.h"

class ReceivedWeatherFile {
  public:
    // Reads the pressures an earlier run kept in path + ".pressures".
    explicit ReceivedWeatherFile(std::string path);
    // Keeps the pressures not kept yet.
    ~ReceivedWeatherFile();
    ReceivedWeatherFile(const ReceivedWeatherFile&) = delete;
    ReceivedWeatherFile& operator=(const ReceivedWeatherFile&) = delete;

    // Replaces the file whole with these readings and the states their pressure gives; false,
    // with the reason in error, when it could not be written. The pressures file is replaced
    // when its newest pressure is 5 minutes old, so that a console posting every few seconds
    // does not wear an SD card out; error names it when it could not be, though true is
    // returned.
    bool Write(const StationReadings& readings, std::string& error);

    const std::string& Path() const { return m_path; }
    const PressureHistory& History() const { return m_history; }

  private:
    void KeepHistory(std::string& error);

    std::string m_path;
    std::string m_historyPath;
    PressureHistory m_history;
    std::optional<std::int64_t> m_keptNewest;  // the newest time in the pressures file
};
