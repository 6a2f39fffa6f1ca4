// The readings a Wi-Fi console posts in its customized upload, in either protocol: the
// Ecowitt form (PASSKEY, tempf, baromrelin, ...) and the Wunderground query (ID, PASSWORD,
// tempf, baromin, ...).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "weather/station_readings.h"

// The decoded name-value pairs of a query or form, in the order they came.
using PostFields = std::vector<std::pair<std::string, std::string>>;

// The readings of the post in the readings' units. A value that is empty or -9999 is missing,
// as is one the post lacks. The time is dateutc (UTC); nowSeconds when it is "now", missing or
// no date. Dew point and wind chill are computed where the post lacks them.
StationReadings parseStationPost(const PostFields& fields, std::int64_t nowSeconds);

// Whether the readings hold anything beyond their time.
bool hasAnyReading(const StationReadings& readings);

// Whether the post's PASSKEY or PASSWORD is key; always true for an empty key.
bool postKeyMatches(const PostFields& fields, const std::string& key);
