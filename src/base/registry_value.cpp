#include "base/registry_value.h"

#include <QSettings>
#include <cctype>

namespace {

// The store itself stands for this key; what follows it becomes a settings group.
constexpr std::string_view kRootKey = "Software\\Quillonsoft\\Skyvane";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

registry_value::registry_value(const std::string& fullPath) {
    auto cut = fullPath.rfind('\\');
    if (cut == std::string::npos) {
        m_valueName = fullPath;
    } else {
        m_keyPath = fullPath.substr(0, cut);
        m_valueName = fullPath.substr(cut + 1);
    }
}

QString registry_value::settingsKey() const {
    std::string_view group = m_keyPath;
    if (startsWithIgnoringCase(group, kRootKey)) {
        group.remove_prefix(kRootKey.size());
    }
    while (!group.empty() && group.front() == '\\') {
        group.remove_prefix(1);
    }
    QString key = QString::fromStdString(std::string(group)).replace('\\', '/');
    if (!key.isEmpty()) {
        key += '/';
    }
    return key + QString::fromStdString(m_valueName);
}

bool registry_value::exists() const {
    return QSettings("Quillonsoft", "Skyvane").contains(settingsKey());
}

void registry_value::remove() const {
    QSettings("Quillonsoft", "Skyvane").remove(settingsKey());
}

QVariant registry_value::read() const {
    return QSettings("Quillonsoft", "Skyvane").value(settingsKey());
}

void registry_value::write(const QVariant& value) const {
    QSettings("Quillonsoft", "Skyvane").setValue(settingsKey(), value);
}
