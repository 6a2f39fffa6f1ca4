// The parser of nmcli's terse output on arbitrary text: every line has a field, and no field
// runs over a line end.
#include <cstdlib>

#include "net/dialup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string output(reinterpret_cast<const char*>(data), size);
    for (const auto& fields : ParseTerseOutput(output)) {
        if (fields.empty()) {
            std::abort();
        }
        for (const std::string& field : fields) {
            if (field.find('\n') != std::string::npos) {
                std::abort();
            }
        }
    }
    return 0;
}
