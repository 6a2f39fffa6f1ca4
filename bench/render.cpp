// Rendering and encoding the example images, against encoding the same pixels alone.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "base/settings.h"
#include "examples_main.h"
#include "export/image_codecs.h"
#include "export/image_file.h"
#include "support/example_drawings.h"
#include "weather/weather_data.h"

namespace {

std::vector<ExampleDrawing>& examples() {
    static std::vector<ExampleDrawing> drawings = loadExampleDrawings();
    return drawings;
}

void BM_RenderAndEncode(benchmark::State& state) {
    CDrawing& drawing = *examples()[static_cast<size_t>(state.range(0))].drawing;
    drawing.SetImageFormat(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderImage(drawing).Size());
    }
    state.SetLabel(examples()[static_cast<size_t>(state.range(0))].name +
                   (state.range(1) == kJpegFormat ? " JPEG" : " PNG"));
}

void BM_EncodeOnly(benchmark::State& state) {
    CDrawing& drawing = *examples()[static_cast<size_t>(state.range(0))].drawing;
    QImage pixels = RenderDrawing(drawing);
    bool jpeg = state.range(1) == kJpegFormat;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = (jpeg ? EncodeJpeg(pixels, 100) : EncodePng(pixels)).Size();
        benchmark::DoNotOptimize(bytes);
    }
    // An empty file would be a failed encoding timed as a fast one.
    if (bytes == 0) {
        state.SkipWithError("nothing was encoded");
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetLabel(examples()[static_cast<size_t>(state.range(0))].name +
                   (jpeg ? " JPEG" : " PNG"));
}

void examplesAndFormats(benchmark::internal::Benchmark* benchmark) {
    for (int example = 0; example < 3; ++example) {
        for (int format : {kJpegFormat, kPngFormat}) {
            benchmark->Args({example, format});
        }
    }
}

BENCHMARK(BM_RenderAndEncode)->Apply(examplesAndFormats)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeOnly)->Apply(examplesAndFormats)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return runOnExamples(argc, argv);
}
