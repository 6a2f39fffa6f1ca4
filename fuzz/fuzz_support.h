// What the fuzz targets share: a scratch home and a file holding the input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

// The scratch folder of this process, removed when it exits.
inline std::string& scratchFolder() {
    static std::string folder;
    return folder;
}

// A file in a scratch folder made once per process, rewritten with every input.
inline std::string inputFile(const uint8_t* data, size_t size, const char* name) {
    static std::string folder = [] {
        char pattern[] = "/tmp/skyvane-fuzz-XXXXXX";
        std::string made = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", (made + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (made + "/data").c_str(), 1);
        scratchFolder() = made;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder(), ignored);
        });
        return made;
    }();
    std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}
