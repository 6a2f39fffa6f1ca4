#include "export/work_queue.h"

#include <algorithm>

#include "base/singleton.h"
#include "diag/log.h"

namespace {

// The application's queue, started with one worker when it is created.
struct ApplicationQueue {
    ApplicationQueue() { queue.Start(1); }
    CWorkQueue queue;
};

}  // namespace

CWorkQueue& CWorkQueue::Application() {
    return SingletonHolder<ApplicationQueue>::Instance().queue;
}

CWorkQueue::~CWorkQueue() {
    Shutdown();
}

bool CWorkQueue::Start(unsigned threadCount, void* const* threadValues) {
    try {
        for (unsigned i = 0; i < threadCount; ++i) {
            void* value = threadValues != nullptr ? threadValues[i] : nullptr;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_runningWorkers;
            }
            m_threads.emplace_back(&CWorkQueue::Work, this, value);
        }
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> guard(m_lock);
        --m_runningWorkers;
        m_stopping = true;
    }
    if (m_stopping) {
        Shutdown();
        return false;
    }
    return true;
}

bool CWorkQueue::Insert(WorkItemBase* item) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_stopping) {
            return false;
        }
        m_items.push_back(item);
    }
    m_wake.notify_one();
    return true;
}

void CWorkQueue::Withdraw(WorkItemBase* item) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_items.erase(std::remove(m_items.begin(), m_items.end(), item), m_items.end());
    m_itemDone.wait(lock, [&] {
        return std::find(m_current.begin(), m_current.end(), item) == m_current.end();
    });
}

void CWorkQueue::Work(void* threadValue) {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_items.empty(); });
        // Stopping wins over queued items: those are cancelled by Shutdown.
        if (m_stopping) {
            break;
        }
        WorkItemBase* item = m_items.front();
        m_items.pop_front();
        m_current.push_back(item);
        lock.unlock();
        if (item != nullptr) {
            item->Execute(threadValue);
        }
        lock.lock();
        m_current.erase(std::find(m_current.begin(), m_current.end(), item));
        m_itemDone.notify_all();
    }
    --m_runningWorkers;
    m_workerEnded.notify_all();
}

void CWorkQueue::Shutdown(std::chrono::milliseconds wait) {
    std::deque<WorkItemBase*> cancelled;
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_shutDown) {
            return;
        }
        m_shutDown = true;
        m_stopping = true;
        m_wake.notify_all();
        for (WorkItemBase* item : m_current) {
            if (item != nullptr) {
                item->Abort();
            }
        }
        if (!m_workerEnded.wait_for(lock, wait, [this] { return m_runningWorkers == 0; })) {
            LogMessage(Warn,
                       "[CWorkQueue::Shutdown] An export is still running; waiting for it to "
                       "finish.");
            m_workerEnded.wait(lock, [this] { return m_runningWorkers == 0; });
        }
        cancelled.swap(m_items);
    }
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    m_threads.clear();
    for (WorkItemBase* item : cancelled) {
        if (item != nullptr) {
            item->Cancel();
        }
    }
}
