// The window tests run as every test program does (UTC, offscreen, scratch settings and data
// folders), but with the QApplication that widgets need, and with message boxes and file dialogs
// answered by the tests.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "gui/widgets/message_box.h"

namespace {

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
    s_home = (std::filesystem::temp_directory_path() / "skyvane-test-XXXXXX").string();
    if (mkdtemp(s_home.data()) == nullptr) {
        return 1;
    }
    std::atexit(&removeHome);
    setenv("XDG_CONFIG_HOME", (s_home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (s_home + "/data").c_str(), 1);
    // The single instance lock goes into the runtime folder, which must be the owner's only.
    mkdir((s_home + "/runtime").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (s_home + "/runtime").c_str(), 1);
    setenv("SKYVANE_TEST_HOME", s_home.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // as the desktop program
    CMessageBox::SetAnsweredByTests(true);
    return RUN_ALL_TESTS();
}
