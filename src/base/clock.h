// The one way to the wall clock, so that tests can set and move time without sleeping.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace Clock {

using TimePoint = std::chrono::system_clock::time_point;

// The current time: the system clock, or the time a test set.
TimePoint Now();

// Freezes the clock at t until Advance, another SetFake or UseSystem.
void SetFake(TimePoint t);

// Moves a frozen clock on by d; no effect on the system clock.
void Advance(std::chrono::nanoseconds d);

// Goes back to the system clock.
void UseSystem();

// Seconds since 1970-01-01 00:00:00 UTC of Now().
std::int64_t NowSeconds();

// Local calendar time of t with its millisecond; false when it cannot be converted.
bool ToLocal(TimePoint t, std::tm& local, int& millisecond);

}  // namespace Clock
