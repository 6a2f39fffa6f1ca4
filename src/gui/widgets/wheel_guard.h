// Keeps the mouse wheel from changing a field the pointer merely passes over while a pane
// scrolls: combo and spin boxes take the wheel only when they have the focus.
#pragma once

#include <QObject>

class CWheelGuard : public QObject {
  public:
    explicit CWheelGuard(QObject* parent = nullptr) : QObject(parent) {}

    // Guards every widget of the application.
    static void Install();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
