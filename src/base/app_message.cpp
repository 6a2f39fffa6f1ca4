#include "base/app_message.h"

#include <QCoreApplication>

CAppMessageEvent::CAppMessageEvent(unsigned message, quintptr wParam, void* lParam)
    : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {}

QEvent::Type CAppMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostAppMessage(QObject* target, unsigned message, quintptr wParam, void* lParam) {
    if (target != nullptr) {
        QCoreApplication::postEvent(target, new CAppMessageEvent(message, wParam, lParam));
    }
}
