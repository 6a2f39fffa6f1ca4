// A window or view for tests: records the numbers of the messages posted to it.
#pragma once

#include <QObject>
#include <vector>

#include "base/app_message.h"

class RecordingView : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == CAppMessageEvent::EventType()) {
            auto* message = static_cast<CAppMessageEvent*>(event);
            messages.push_back(message->message);
            values.push_back(message->wParam);
            return true;
        }
        return QObject::event(event);
    }
    std::vector<unsigned> messages;
    std::vector<quintptr> values;
};
