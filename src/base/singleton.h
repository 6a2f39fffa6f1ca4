// Process-wide single objects: created on first use, destroyed at process exit, and an
// error ("Dead Reference Detected") for anyone who reaches for one after that.
#pragma once

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

template <class T>
class SingletonHolder {
  public:
    // The one T; created under a lock on the first call, never a second time.
    static T& Instance() {
        T* object = s_instance.load(std::memory_order_acquire);
        if (object == nullptr) {
            std::lock_guard<std::mutex> guard(s_lock);
            if (s_destroyed) {
                throw std::logic_error("Dead Reference Detected");
            }
            object = s_instance.load(std::memory_order_relaxed);
            if (object == nullptr) {
                object = new T;
                s_instance.store(object, std::memory_order_release);
                std::atexit(&SingletonHolder::Destroy);
            }
        }
        return *object;
    }

    SingletonHolder() = delete;

  private:
    static void Destroy() {
        std::lock_guard<std::mutex> guard(s_lock);
        delete s_instance.exchange(nullptr);
        s_destroyed = true;
    }

    // Plain, constant-initialized statics: they stay usable while exit handlers run.
    inline static std::atomic<T*> s_instance{nullptr};
    inline static bool s_destroyed = false;
    inline static std::mutex s_lock;
};
