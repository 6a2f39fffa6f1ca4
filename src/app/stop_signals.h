// SIGINT and SIGTERM turned into a call on the event loop, where shutting down is safe.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class CStopSignals : public QObject {
  public:
    // onStop runs once, on the event loop, at the first SIGINT or SIGTERM.
    explicit CStopSignals(std::function<void()> onStop);
    ~CStopSignals() override;

    // False when the signals cannot be watched.
    bool IsWatching() const { return m_notifier != nullptr; }

  private:
    std::function<void()> m_onStop;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
