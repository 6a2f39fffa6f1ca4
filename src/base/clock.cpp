#include "base/clock.h"

#include <atomic>

namespace Clock {
namespace {

// Nanoseconds since the epoch of the frozen clock; s_frozen tells whether it is in use.
std::atomic<bool> s_frozen{false};
std::atomic<std::int64_t> s_fakeNanos{0};

}  // namespace

TimePoint Now() {
    if (s_frozen.load(std::memory_order_acquire)) {
        return TimePoint(std::chrono::duration_cast<TimePoint::duration>(
            std::chrono::nanoseconds(s_fakeNanos.load())));
    }
    return std::chrono::system_clock::now();
}

void SetFake(TimePoint t) {
    s_fakeNanos.store(
        std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count());
    s_frozen.store(true, std::memory_order_release);
}

void Advance(std::chrono::nanoseconds d) {
    s_fakeNanos.fetch_add(d.count());
}

void UseSystem() {
    s_frozen.store(false, std::memory_order_release);
}

std::int64_t NowSeconds() {
    return std::chrono::floor<std::chrono::seconds>(Now().time_since_epoch()).count();
}

bool ToLocal(TimePoint t, std::tm& local, int& millisecond) {
    auto sinceEpoch = t.time_since_epoch();
    auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    millisecond = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count());
    std::time_t whole = static_cast<std::time_t>(seconds.count());
    return localtime_r(&whole, &local) != nullptr;
}

}  // namespace Clock
