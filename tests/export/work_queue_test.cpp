#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "export/win32_thread.h"
#include "export/work_queue.h"

namespace {

using namespace std::chrono_literals;

// Records what happened to the items, in order.
struct Journal {
    std::mutex lock;
    std::vector<std::string> events;
    void add(const std::string& event) {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back(event);
    }
    size_t count() {
        std::lock_guard<std::mutex> guard(lock);
        return events.size();
    }
};

class Item : public WorkItemBase {
  public:
    Item(Journal& journal, std::string name, std::atomic<bool>* gate = nullptr)
        : m_journal(journal), m_name(std::move(name)), m_gate(gate) {}
    void Execute(void* context) override {
        m_journal.add("run " + m_name + (context != nullptr ? " with context" : ""));
        while (m_gate != nullptr && !m_gate->load()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    void Cancel() override { m_journal.add("cancel " + m_name); }

  private:
    Journal& m_journal;
    std::string m_name;
    std::atomic<bool>* m_gate;
};

TEST(WorkQueue, RunsItemsInTheOrderQueued) {
    Journal journal;
    Item a(journal, "a"), b(journal, "b"), c(journal, "c");
    int context = 0;
    void* values[] = {&context};
    CWorkQueue queue;
    ASSERT_TRUE(queue.Start(1, values));
    EXPECT_TRUE(queue.Insert(&a));
    EXPECT_TRUE(queue.Insert(&b));
    EXPECT_TRUE(queue.Insert(&c));
    while (journal.count() < 3) {
        std::this_thread::sleep_for(1ms);
    }
    queue.Shutdown();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"run a with context", "run b with context",
                                                        "run c with context"}));
    EXPECT_FALSE(queue.Insert(&a));
}

TEST(WorkQueue, ShutdownWaitsForTheRunningItemAndCancelsTheRest) {
    Journal journal;
    std::atomic<bool> gate{false};
    Item slow(journal, "slow", &gate), second(journal, "second"), third(journal, "third");
    CWorkQueue queue;
    ASSERT_TRUE(queue.Start(1));
    queue.Insert(&slow);
    while (journal.count() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    queue.Insert(&second);
    queue.Insert(&third);
    std::thread opener([&] {
        std::this_thread::sleep_for(100ms);
        gate = true;
    });
    setenv("SKYVANE_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    queue.Shutdown(10ms);
    unsetenv("SKYVANE_DEBUG");
    std::string log = testing::internal::GetCapturedStderr();
    opener.join();
    EXPECT_NE(log.find("still running; waiting for it"), std::string::npos);
    EXPECT_EQ(journal.events,
              (std::vector<std::string>{"run slow", "cancel second", "cancel third"}));

    // With nothing running, shutting down returns at once and cancels what is queued.
    Journal idle;
    Item queued(idle, "queued");
    CWorkQueue never;
    never.Insert(&queued);
    never.Shutdown();
    EXPECT_EQ(idle.events, (std::vector<std::string>{"cancel queued"}));
}

class CountingThread : public CWin32Thread {
  public:
    ~CountingThread() override { RequestStop(10000); }
    std::atomic<int> steps{0};

  protected:
    void Run() override {
        while (!IsStopRequested()) {
            ++steps;
            std::this_thread::sleep_for(1ms);
        }
    }
};

TEST(Win32Thread, StartWaitAndStop) {
    CountingThread thread;
    EXPECT_THROW(thread.Wait(0), std::logic_error);
    thread.Start();
    while (thread.steps == 0) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(thread.Wait(0));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(thread.RequestStop(5000));
    EXPECT_FALSE(thread.IsStopRequested());
    int steps = thread.steps;
    EXPECT_GT(steps, 0);
    thread.Start();
    while (thread.steps == steps) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(thread.IsRunning());
}

}  // namespace
