// The window tests run as every test program does, but with the QApplication that widgets
// need, and with message boxes answered by the tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/widgets/message_box.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
    if (!test_environment::prepare()) {
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // as the desktop program
    CMessageBox::SetAnsweredByTests(true);
    return RUN_ALL_TESTS();
}
