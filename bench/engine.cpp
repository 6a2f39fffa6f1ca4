// The image list engine: loading and saving a long image list, and the cost of the
// one-second ticks of many active images.
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "base/settings.h"
#include "cpu_time.h"
#include "profiles/profiles_file.h"
#include "scratch_home.h"
#include "support/example_drawings.h"
#include "support/test_files.h"

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

// 200 copies of the example overview, with its logo beside the file.
std::string writeLongList() {
    std::string path = scratch().filePath("long.xml").toStdString();
    std::string example = readFile(kExamplesDir + "/data.xml");
    auto start = example.find("\t<profile ");
    auto end = example.find("</profile>", start) + 12;
    std::string one = example.substr(start, end - start);
    std::string list = "<profiles>\r\n";
    for (int i = 0; i < 200; ++i) {
        list += one;
    }
    writeFile(path, list + "</profiles>\r\n");
    std::filesystem::copy_file(kExamplesDir + "/logo.png",
                               scratch().filePath("logo.png").toStdString(),
                               std::filesystem::copy_options::overwrite_existing);
    return path;
}

void BM_Load200Profiles(benchmark::State& state) {
    std::string path = writeLongList();
    for (auto _ : state) {
        ProfileList profiles = LoadProfilesFile(path, nullptr);
        benchmark::DoNotOptimize(profiles.size());
        state.PauseTiming();
        profiles.clear();  // destruction is not part of loading
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Load200Profiles)->Unit(benchmark::kMillisecond);

void BM_Save200Profiles(benchmark::State& state) {
    ProfileList profiles = LoadProfilesFile(writeLongList(), nullptr);
    std::string path = scratch().filePath("saved.xml").toStdString();
    for (auto _ : state) {
        SaveProfilesFile(path, profiles);
    }
}
BENCHMARK(BM_Save200Profiles)->Unit(benchmark::kMillisecond);

// 500 active images ticking on their timers for 10 seconds; CPU time per tick and image.
void BM_Ticking500Images(benchmark::State& state) {
    ProfileList profiles;
    for (int i = 0; i < 500; ++i) {
        profiles.push_back(std::make_unique<CProfile>("Image " + std::to_string(i), nullptr));
        profiles.back()->SetInterval(60 * 24);
        profiles.back()->SetFirstStartDateTime(Clock::NowSeconds() + 3600);
        profiles.back()->SetActive(true);
    }
    for (auto _ : state) {
        double cpuBefore = cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        double cpu = cpuSeconds() - cpuBefore;
        std::int64_t ticks = 0;
        for (const auto& profile : profiles) {
            ticks += 3601 - profile->GetCountdown();
        }
        state.SetIterationTime(cpu);
        state.counters["ticks"] = static_cast<double>(ticks);
        state.counters["us_per_tick_and_image"] = cpu * 1e6 / static_cast<double>(ticks);
    }
}
BENCHMARK(BM_Ticking500Images)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// One tick's own work and the re-arming of its timer, without waiting for the timer.
void BM_OneTick(benchmark::State& state) {
    CProfile profile("Image", nullptr);
    profile.SetInterval(60 * 24);
    profile.SetActive(true);
    for (auto _ : state) {
        profile.SetState(ExportState::Waiting);
        profile.SetCountdown(3600);
        CSchedule::OnTimer(profile.GetSchedule().GetTimerId());
    }
}
BENCHMARK(BM_OneTick);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    useScratchHome(scratch());
    QGuiApplication application(argc, argv);
    CSettings::Instance().SetWeatherFilePath(kExamplesDir + "/currdat.lst");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
