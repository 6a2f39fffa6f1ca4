// The weather file's values that readings give, and a check of the expected ones.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "weather/station_readings.h"

using Values = std::map<std::string, std::string>;

// The weather file's values as "section.key", the way the images read them.
inline Values valuesOf(StationReadings readings, const WeatherStates& states = {}) {
    completeReadings(readings);
    Values values;
    for (const WeatherFileEntry& entry : weatherFileEntries(readings, states)) {
        values[entry.section + "." + entry.key] = entry.value;
    }
    return values;
}

// Expected values; "" means the reading must be missing.
inline void expectValues(const Values& actual, const Values& expected) {
    for (const auto& [key, value] : expected) {
        auto it = actual.find(key);
        if (value.empty()) {
            EXPECT_EQ(it, actual.end()) << key << " = " << it->second;
        } else {
            EXPECT_EQ(it != actual.end() ? it->second : "(missing)", value) << key;
        }
    }
}
