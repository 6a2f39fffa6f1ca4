// Every test program runs in UTC, without a display, with its own empty settings and data
// directories, so no test reads or writes the settings of whoever runs it.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "support/test_environment.h"

int main(int argc, char** argv) {
    if (!test_environment::prepare()) {
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    // Fonts and painting need the application object; offscreen needs no display.
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
