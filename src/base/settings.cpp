#include "base/settings.h"

#include <unistd.h>

#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <climits>

CSettings::CSettings() {
    if (!m_weatherFilePath.exists()) {
        m_weatherFilePath.set(GetProgramDirectory() + kDefaultWeatherFileName);
    }
    if (!m_langId.exists()) {
        m_langId.set(DefaultLangID());
    }
}

std::string CSettings::GetProgramPath() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

std::string CSettings::GetProgramDirectory() {
    std::string program = GetProgramPath();
    auto cut = program.rfind('/');
    if (cut != std::string::npos) {
        std::string directory = program.substr(0, cut + 1);
        if (access(directory.c_str(), W_OK) == 0) {
            return directory;
        }
    }
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   "/Quillonsoft/Skyvane/";
    QDir().mkpath(data);
    return data.toStdString();
}

unsigned short CSettings::DefaultLangID() {
    switch (QLocale::system().language()) {
        case QLocale::German:
            return 1031;
        case QLocale::French:
            return 1036;
        default:
            return 1033;
    }
}
