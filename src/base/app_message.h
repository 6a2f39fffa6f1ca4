// Messages posted to a window or view object, carrying a number and two values.
#pragma once

#include <QEvent>
#include <QObject>

// Message numbers shared between threads and views.
enum AppMessage : unsigned {
    kSelectionChanged = 0x8201,
    kElementChanged = 0x8202,
    kExportPageEdited = 0x8203,
    kExportSettingsApplied = 0x8204,
    kRedrawRequest = 0x8205,
    kWeatherFileChanged = 0x8206,
    kExportProgress = 0x8208,
    kExportStarted = 0x8209,
    kProfileStatus = 0x8210,
    kExportSucceeded = 0x8211,
    kExportFailed = 0x8212,
};

// The event that carries a posted message.
class CAppMessageEvent : public QEvent {
  public:
    CAppMessageEvent(unsigned message, quintptr wParam, void* lParam);

    // The event type of every posted message.
    static QEvent::Type EventType();

    unsigned message;
    quintptr wParam;
    void* lParam;
};

// Posts the message to target's thread; nothing happens when target is null.
void PostAppMessage(QObject* target, unsigned message, quintptr wParam, void* lParam);
