// The one-line text files other station programs write: realtime.txt (space-separated, as
// Cumulus documents it) and clientraw.txt (first field 12345).
#pragma once

#include <string>
#include <string_view>

#include "weather/station_readings.h"

// Readings from a source, or what is wrong with it ("" when they were read).
struct ParsedReadings {
    StationReadings readings;
    std::string error;
};

// realtime.txt: its date and time are local time.
ParsedReadings parseRealtimeText(std::string_view text);
// clientraw.txt: wind in knots, °C, hPa, mm; its time is local time.
ParsedReadings parseClientrawText(std::string_view text);

// Whether the first line looks like one of these files.
bool looksLikeRealtimeText(std::string_view text);
bool looksLikeClientrawText(std::string_view text);
