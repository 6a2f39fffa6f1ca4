#include "app/export_command.h"

#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "app/scratch_settings.h"
#include "profiles/profiles_file.h"

int runExportCommand(const QStringList& arguments) {
    std::string profilesFile;
    std::string image;
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--profiles") {
            profilesFile = arguments[i + 1].toStdString();
        } else if (arguments[i] == "--image") {
            image = arguments[i + 1].toStdString();
        } else {
            image.clear();
            break;
        }
    }
    if (image.empty() || arguments.size() % 2 != 0) {
        std::fprintf(stderr, "usage: skyvane export [--profiles FILE] --image NAME\n");
        return 2;
    }
    // Publishing one image by hand is no reason to change the user's settings.
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    try {
        std::string path = profilesFile.empty() ? ProfilesFileToLoad() : profilesFile;
        ProfileList profiles = LoadProfilesFile(path, nullptr);
        for (auto& profile : profiles) {
            if (profile->GetName() == image) {
                profile->Execute(nullptr);
                if (!profile->GetLastError().empty()) {
                    std::fprintf(stderr, "skyvane export: %s\n", profile->GetLastError().c_str());
                    return 1;
                }
                return 0;
            }
        }
        throw std::runtime_error("No image named \"" + image + "\" in " + path);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane export: %s\n", error.what());
        return 1;
    }
}
