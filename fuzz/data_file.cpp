// The weather data file reader on arbitrary bytes.
#include "weather/data_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = inputFile(data, size, "currdat.lst");
    CDataFile file;
    file.Load(path);
    for (const DataFileSection& section : file.Sections()) {
        for (const DataFileKey& key : section.keys) {
            file.GetInt(key.name, section.name);
        }
    }
    return 0;
}
