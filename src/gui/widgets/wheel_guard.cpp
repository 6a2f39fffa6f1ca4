#include "gui/widgets/wheel_guard.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>

void CWheelGuard::Install() {
    static CWheelGuard* guard = nullptr;
    if (guard == nullptr) {
        guard = new CWheelGuard(qApp);
        qApp->installEventFilter(guard);
    }
}

bool CWheelGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType()) {
        return false;
    }
    auto* field = static_cast<QWidget*>(watched);
    if (field->hasFocus() || (qobject_cast<QComboBox*>(field) == nullptr &&
                              qobject_cast<QAbstractSpinBox*>(field) == nullptr)) {
        return false;
    }
    // The pane around the field scrolls instead, as if the field were not there.
    for (QWidget* above = field->parentWidget(); above != nullptr; above = above->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(above)) {
            QCoreApplication::sendEvent(area->viewport(), event);
            break;
        }
    }
    return true;
}
