// The post parser on arbitrary fields ("name=value" split at "&"), through to the weather
// file's text.
#include <algorithm>
#include <string_view>

#include "fuzz_support.h"
#include "weather/pressure_history.h"
#include "weather/station_post.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    PostFields fields;
    while (!input.empty()) {
        std::string_view field = input.substr(0, input.find('&'));
        input.remove_prefix(std::min(input.size(), field.size() + 1));
        auto equals = field.find('=');
        fields.emplace_back(std::string(field.substr(0, equals)),
                            equals == std::string_view::npos
                                ? std::string()
                                : std::string(field.substr(equals + 1)));
    }
    StationReadings readings = parseStationPost(fields, 1796659425);
    postKeyMatches(fields, "A1B2C3");
    if (hasAnyReading(readings)) {
        PressureHistory history;
        weatherFileText(weatherFileEntries(readings, statesFromHistory(history, readings)));
    }
    return 0;
}
