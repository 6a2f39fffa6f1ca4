#include "gui/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/settings.h"

QString HelpPagePath(unsigned short langId, const QString& programDirectory) {
    QString language = langId == 1031 ? "de" : langId == 1036 ? "fr" : "en";
    for (const QString& folder :
         {programDirectory + "/help", programDirectory + "/../share/skyvane/help"}) {
        QString page = QDir::cleanPath(folder + "/" + language + "/index.html");
        if (QFileInfo(page).isFile()) {
            return page;
        }
    }
    return {};
}

void OpenHelp(unsigned short langId) {
    QString program = QFileInfo(QString::fromStdString(CSettings::GetProgramPath())).absolutePath();
    QString page = HelpPagePath(langId, program);
    if (!page.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    }
}

void OpenHomepage() {
    QDesktopServices::openUrl(QUrl("https://nimbora.example/"));
}
