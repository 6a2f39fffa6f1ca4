// The main of a benchmark over the example images: offscreen painting, scratch settings and the
// example weather file, English texts.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "base/settings.h"
#include "scratch_home.h"
#include "support/example_drawings.h"
#include "weather/weather_data.h"

inline int runOnExamples(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTemporaryDir home;
    useScratchHome(home);
    CSettings::Instance().SetWeatherFilePath(kExamplesDir + "/currdat.lst");
    CSettings::Instance().SetLangID(1033);
    CWeatherData::Instance().Reload();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
