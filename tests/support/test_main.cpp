// Every test program runs in UTC, without a display, with its own empty settings and data
// directories, so no test reads or writes the settings of whoever runs it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QGuiApplication>

#include <ctime>
#include <filesystem>
#include <string>

namespace {

// The scratch home, removed however the process ends normally: death-test children run this
// program again and leave through std::exit.
std::string s_home;

void removeHome() {
    std::error_code ignored;
    std::filesystem::remove_all(s_home, ignored);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string home = (std::filesystem::temp_directory_path() / "skyvane-test-XXXXXX").string();
    if (mkdtemp(home.data()) == nullptr) {
        return 1;
    }
    s_home = home;
    std::atexit(&removeHome);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("SKYVANE_TEST_HOME", home.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    // Fonts and painting need the application object; offscreen needs no display.
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
