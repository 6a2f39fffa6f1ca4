#include "app/command_options.h"

#include <QFileInfo>
#include <QSettings>
#include <cstdio>

#include <stdexcept>

#include "base/settings.h"
#include "weather/weather_data.h"

bool parseOptions(const QStringList& arguments, const QStringList& names, CommandOptions& options) {
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        if (!names.contains(arguments[i]) || i + 1 >= arguments.size()) {
            return false;
        }
        options[arguments[i]] = arguments[i + 1].toStdString();
    }
    return true;
}

std::string helpText() {
    QSettings stored("Quillonsoft", "Skyvane");
    auto storedOr = [&](const char* key, const std::string& fallback) {
        QString value = stored.value(key).toString();
        return value.isEmpty() ? fallback : value.toStdString();
    };
    return "Skyvane publishes weather images made from a station's readings.\n"
           "\n"
           "usage: skyvane [-minimized]\n"
           "       skyvane --headless [--profiles FILE] [--weather FILE]\n"
           "       skyvane render [--profiles FILE] [--weather FILE] [--image NAME] --out DIR\n"
           "       skyvane check [--profiles FILE] [--weather FILE] [--image NAME]\n"
           "       skyvane export [--profiles FILE] [--weather FILE] --image NAME\n"
           "       skyvane values [--weather FILE] [--lang ID]\n"
           "       skyvane receive --listen ADDRESS:PORT --out FILE [--key KEY]\n"
           "       skyvane --version | --help\n"
           "\n"
           "  (none)      starts the desktop program; -minimized starts it in the tray\n"
           "  --headless  runs the schedules and exports of the image list without a window\n"
           "              until SIGINT or SIGTERM, one line per export start and result\n"
           "  render      writes every image (or the named one) into DIR as an export would\n"
           "              render it; exit code 1 when one could not be written or the weather\n"
           "              file holds no readings\n"
           "  check       draws every image (or the named one) in every weather state, language\n"
           "              and widest reading and prints one line per text that does not fit,\n"
           "              missing picture, element outside the image or always hidden;\n"
           "              exit code 1 when it found any\n"
           "  export      publishes one image now; exit code 1 with the reason when it fails\n"
           "  values      prints every reading of the weather file in every unit and layout\n"
           "              (--lang 1031 German, 1033 English, 1036 French)\n"
           "  receive     takes the posts of a Wi-Fi console's customized upload (Ecowitt or\n"
           "              Wunderground protocol) and writes each into FILE as a weather file\n"
           "              until SIGINT or SIGTERM; skyvane receive --help tells more\n"
           "\n"
           "--profiles and --weather hold for that run only; no command changes the settings.\n"
           "\n"
           "Settings:     " +
           stored.fileName().toStdString() +
           "\n"
           "Data folder:  ~/.local/share/Quillonsoft/Skyvane/ (in $XDG_DATA_HOME when set);\n"
           "              a portable copy (writable, not in a bin folder) keeps it beside itself\n"
           "Image list:   --profiles, else the setting OpenedFile, else in the data folder\n"
           "              ~/.local/share/Quillonsoft/Skyvane/SKV/data/data.xml\n"
           "              now: " +
           storedOr("OpenedFile", "(not set)") +
           "\n"
           "Weather file: --weather, else the setting WeatherFilePath, else in the data folder\n"
           "              ~/.local/share/Quillonsoft/Skyvane/currdat.lst\n"
           "              now: " +
           storedOr("WeatherFilePath", "(not set)") +
           "\n"
           "Diagnostics:  set SKYVANE_DEBUG=1 to see the diagnostic log on standard error\n";
}

bool useWeatherFile(const char* command, const CommandOptions& options) {
    if (auto it = options.find("--weather"); it != options.end()) {
        CSettings::Instance().SetWeatherFilePath(
            QFileInfo(QString::fromStdString(it->second)).absoluteFilePath().toStdString());
    }
    if (CWeatherData::Instance().Reload()) {
        return true;
    }
    std::string problem = CWeatherData::Instance().LastProblem();
    if (!problem.empty()) {
        std::fprintf(stderr, "skyvane %s: %s\n", command, WeatherFileProblem().c_str());
        return false;
    }
    std::fprintf(stderr,
                 "skyvane %s: the weather data file %s cannot be read or holds no readings; "
                 "give another with --weather FILE\n",
                 command, CSettings::Instance().GetWeatherFilePath().c_str());
    return false;
}

ProfileList loadImageList(const CommandOptions& options, QObject* view) {
    auto it = options.find("--profiles");
    std::string path = it != options.end() ? it->second : ProfilesFileToLoad();
    try {
        return LoadProfilesFile(path, view);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(std::string(error.what()) +
                                 "; give another image list with --profiles FILE");
    }
}

std::vector<CProfile*> selectedImages(const ProfileList& profiles, const CommandOptions& options) {
    auto image = options.find("--image");
    std::vector<CProfile*> selected;
    for (const auto& profile : profiles) {
        if (image == options.end() || profile->GetName() == image->second) {
            selected.push_back(profile.get());
        }
    }
    if (image != options.end() && selected.empty()) {
        throw std::runtime_error("No image named \"" + image->second + "\" in " +
                                 CSettings::Instance().GetOpenedFile());
    }
    return selected;
}
