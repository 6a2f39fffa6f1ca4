#include "gui/mainwindow/examples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char kListName[] = "data.xml";

}  // namespace

QString InstalledExamples(const QString& programFolder) {
    QDir folder(programFolder + "/../share/doc/skyvane/examples");
    return folder.exists(kListName) ? QDir::cleanPath(folder.absolutePath()) : QString();
}

QString CopyExamples(const QString& from, const QString& to, bool& fresh) {
    QDir target(to);
    fresh = !target.exists(kListName);
    if (from.isEmpty() || !QDir().mkpath(to)) {
        return QString();
    }
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files)) {
        QString copy = target.filePath(file.fileName());
        // A list the user has changed since is theirs: never written over.
        if (QFileInfo::exists(copy)) {
            continue;
        }
        if (!QFile::copy(file.filePath(), copy)) {
            return QString();
        }
        // The copy of a read-only file is saved to like any list.
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    }
    return target.exists(kListName) ? target.filePath(kListName) : QString();
}
