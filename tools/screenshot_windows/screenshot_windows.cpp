// Shows the main window, the Options dialog, About, the tray menu, the editor with elements
// selected, the pane of each element kind, the colour palette and the Check Layout window with
// the preview in the language of the settings, and writes a PNG of each into the folder given.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "base/settings.h"
#include "gui/canvas/canvas_view.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/exportpage/export_properties.h"
#include "gui/exportpage/export_subpages.h"
#include "gui/exportpage/export_test_dialog.h"
#include "gui/layoutcheck/layout_check_dialog.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"
#include "gui/panes/draw_obj_properties.h"
#include "gui/widgets/colour_button.h"
#include "gui/widgets/colour_palette.h"
#include "gui/widgets/qt_language.h"

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

// A realtime.txt line of now, with readings unlike the example weather file's.
QByteArray realtimeLine() {
    QDateTime now = QDateTime::currentDateTime();
    QByteArray line = now.toString("dd/MM/yy HH:mm:ss").toLatin1() +
                      " 12.6 71 7.5 9.4 11.2 250 0.0 1.2 1008.4 WSW 2 km/h C hPa mm 48.2 -1.4 "
                      "31.0 402.6 0.0 21.9 44 12.6";
    for (int field = 26; field <= 58; ++field) {
        line += " 0";
    }
    return line + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot_windows FOLDER\n");
        return 2;
    }
    QString folder = argv[1];
    UseLanguageForQt(CSettings::Instance().GetLangID());
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

    // The editor: the overview switched off, so it can be edited, and each kind selected.
    CImageListModel& model = frame.View()->Model();
    model.setData(model.index(0, CImageListModel::Active), Qt::Unchecked, Qt::CheckStateRole);
    frame.View()->SelectRow(0);
    CCanvasView* canvas = frame.View()->Canvas();
    CDrawing* drawing = canvas->Drawing();
    for (const auto& element : drawing->Elements()) {
        canvas->Select(element.get());
        QString tag = element->Tag();
        ok = save(frame.View()->Properties(), folder + "/pane-" + tag + ".png", 200) && ok;
        if (tag == "textdata" || tag == "imageweather" || tag == "line") {
            ok = save(&frame, folder + "/editor-" + tag + ".png", 200) && ok;
        }
    }
    // The canvas zoomed in, the picture file selected.
    for (const auto& element : drawing->Elements()) {
        if (QString(element->Tag()) == "imagesimple") {
            canvas->Select(element.get());
        }
    }
    canvas->SetZoom(2.0);
    ok = save(&frame, folder + "/editor-zoomed.png", 200) && ok;
    canvas->FitToWindow();
    canvas->Select(drawing->Elements()[1].get());
    auto* colour = frame.View()->Properties()->findChild<CColorButton*>("bkColour");
    colour->click();
    if (colour->Palette() != nullptr) {
        ok = save(colour->Palette(), folder + "/palette.png") && ok;
        colour->Palette()->close();
    }
    // The Export tab of the FTP banner and of the e-mail image.
    frame.View()->Tabs()->setCurrentIndex(1);
    frame.View()->SelectRow(1);
    ok = save(&frame, folder + "/export-ftp.png", 200) && ok;
    // The server fields with their prefixes, below the fold of the tab.
    auto* exportPage = frame.View()->findChild<CExportProperties*>();
    ok = save(exportPage->FtpPage(), folder + "/export-ftp-server.png", 200) && ok;
    frame.View()->SelectRow(2);
    ok = save(&frame, folder + "/export-email.png", 200) && ok;
    ok = save(exportPage->EmailPage(), folder + "/export-email-server.png", 200) && ok;

    // Another station program's file in the Options field, then the example images on its readings.
    QTemporaryDir station;
    QFile realtime(station.filePath("realtime.txt"));
    realtime.open(QIODevice::WriteOnly);
    realtime.write(realtimeLine());
    realtime.close();
    COptionsDlg otherSource(&frame);
    otherSource.findChild<QLineEdit*>("weatherFile")->setText(realtime.fileName());
    otherSource.show();
    ok = save(&otherSource, folder + "/options-realtime.png") && ok;
    otherSource.findChild<QPushButton*>("ok")->click();
    frame.ApplySettings();
    frame.View()->Tabs()->setCurrentIndex(0);
    frame.View()->SelectRow(0);
    ok = save(&frame, folder + "/main-window-realtime.png", 1000) && ok;
    // The layout check, after the falling tendency got a text too long for its place.
    frame.View()->SelectRow(0);
    for (const auto& element : drawing->Elements()) {
        if (auto* tendency = dynamic_cast<CDrawTextTendency*>(element.get())) {
            tendency->SetStateText(2, "Falling quickly and steadily");
        }
    }
    frame.Action(282)->trigger();
    if (CLayoutCheckDialog* check = frame.LayoutCheck()) {
        check->findChild<QListWidget*>("findings")->setCurrentRow(0);
        ok = save(check, folder + "/layout-check.png") && ok;
        // The preview tab, switched to the state of the finding.
        frame.View()->Tabs()->setCurrentIndex(2);
        ok = save(&frame, folder + "/editor-preview.png", 200) && ok;
        frame.View()->Tabs()->setCurrentIndex(0);
        check->close();
    }

    // The test export, running and failed: nothing listens on the test server's port.
    CSettings::Instance().SetTestServerName("127.0.0.1:1");
    CSettings::Instance().SetTestWebAddress("http://127.0.0.1:1/test/");
    CExportTestDlg test(model.ProfileAt(0), &frame);
    auto* abort = test.findChild<QPushButton*>("abort");
    QTimer::singleShot(0, &test, [&] {
        ok = save(&test, folder + "/test-running.png", 100) && ok;
        while (!abort->isVisible()) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        ok = save(&test, folder + "/test-failed.png", 100) && ok;
        abort->click();
    });
    test.exec();
    return ok ? 0 : 1;
}
