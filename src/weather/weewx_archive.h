// The archive database WeeWX keeps (SQLite, table archive): the newest row's readings, opened
// read-only while WeeWX writes to it.
#pragma once

#include <string>

#include "weather/pressure_history.h"
#include "weather/text_sources.h"

// The readings of the newest row, rain of the last hour and day summed over the rows; states
// from the pressure of three hours before it.
struct ArchiveReadings {
    ParsedReadings parsed;
    WeatherStates states;
};

ArchiveReadings readWeeWXArchive(const std::string& path);

// Whether the bytes begin as an SQLite database does.
bool looksLikeSqliteDatabase(std::string_view head);
