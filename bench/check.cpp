// The layout check of the example image list: every image in every weather state, language and
// widest reading.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "base/settings.h"
#include "examples_main.h"
#include "export/layout_check.h"
#include "support/example_drawings.h"
#include "weather/weather_data.h"

namespace {

void BM_CheckExamples(benchmark::State& state) {
    std::vector<ExampleDrawing> examples = loadExampleDrawings();
    size_t findings = 0;
    for (auto _ : state) {
        findings = 0;
        for (ExampleDrawing& example : examples) {
            findings += CheckLayout(*example.drawing).size();
        }
    }
    // The examples are clean; a finding means the check did not run as it should.
    if (examples.size() != 3 || findings != 0) {
        state.SkipWithError("the examples did not check clean");
    }
    state.counters["images"] = static_cast<double>(examples.size());
}

BENCHMARK(BM_CheckExamples)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return runOnExamples(argc, argv);
}
