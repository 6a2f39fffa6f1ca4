// A window or view for tests: records the numbers of the messages posted to it.
#pragma once

#include <QObject>
#include <vector>

#include "base/app_message.h"

class RecordingView : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == CAppMessageEvent::EventType()) {
            messages.push_back(static_cast<CAppMessageEvent*>(event)->message);
            return true;
        }
        return QObject::event(event);
    }
    std::vector<unsigned> messages;
};
