// What every test program sets up first: UTC, the offscreen platform, and a scratch home with
// its own settings, data and runtime folders, removed however the process ends normally (death
// test children run the program again and leave through std::exit).
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace test_environment {

inline std::string& home() {
    static std::string path;
    return path;
}

inline void removeHome() {
    std::error_code ignored;
    std::filesystem::remove_all(home(), ignored);
}

// False when the scratch home cannot be made.
inline bool prepare() {
    setenv("TZ", "UTC", 1);
    tzset();
    home() = (std::filesystem::temp_directory_path() / "skyvane-test-XXXXXX").string();
    if (mkdtemp(home().data()) == nullptr) {
        return false;
    }
    // A screen of a common desktop's size, not the platform's 800 × 600.
    std::string screens = home() + "/screens.json";
    std::ofstream(screens) << R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280,)"
                              R"( "height": 1024, "logicalDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).c_str(), 1);
    std::atexit(&removeHome);
    setenv("XDG_CONFIG_HOME", (home() + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
    // The single-instance lock goes into the runtime folder, which must be the owner's only.
    mkdir((home() + "/runtime").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (home() + "/runtime").c_str(), 1);
    setenv("SKYVANE_TEST_HOME", home().c_str(), 1);
    // Known SSH host keys and the like never touch the real home.
    setenv("HOME", home().c_str(), 1);
    // Nor does the user's SSH agent offer its keys to test servers.
    unsetenv("SSH_AUTH_SOCK");
    return true;
}

}  // namespace test_environment
