// What a weather file is, told by its content, never by its name, and the readings of those
// that are not the station program's own file.
#pragma once

#include <string>

#include "weather/pressure_history.h"
#include "weather/text_sources.h"

enum class WeatherSourceKind { StationFile, Realtime, Clientraw, WeeWXArchive };

// The kind of file that begins with these bytes.
WeatherSourceKind detectWeatherSource(std::string_view head);

// The kind of the file at the path; StationFile when it cannot be read.
WeatherSourceKind weatherSourceOf(const std::string& path);

// What the kind is called for the user: "realtime.txt (Cumulus format)".
std::string weatherSourceName(WeatherSourceKind kind);

struct SourceReadings {
    ParsedReadings parsed;
    // From the source's own history; missing for sources that have none.
    std::optional<WeatherStates> states;
};

// Reads a source other than the station program's file; an error names what is wrong.
SourceReadings readWeatherSource(const std::string& path, WeatherSourceKind kind);
