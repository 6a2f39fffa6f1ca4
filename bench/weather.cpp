// Loading the weather data file and looking readings up.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/settings.h"
#include "scratch_home.h"
#include "weather/data_file.h"
#include "weather/weather_data.h"

namespace {

const std::string kExample = std::string(SKYVANE_SOURCE_DIR) + "/examples/currdat.lst";

// A 64 KiB file of the same shape: many sections, quoted and plain values, comments.
std::string makeLargeFile(const std::string& directory) {
    std::string path = directory + "/large.lst";
    std::ofstream out(path, std::ios::binary);
    size_t written = 0;
    for (int section = 0; written < 64 * 1024; ++section) {
        std::string block = "; block " + std::to_string(section) + "\r\n[section_" +
                            std::to_string(section) + "]\r\n";
        for (int key = 0; key < 8; ++key) {
            block +=
                "key_" + std::to_string(key) + " = \"" + std::to_string(section * key) + ".5\"\r\n";
        }
        out << block;
        written += block.size();
    }
    return path;
}

void BM_LoadExample(benchmark::State& state) {
    for (auto _ : state) {
        CDataFile file;
        benchmark::DoNotOptimize(file.Load(kExample));
    }
}
BENCHMARK(BM_LoadExample);

void BM_Load64KiB(benchmark::State& state) {
    QTemporaryDir directory;
    std::string path = makeLargeFile(directory.path().toStdString());
    for (auto _ : state) {
        CDataFile file;
        benchmark::DoNotOptimize(file.Load(path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_Load64KiB);

void BM_ReloadAndFormatAll(benchmark::State& state) {
    CWeatherData& data = CWeatherData::Instance();
    for (auto _ : state) {
        data.Reload();
        for (int type = 0; type < 15; ++type) {
            benchmark::DoNotOptimize(data.FormatValue(static_cast<WeatherDataType>(type), 0));
        }
    }
}
BENCHMARK(BM_ReloadAndFormatAll);

}  // namespace

int main(int argc, char** argv) {
    // Scratch settings and data folders that name the example file; the user's stay untouched.
    QTemporaryDir home;
    useScratchHome(home);
    CSettings::Instance().SetWeatherFilePath(kExample);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
