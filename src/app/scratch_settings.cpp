#include "app/scratch_settings.h"

#include <QSettings>

void useScratchSettings(const QTemporaryDir& dir) {
    QSettings user("Quillonsoft", "Skyvane");
    QVariantMap values;
    for (const QString& key : user.allKeys()) {
        values[key] = user.value(key);
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings scratch("Quillonsoft", "Skyvane");
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        scratch.setValue(it.key(), it.value());
    }
}
