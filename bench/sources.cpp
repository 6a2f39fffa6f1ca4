// Reading the other station programs' files into the readings, and the WeeWX archive however
// long it has grown.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <fstream>
#include <map>

#include "scratch_home.h"
#include "weather/station_source.h"

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

std::string writeSource(const char* name, const std::string& text) {
    std::string path = folder().path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string fields(const std::string& first, int count, const std::map<int, std::string>& set) {
    std::string line = first;
    for (int number = 1; number < count; ++number) {
        auto it = set.find(number);
        line += " " + (it != set.end() ? it->second : std::string("0.0"));
    }
    return line + "\n";
}

// Five-minute rows for the years up to the newest, in one transaction.
std::string makeArchive(int years) {
    std::string path = folder().path().toStdString() + "/weewx" + std::to_string(years) + ".sdb";
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(
        db,
        "CREATE TABLE archive (dateTime INTEGER NOT NULL UNIQUE PRIMARY KEY, usUnits "
        "INTEGER NOT NULL, interval INTEGER NOT NULL, barometer REAL, pressure REAL, "
        "inTemp REAL, outTemp REAL, inHumidity REAL, outHumidity REAL, windSpeed REAL, "
        "windDir REAL, rain REAL, dewpoint REAL, windchill REAL); PRAGMA synchronous = OFF; "
        "PRAGMA journal_mode = MEMORY; PRAGMA cache_size = -262144; BEGIN",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO archive VALUES (?1, 17, 5, 1013.2, 987.4, 21.4, 3.8, 46, 87, "
                       "4.0, 225, 0.2, 1.8, 1.2)",
                       -1, &insert, nullptr);
    const std::int64_t newest = 1796659200;
    for (std::int64_t row = std::int64_t(years) * 365 * 288; row >= 0; --row) {
        sqlite3_bind_int64(insert, 1, newest - row * 300);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

void readAll(benchmark::State& state, const std::string& path, WeatherSourceKind kind) {
    for (auto _ : state) {
        SourceReadings source = readWeatherSource(path, kind);
        if (!source.parsed.error.empty() || !source.parsed.readings.outdoorTemperature) {
            state.SkipWithError(("not read: " + source.parsed.error).c_str());
            return;
        }
        completeReadings(source.parsed.readings);
        benchmark::DoNotOptimize(weatherFileEntries(source.parsed.readings, WeatherStates{}));
    }
}

void BM_Realtime(benchmark::State& state) {
    static const std::string path =
        writeSource("realtime.txt",
                    fields("07/12/26", 58,
                           {{1, "16:03:45"}, {13, "km/h"}, {14, "C"}, {15, "hPa"}, {16, "mm"}}));
    readAll(state, path, WeatherSourceKind::Realtime);
}
BENCHMARK(BM_Realtime)->Unit(benchmark::kMicrosecond);

void BM_Clientraw(benchmark::State& state) {
    static const std::string path = writeSource("clientraw.txt", fields("12345", 178,
                                                                        {{29, "16"},
                                                                         {30, "3"},
                                                                         {31, "45"},
                                                                         {35, "7"},
                                                                         {36, "12"},
                                                                         {74, "7/12/2026"},
                                                                         {177, "!!C10.37S140!!"}}));
    readAll(state, path, WeatherSourceKind::Clientraw);
}
BENCHMARK(BM_Clientraw)->Unit(benchmark::kMicrosecond);

void BM_WeeWXArchive(benchmark::State& state) {
    std::string path = makeArchive(static_cast<int>(state.range(0)));
    readAll(state, path, WeatherSourceKind::WeeWXArchive);
    state.SetLabel(std::to_string(state.range(0) * 365 * 288) + " rows");
}
BENCHMARK(BM_WeeWXArchive)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useScratchHome(home);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
