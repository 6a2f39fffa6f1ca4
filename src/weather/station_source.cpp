#include "weather/station_source.h"

#include <fstream>
#include <iterator>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/weewx_archive.h"

namespace {

// Far more than any one-line file holds; a larger file is none of them.
constexpr std::streamsize kMaxTextSource = 64 * 1024;

}  // namespace

WeatherSourceKind detectWeatherSource(std::string_view head) {
    if (looksLikeSqliteDatabase(head)) {
        return WeatherSourceKind::WeeWXArchive;
    }
    if (looksLikeClientrawText(head)) {
        return WeatherSourceKind::Clientraw;
    }
    if (looksLikeRealtimeText(head)) {
        return WeatherSourceKind::Realtime;
    }
    return WeatherSourceKind::StationFile;
}

WeatherSourceKind weatherSourceOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string head(4096, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    return detectWeatherSource(head);
}

std::string weatherSourceName(WeatherSourceKind kind) {
    switch (kind) {
        case WeatherSourceKind::Realtime:
            return LangString(kTextSourceRealtime);
        case WeatherSourceKind::Clientraw:
            return LangString(kTextSourceClientraw);
        case WeatherSourceKind::WeeWXArchive:
            return LangString(kTextSourceWeeWX);
        case WeatherSourceKind::StationFile:
            break;
    }
    return "currdat.lst";
}

SourceReadings readWeatherSource(const std::string& path, WeatherSourceKind kind) {
    SourceReadings result;
    if (kind == WeatherSourceKind::WeeWXArchive) {
        ArchiveReadings archive = readWeeWXArchive(path);
        result.parsed = std::move(archive.parsed);
        result.states = archive.states;
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(kMaxTextSource, '\0');
    file.read(text.data(), kMaxTextSource);
    text.resize(static_cast<size_t>(file.gcount()));
    if (!file.eof() && !file.fail()) {
        result.parsed.error = LangString(kTextSourceTooLarge);
    } else if (text.empty()) {
        result.parsed.error = LangString(kTextSourceEmpty);
    } else {
        result.parsed = kind == WeatherSourceKind::Clientraw ? parseClientrawText(text)
                                                             : parseRealtimeText(text);
    }
    return result;
}
