#include "app/export_command.h"

#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "app/command_options.h"
#include "app/scratch_settings.h"
#include "base/settings.h"

int runExportCommand(const QStringList& arguments) {
    CommandOptions options;
    if (!parseOptions(arguments, {"--profiles", "--weather", "--image"}, options) ||
        !options.contains("--image")) {
        std::fprintf(stderr,
                     "usage: skyvane export [--profiles FILE] [--weather FILE] --image NAME\n");
        return 2;
    }
    // Publishing one image by hand is no reason to change the user's settings.
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    try {
        if (!useWeatherFile("export", options)) {
            return 1;
        }
        ProfileList profiles = loadImageList(options);
        const std::string& name = options.at("--image");
        std::vector<CProfile*> named = selectedImages(profiles, options);
        std::string path = CSettings::Instance().GetOpenedFile();
        if (named.size() > 1) {
            std::fprintf(stderr,
                         "skyvane export: %zu images are named \"%s\" in %s; give one of them "
                         "another name\n",
                         named.size(), name.c_str(), path.c_str());
            return 2;
        }
        named[0]->Execute(nullptr);
        if (!named[0]->GetLastError().empty()) {
            std::fprintf(stderr, "skyvane export: %s\n", named[0]->GetLastError().c_str());
            return 1;
        }
        return 0;
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane export: %s\n", error.what());
        return 1;
    }
}
