#include "app/desktop_command.h"

#include <QApplication>
#include <cstdio>

#include "app/stop_signals.h"
#include "base/settings.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/single_instance.h"
#include "gui/widgets/qt_language.h"

int runDesktop(int argc, char** argv, bool minimized) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "skyvane: no display to show the window on; on a server run "
                     "\"skyvane --headless\" (see skyvane --help)\n");
        return 1;
    }
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    CSingleInstance instance;
    if (!instance.Claim()) {
        // Another start publishes already: show that one instead of exporting twice.
        if (instance.HandOver()) {
            return 0;
        }
        std::fprintf(stderr, "skyvane: another Skyvane is starting or not answering\n");
        return 1;
    }
    CSettings::Instance().RegisterFirstStart();
    UseLanguageForQt(CSettings::Instance().GetLangID());
    CMainFrame frame;
    QObject::connect(&instance, &CSingleInstance::activationRequested, &frame,
                     &CMainFrame::BringToFront);
    // The session ending (or a kill) closes the window as the user would: the list is saved.
    CStopSignals stop([&] {
        if (!frame.close()) {
            QApplication::quit();
        }
    });
    frame.ShowAtStart(minimized);
    return application.exec();
}
