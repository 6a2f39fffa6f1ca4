#include "weather/pressure_history.h"

#include <charconv>
#include <sstream>

WeatherStates statesOf(double hpaNow, std::optional<double> hpaBefore,
                       std::optional<int> forecastPicture) {
    double change = hpaBefore ? hpaNow - *hpaBefore : 0.0;
    WeatherStates states;
    states.tendency = change > kSteadyHpa ? 1 : change < -kSteadyHpa ? 2 : 0;
    states.stormAlarm = change <= -kStormFallHpa ? 1 : 0;
    if (forecastPicture) {
        states.picture = forecastPicture;
    } else if (*states.tendency == 1) {
        states.picture = hpaNow >= 1010.0 ? 2 : 1;
    } else if (*states.tendency == 2) {
        states.picture = hpaNow < 1020.0 ? 0 : 1;
    } else {
        states.picture = hpaNow >= 1020.0 ? 2 : hpaNow < 1000.0 ? 0 : 1;
    }
    return states;
}

void PressureHistory::Add(PressureSample sample) {
    if (!m_samples.empty() && sample.time < m_samples.back().time) {
        return;
    }
    if (!m_samples.empty() && sample.time == m_samples.back().time) {
        m_samples.back() = sample;
    } else {
        m_samples.push_back(sample);
    }
    while (m_samples.front().time < sample.time - kHistorySeconds) {
        m_samples.pop_front();
    }
}

std::optional<double> PressureHistory::Before() const {
    if (m_samples.empty()) {
        return std::nullopt;
    }
    return m_samples.front().hpa;
}

std::string PressureHistory::Text() const {
    std::string text;
    char number[64];
    for (const PressureSample& sample : m_samples) {
        auto end =
            std::to_chars(number, number + sizeof number, sample.hpa, std::chars_format::fixed, 2);
        text += std::to_string(sample.time) + " " + std::string(number, end.ptr) + "\n";
    }
    return text;
}

PressureHistory PressureHistory::Parse(const std::string& text) {
    PressureHistory history;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        auto blank = line.find(' ');
        if (blank == std::string::npos) {
            continue;
        }
        std::int64_t time = 0;
        auto [end, error] = std::from_chars(line.data(), line.data() + blank, time);
        std::optional<double> hpa = parseReading(std::string_view(line).substr(blank + 1));
        if (error == std::errc() && end == line.data() + blank && hpa && *hpa > 0 && *hpa < 2000) {
            history.Add({time, *hpa});
        }
    }
    return history;
}

WeatherStates statesFromHistory(PressureHistory& history, const StationReadings& readings) {
    if (!readings.pressureRelative) {
        return {readings.forecastPicture, std::nullopt, std::nullopt};
    }
    if (readings.time) {
        history.Add({*readings.time, *readings.pressureRelative});
    }
    return statesOf(*readings.pressureRelative, history.Before(), readings.forecastPicture);
}
