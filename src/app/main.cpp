// Program entry: the trace file first, then the command; any exception that gets this far
// is reported as a fatal error.
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "app/check_command.h"
#include "app/command_options.h"
#include "app/desktop_command.h"
#include "app/export_command.h"
#include "app/headless_command.h"
#include "app/receive_command.h"
#include "app/render_command.h"
#include "app/values_command.h"
#include "base/settings.h"
#include "diag/fatal_error.h"
#include "diag/log.h"
#include "diag/trace_file.h"

namespace {

// Qt's own notices belong to the diagnostic log: shown only with SKYVANE_DEBUG=1.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::abort();
    }
    LogMessage(type == QtDebugMsg  ? Debug
               : type == QtInfoMsg ? Info
                                   : Warn,
               "%s", text.toLocal8Bit().constData());
}

void showMessageBox(const char* text, const char* caption) {
    QMessageBox::critical(nullptr, caption, text);
}

int run(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QString command = arguments.value(0);
    if (command.isEmpty() || (command == "-minimized" && arguments.size() == 1)) {
        return runDesktop(argc, argv, !command.isEmpty());
    }
    if (command == "--version") {
        std::printf("skyvane %s\n", SKYVANE_VERSION);
        return 0;
    }
    if (command == "--help" || command == "-h") {
        std::printf("%s", helpText().c_str());
        return 0;
    }
    if (command == "values") {
        return runValuesCommand(arguments.mid(1));
    }
    if (command == "receive") {
        QCoreApplication application(argc, argv);
        return runReceiveCommand(arguments.mid(1));
    }
    if (command == "render" || command == "check" || command == "export" ||
        command == "--headless") {
        // Fonts and painting without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QGuiApplication application(argc, argv);
        if (command == "render") {
            return runRenderCommand(arguments.mid(1));
        }
        if (command == "check") {
            return runCheckCommand(arguments.mid(1));
        }
        return command == "export" ? runExportCommand(arguments.mid(1))
                                   : runHeadless(arguments.mid(1));
    }
    std::fprintf(stderr, "%s", helpText().c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(&qtMessage);
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetThreshold(10);
    trace.SetName((CSettings::GetProgramDirectory() + "Skyvane").c_str());
    try {
        return run(argc, argv);
    } catch (...) {
        // Without a window system the notice becomes a line on standard error.
        bool windows = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
        return ReportFatalError(std::current_exception(), windows ? &showMessageBox : nullptr);
    }
}
