// Periodic ticks on the main thread, each one re-armed for the next multiple of the period
// in local time, so ticks never bunch up and never drift from whole seconds.
#pragma once

#include <QTimer>
#include <map>
#include <memory>

#include "base/clock.h"

class CSchedule {
  public:
    CSchedule();
    CSchedule(const CSchedule&) = delete;
    CSchedule& operator=(const CSchedule&) = delete;
    // Stops the timer.
    virtual ~CSchedule();

    // Arms the timer for the next multiple of the period; false when it cannot.
    bool Start();
    // Stops the timer; false when it was not running.
    bool Stop();
    // Stores the period and restarts a running timer with it.
    void SetPeriod(unsigned milliseconds);

    unsigned GetPeriod() const { return m_period; }
    // The id of the running timer; 0 when stopped.
    unsigned GetTimerId() const { return m_timerId; }
    bool IsRunning() const { return m_timerId != 0; }

    // Called once per period; the base does nothing.
    virtual void Tick() {}

    // The timer procedure shared by all schedules: stop, tick, start again. An id that is not
    // running any more is ignored.
    static void OnTimer(unsigned timerId);

    // Milliseconds from now to the next multiple of the period within the local month.
    static int DelayToNextTick(unsigned period, Clock::TimePoint now);

    // Every schedule whose timer runs, by timer id; main thread only.
    static std::map<unsigned, CSchedule*>& RunningSchedules();

  private:
    std::unique_ptr<QTimer> m_timer;
    unsigned m_timerId = 0;
    unsigned m_period = 1000;
};
