// A thread owned by an object whose Run is its body; CWin32GUIThread also knows the window
// to which the body posts its progress.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class CWin32Thread {
  public:
    CWin32Thread() = default;
    CWin32Thread(const CWin32Thread&) = delete;
    CWin32Thread& operator=(const CWin32Thread&) = delete;
    // Waits for a thread still running. A subclass whose Run uses its own fields waits in its
    // own destructor (RequestStop), since they are gone by the time this one runs.
    virtual ~CWin32Thread();

    // Starts Run on a new thread, after the previous one has ended. CWin32Exception when the
    // system cannot start a thread.
    void Start();
    // True when the thread ended within ms milliseconds. std::logic_error before any Start.
    bool Wait(unsigned ms);
    bool IsRunning() { return !Wait(0); }
    // Asks the body to stop and waits up to ms for it; true when it ended.
    bool RequestStop(unsigned ms);
    // Asks the body to stop without waiting for it; a Start after this clears the request.
    void SignalStop() { m_stopRequested = true; }
    // What a body checks between its steps.
    bool IsStopRequested() const { return m_stopRequested.load(); }

  protected:
    virtual void Run() = 0;

  private:
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::mutex m_lock;
    std::condition_variable m_ended;
    // Atomic as well as guarded: Wait reads it in the wait's predicate.
    std::atomic<bool> m_running{false};
};

class CWin32GUIThread : public CWin32Thread {
  public:
    QObject* GetNotifyWindow() const { return m_notifyWindow; }
    void SetNotifyWindow(QObject* window) { m_notifyWindow = window; }

  private:
    QObject* m_notifyWindow = nullptr;
};
