#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "base/factory.h"
#include "base/singleton.h"

namespace {

std::atomic<int> g_constructions{0};

struct Counted {
    Counted() {
        ++g_constructions;
        // Widens the window in which a second thread could slip past the first test.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    int value = 7;
};

struct UsedAtExit {
    int value = 1;
};

TEST(Singleton, RacingFirstUsesCreateOneObject) {
    std::vector<std::thread> threads;
    std::vector<Counted*> seen(8);
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &SingletonHolder<Counted>::Instance(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(g_constructions.load(), 1);
    for (Counted* object : seen) {
        EXPECT_EQ(object, seen[0]);
    }
    EXPECT_EQ(seen[0]->value, 7);
}

TEST(Singleton, UseAfterExitDestructionIsADeadReference) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Registered before the object exists, so it runs after the object is destroyed.
        std::atexit([] {
            try {
                SingletonHolder<UsedAtExit>::Instance();
                _exit(10);
            } catch (const std::logic_error& error) {
                _exit(std::string(error.what()) == "Dead Reference Detected" ? 42 : 11);
            }
        });
        SingletonHolder<UsedAtExit>::Instance().value = 2;
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
}

struct Shape {
    virtual ~Shape() = default;
    virtual int Corners() const = 0;
};
struct Triangle : Shape {
    int Corners() const override { return 3; }
};

TEST(Factory, CreatesByKeyAndRefusesUnknownKeys) {
    Factory<Shape> factory;
    EXPECT_TRUE(factory.Register("triangle", [] { return std::make_unique<Triangle>(); }));
    EXPECT_FALSE(factory.Register("triangle", [] { return std::make_unique<Triangle>(); }));
    EXPECT_EQ(factory.CreateObject("triangle")->Corners(), 3);
    try {
        factory.CreateObject("circle");
        FAIL() << "no error for an unknown key";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Unknown Type");
    }
    EXPECT_TRUE(factory.Unregister("triangle"));
    EXPECT_FALSE(factory.IsRegistered("triangle"));
    EXPECT_THROW(factory.CreateObject("triangle"), std::runtime_error);
}

}  // namespace
