#include "weather/readings_age.h"

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/station_readings.h"

std::int64_t readingsAge(const std::string& stamp, std::int64_t now) {
    // Unsigned arithmetic: a hostile stamp may not overflow into undefined behaviour.
    auto taken = static_cast<std::uint64_t>(stampSeconds(stamp));
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(now) - taken);
}

std::string AgeText(std::int64_t seconds) {
    struct Unit {
        std::int64_t seconds;
        unsigned one;
        unsigned many;
    };
    // The largest unit of which there are at least two, so "90 minutes" rather than "1 hour".
    static const Unit units[] = {{86400, kTextOneDay, kTextDays},
                                 {3600, kTextOneHour, kTextHours},
                                 {60, kTextOneMinute, kTextMinutes}};
    for (const Unit& unit : units) {
        if (seconds >= 2 * unit.seconds) {
            return LangString(unit.many, {std::to_string(seconds / unit.seconds)});
        }
    }
    return seconds == 1 ? LangString(kTextOneSecond)
                        : LangString(kTextSeconds, {std::to_string(seconds)});
}

std::string tooOldProblem(const std::string& stamp, std::int64_t now, int maxMinutes) {
    if (maxMinutes <= 0) {
        return {};
    }
    std::string from = formatStamp(stamp, "%d.%m.%Y %H:%M");
    if (from.empty()) {
        return LangString(kTextReadingsWithoutTime);
    }
    std::int64_t age = readingsAge(stamp, now);
    // In whole minutes, as the text tells it: never "60 minutes old" for a limit of 60.
    if (age / 60 <= maxMinutes) {
        return {};
    }
    return LangString(kTextReadingsTooOld, {AgeText(age), from});
}
