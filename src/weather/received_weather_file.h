// The weather file a receiver makes of each post, in the station program's layout, with the
// pressures of the last three hours kept beside it for the weather states.
#pragma once

#include <string>

#include "weather/pressure_history.h"

class ReceivedWeatherFile {
  public:
    // Reads the pressures an earlier run kept in path + ".pressures".
    explicit ReceivedWeatherFile(std::string path);

    // Replaces the file whole with these readings and the states their pressure gives, then
    // the pressures file; false, with the reason in error, when the file could not be written.
    bool Write(const StationReadings& readings, std::string& error);

    const std::string& Path() const { return m_path; }
    const PressureHistory& History() const { return m_history; }

  private:
    std::string m_path;
    std::string m_historyPath;
    PressureHistory m_history;
};
