// The relative pressures of the last three hours, and the weather states they give: tendency,
// storm alarm and the barometer's picture.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "weather/station_readings.h"

struct PressureSample {
    std::int64_t time;  // seconds since 1970
    double hpa;
};

// Steady within this of three hours ago, else rising or falling.
constexpr double kSteadyHpa = 1.0;
// A fall of this much in three hours sounds the storm alarm.
constexpr double kStormFallHpa = 4.0;
constexpr std::int64_t kHistorySeconds = 3 * 60 * 60;

// The states from the pressure now and the one about three hours ago; without an earlier
// pressure the tendency is steady and there is no alarm.
WeatherStates statesOf(double hpaNow, std::optional<double> hpaBefore,
                       std::optional<int> forecastPicture);

class PressureHistory {
  public:
    // Keeps the sample, drops those older than three hours before it; a sample older than the
    // newest is ignored.
    void Add(PressureSample sample);

    // The oldest pressure held that is at most three hours older than the newest.
    std::optional<double> Before() const;

    // One "time hpa" line per sample; Parse reads it back, skipping lines it cannot read.
    std::string Text() const;
    static PressureHistory Parse(const std::string& text);

    const std::deque<PressureSample>& Samples() const { return m_samples; }

  private:
    std::deque<PressureSample> m_samples;
};

// The states for readings, with the history updated by their pressure.
WeatherStates statesFromHistory(PressureHistory& history, const StationReadings& readings);
