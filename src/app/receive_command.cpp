#include "app/receive_command.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/command_options.h"
#include "app/run_log.h"
#include "app/scratch_settings.h"
#include "app/stop_signals.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/station_receiver.h"

namespace {

const char kUsage[] = "usage: skyvane receive --listen ADDRESS:PORT --out FILE [--key KEY]\n";

const char kHelp[] =
    "Receives the readings a Wi-Fi weather console posts in its customized upload, in the\n"
    "Ecowitt protocol (POST to /data/report/) or the Wunderground protocol (GET or POST to\n"
    "/weatherstation/updateweatherstation.php), and replaces FILE with a weather data file\n"
    "at every good post, which the desktop program and --headless read as a station's file.\n"
    "\n"
    "  --listen ADDRESS:PORT  where to listen, such as 0.0.0.0:8080 or [::]:8080\n"
    "  --out FILE             the weather data file to write; the pressures of the last\n"
    "                         3 hours, for tendency and storm alarm, are kept in FILE.pressures\n"
    "  --key KEY              refuse (403) every post whose PASSKEY or PASSWORD is not KEY\n"
    "\n"
    "Runs until SIGINT or SIGTERM, one line per refused post and per problem.\n";

}  // namespace

int runReceiveCommand(const QStringList& arguments) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    CommandOptions options;
    if (!parseOptions(arguments, {"--listen", "--out", "--key"}, options) ||
        !options.contains("--listen") || !options.contains("--out")) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    // A service run changes no setting; the language of its lines is the user's.
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    std::string out =
        QFileInfo(QString::fromStdString(options["--out"])).absoluteFilePath().toStdString();
    std::string listen = options["--listen"];

    // A folder it may not write fails the start, not every post after it.
    QString folder = QFileInfo(QString::fromStdString(out)).absolutePath();
    QDir().mkpath(folder);
    if (access(folder.toLocal8Bit().constData(), W_OK) != 0) {
        std::fprintf(stderr, "skyvane receive: %s\n",
                     LangString(kTextReceivedFileNotWritten,
                                {folder.toStdString() + ": " + std::strerror(errno)})
                         .c_str());
        return 1;
    }
    ReceivedWeatherFile file(out);
    auto receiver = std::make_unique<StationReceiver>(
        file, options["--key"], [](const std::string& line) { runLog("%s", line.c_str()); });
    std::string problem;
    if (!receiver->Start(listen, problem)) {
        std::fprintf(stderr, "skyvane receive: %s\n",
                     LangString(kTextCannotListen, {listen, problem}).c_str());
        return 1;
    }
    runLog("%s", LangString(kTextReceiving, {listen, out}).c_str());
    CStopSignals stop([] { QCoreApplication::exit(0); });
    if (!stop.IsWatching()) {
        std::fprintf(stderr, "skyvane: cannot watch for signals\n");
        return 1;
    }
    int code = QCoreApplication::exec();
    // The post being answered is written whole before the line says it stopped.
    receiver.reset();
    runLog("%s", LangString(kTextReceiverStopped).c_str());
    return code;
}
