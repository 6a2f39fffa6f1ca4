#include "drawing/live_picture.h"

#include <QString>

bool IsWebAddress(const std::string& source) {
    QString text = QString::fromStdString(source).trimmed();
    return text.startsWith("http://", Qt::CaseInsensitive) ||
           text.startsWith("https://", Qt::CaseInsensitive);
}
