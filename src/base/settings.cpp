#include "base/settings.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <algorithm>
#include <climits>

namespace {

template <class Value, class T>
void setDefault(const Value& value, const T& fallback) {
    if (!value.exists()) {
        value.set(fallback);
    }
}

registry_int<unsigned long> customColor(int index) {
    return registry_int<unsigned long>("Software\\Quillonsoft\\Skyvane\\CustomColors\\Color" +
                                       std::to_string(index));
}

}  // namespace

CSettings::CSettings() {
    setDefault(m_windowMinimized, 0);
    setDefault(m_showInSystemTray, 1);
    setDefault(m_showTooltipHelp, 1);
    setDefault(m_weatherFilePath, GetProgramDirectory() + kDefaultWeatherFileName);
    setDefault(m_windowPosition, CPoint{0, 0});
    setDefault(m_openedFile, GetProgramDirectory() + "SKV/data/data.xml");
    setDefault(m_drawSelectionRectangle, 1);
    setDefault(m_snapOffset, 10);
    setDefault(m_snapElements, 1);
    setDefault(m_langId, DefaultLangID());
}

void CSettings::RegisterFirstStart() {
    if (!m_startAutomatically.exists()) {
        SetStartAutomatically(1);
    }
}

void CSettings::SetStartAutomatically(int start) {
    std::string entry = AutostartEntryPath();
    if (start != 0) {
        QDir().mkpath(QFileInfo(QString::fromStdString(entry)).path());
        QFile file(QString::fromStdString(entry));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            // A path with blanks must be quoted, or the session runs something else.
            std::string program = GetProgramPath();
            if (program.find_first_of(" \t\"") != std::string::npos) {
                program = "\"" + program + "\"";
            }
            file.write(("[Desktop Entry]\nType=Application\nName=Skyvane\nExec=" + program +
                        " -minimized\nX-GNOME-Autostart-enabled=true\n")
                           .c_str());
        }
    } else {
        QFile::remove(QString::fromStdString(entry));
    }
    m_startAutomatically.set(start);
}

std::string CSettings::GetTestFolder() const {
    return m_testFolder.exists() ? m_testFolder.get() : "mainwebsite_html/test";
}

unsigned short CSettings::GetLangID() const {
    int kept = m_langIdKept.load();
    if (kept < 0) {
        kept = m_langId.get();
        m_langIdKept.store(kept);
    }
    return static_cast<unsigned short>(kept);
}

void CSettings::SetLangID(unsigned short langId) {
    m_langId.set(langId);
    m_langIdKept.store(langId);
}

void CSettings::SetWindowPosition(CPoint position) {
    m_windowPosition.set(CPoint{std::max(position.x, 0), std::max(position.y, 0)});
}

unsigned long CSettings::GetCustomColor(int index) const {
    return customColor(index).get();
}

void CSettings::SetCustomColor(int index, unsigned long colour) {
    customColor(index).set(colour);
}

std::string CSettings::AutostartEntryPath() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/autostart/skyvane.desktop")
        .toStdString();
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
        // An installed program (in a bin folder) keeps nothing beside itself, even where root
        // could write there; a portable one does.
        if (!directory.ends_with("/bin/") && access(directory.c_str(), W_OK) == 0) {
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
