// The realtime.txt reader on arbitrary bytes, through to the weather file's entries.
#include "fuzz_support.h"
#include "weather/station_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = inputFile(data, size, "realtime.txt");
    SourceReadings source = readWeatherSource(path, WeatherSourceKind::Realtime);
    completeReadings(source.parsed.readings);
    PressureHistory history;
    weatherFileText(weatherFileEntries(source.parsed.readings,
                                       statesFromHistory(history, source.parsed.readings)));
    return 0;
}
