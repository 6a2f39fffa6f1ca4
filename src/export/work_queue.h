// Work items run one after the other on background threads, first in, first out.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class WorkItemBase {
  public:
    virtual ~WorkItemBase() = default;
    // Does the work on a worker; threadContext is the value the queue holds for that thread.
    virtual void Execute(void* threadContext) = 0;
    // The item was still queued at shutdown and will never run.
    virtual void Cancel() = 0;
    // Asks a running item to end soon (shutdown); it may be called from any thread.
    virtual void Abort() {}
};

class CWorkQueue {
  public:
    // The application's queue: created and started with one worker on first use.
    static CWorkQueue& Application();

    CWorkQueue() = default;
    CWorkQueue(const CWorkQueue&) = delete;
    CWorkQueue& operator=(const CWorkQueue&) = delete;
    // Shuts down if that has not happened yet.
    ~CWorkQueue();

    // Starts threadCount workers; threadValues[i] (or null without the array) is the context
    // of worker i. False, with nothing left running, when a thread cannot be started.
    bool Start(unsigned threadCount, void* const* threadValues = nullptr);

    // Queues the item at the back; false once the queue has shut down. The queue never owns
    // or copies items.
    bool Insert(WorkItemBase* item);

    // Takes the item out of the queue and waits while a worker runs it; afterwards the queue
    // no longer refers to it, so it may be destroyed.
    void Withdraw(WorkItemBase* item);

    // Stops the workers after their current item, which is asked to end soon (Abort): waits up
    // to `wait` for them, then (with a log line) for as long as an item still runs, so nothing is
    // left working on freed memory; then cancels what is still queued, front to back.
    void Shutdown(std::chrono::milliseconds wait = std::chrono::seconds(60));

  private:
    void Work(void* threadValue);

    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_workerEnded;
    std::deque<WorkItemBase*> m_items;
    std::vector<WorkItemBase*> m_current;
    std::condition_variable m_itemDone;
    unsigned m_runningWorkers = 0;
    bool m_stopping = false;
    bool m_shutDown = false;
};
