#include "app/headless_command.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "app/command_options.h"
#include "app/run_log.h"
#include "app/scratch_settings.h"
#include "app/stop_signals.h"
#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "profiles/profiles_file.h"
#include "weather/weather_data.h"
#include "weather/weather_file_watcher.h"

namespace {

// Stands in for the main view: reacts to the messages of the watcher and the exports.
class CHeadlessView : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != CAppMessageEvent::EventType()) {
            return QObject::event(event);
        }
        auto* message = static_cast<CAppMessageEvent*>(event);
        auto* profile = static_cast<CProfile*>(message->lParam);
        switch (message->message) {
            case kWeatherFileChanged:
                CWeatherData::Instance().Reload();
                LogStaleness();
                break;
            case kExportStarted:
                runLog("Export of \"%s\" started", profile->GetName().c_str());
                break;
            case kExportSucceeded:
                runLog("Export of \"%s\" succeeded", profile->GetName().c_str());
                break;
            case kExportFailed:
                runLog("Export of \"%s\" failed: %s", profile->GetName().c_str(),
                       profile->GetLastError().c_str());
                break;
            default:
                break;
        }
        return true;
    }

    // Writes the warning when the readings become stale and a line when they are current
    // again, not at every reload: another program writing in the folder every second would
    // otherwise fill the journal for as long as the station is down.
    void LogStaleness() {
        bool outdated = CWeatherData::Instance().IsOutdated();
        if (outdated != m_outdated) {
            m_outdated = outdated;
            runLog(
                "%s",
                LangString(outdated ? kTextWeatherDataOutdated : kTextWeatherDataCurrent).c_str());
        }
    }

  private:
    bool m_outdated = false;
};

std::string directoryOf(const std::string& path) {
    auto cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Stops the watch, suspends every schedule and shuts the export queue down, which ends a
// running export within seconds; then saves the list, so that every start has its result.
// False when the list could not be saved.
bool shutDown(const ProfileList& profiles, CWeatherFileWatcher& watcher) {
    runLog("Shutting down");
    watcher.Stop();
    for (const auto& profile : profiles) {
        profile->SetSuspended(true);
    }
    CWorkQueue::Application().Shutdown();
    // The outcome of the export that was just ended still gets its log line.
    QCoreApplication::sendPostedEvents();
    try {
        SaveProfilesFile(CSettings::Instance().GetOpenedFile(), profiles);
    } catch (const std::runtime_error& error) {
        runLog("%s", error.what());
        return false;
    }
    return true;
}

}  // namespace

int runHeadless(const QStringList& arguments) {
    CommandOptions options;
    if (!parseOptions(arguments, {"--profiles", "--weather"}, options)) {
        std::fprintf(stderr, "usage: skyvane --headless [--profiles FILE] [--weather FILE]\n");
        return 2;
    }
    // A server run registers nothing and changes no setting; the list itself is saved.
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    // The station program may write its file later: the run goes on without it.
    useWeatherFile("--headless", options);
    CHeadlessView view;
    ProfileList profiles;
    try {
        profiles = loadImageList(options, &view);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane --headless: %s\n", error.what());
        return 1;
    }
    runLog("Running %zu images from %s", profiles.size(),
           CSettings::Instance().GetOpenedFile().c_str());

    CWeatherFileWatcher watcher;
    watcher.SetSettleDelay(1000);
    std::string weatherFolder = directoryOf(CSettings::Instance().GetWeatherFilePath());
    if (!weatherFolder.empty()) {
        watcher.Start(&view, kWeatherFileChanged, weatherFolder);
    }
    view.LogStaleness();

    CStopSignals stop([&] { QCoreApplication::exit(shutDown(profiles, watcher) ? 0 : 1); });
    if (!stop.IsWatching()) {
        std::fprintf(stderr, "skyvane: cannot watch for signals\n");
        return 1;
    }
    return QCoreApplication::exec() == 0 ? 0 : 1;
}
