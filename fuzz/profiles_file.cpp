// The profiles file and drawing loader on arbitrary bytes.
#include <QGuiApplication>
#include <stdexcept>

#include "fuzz_support.h"
#include "profiles/profiles_file.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    inputFile(nullptr, 0, "data.xml");
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = inputFile(data, size, "data.xml");
    try {
        ProfileList profiles = LoadProfilesFile(path, nullptr);
        for (auto& profile : profiles) {
            profile->SetActive(false);
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
