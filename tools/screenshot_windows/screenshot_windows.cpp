// Shows the main window, the Options dialog, About and the tray menu in the language of the
// settings and writes a PNG of each into the folder given.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTableView>
#include <cstdio>

#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"

namespace {

void settle(int milliseconds = 400) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

bool save(QWidget* widget, const QString& path, int settleMilliseconds = 400) {
    settle(settleMilliseconds);
    bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot_windows FOLDER\n");
        return 2;
    }
    QString folder = argv[1];
    bool ok = true;
    CMainFrame frame;
    frame.show();
    frame.View()->SelectRow(0);
    // Long enough for the schedules' first tick, which writes the status column.
    ok = save(&frame, folder + "/main-window.png", 1500) && ok;

    COptionsDlg options(&frame);
    options.show();
    ok = save(&options, folder + "/options.png") && ok;
    options.hide();

    CAboutDlg about(&frame);
    about.show();
    ok = save(&about, folder + "/about.png") && ok;
    about.hide();

    frame.TrayMenu()->popup(frame.geometry().center());
    ok = save(frame.TrayMenu(), folder + "/tray-menu.png") && ok;
    frame.TrayMenu()->hide();
    return ok ? 0 : 1;
}
