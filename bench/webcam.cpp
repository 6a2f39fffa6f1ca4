// A webcam picture with the readings on it: a 1920 × 1080 camera JPEG laid out as a
// 1280 × 720 image under ten live texts and encoded as JPEG quality 100, by Skyvane and by
// ImageMagick's convert doing the same composite; and the peak memory of a 4096 × 4096 export.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "base/settings.h"
#include "examples_main.h"
#include "export/image_file.h"
#include "support/example_drawings.h"
#include "weather/weather_data.h"

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir folder;
    return folder;
}

// A camera-like picture: gradients and fine detail, so that it compresses as a photo does.
QString cameraPicture(int width, int height) {
    QString path = scratch().filePath(QString("camera-%1x%2.jpg").arg(width).arg(height));
    if (QFile::exists(path)) {
        return path;
    }
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = qRgb((x * 255 / width + (x * y) % 17) & 255, (y * 255 / height) & 255,
                          ((x ^ y) & 63) + 96);
        }
    }
    picture.save(path, "JPEG", 90);
    return path;
}

// Ten readings, as the texts stand on the picture.
const char* const kTexts[] = {"12.3 °C", "87 %", "1013.2 hPa", "NW 14 km/h", "2.4 mm",
                              "9.1 °C",  "UV 3", "412 W/m²",   "Rising",     "Gusts 31"};

std::unique_ptr<CDrawing> webcamImage(const QString& camera, int width, int height) {
    std::string xml = "<drawing imageformat=\"3\" width=\"" + std::to_string(width) +
                      "\" height=\"" + std::to_string(height) + "\"><background right=\"" +
                      std::to_string(width) + "\" bottom=\"" + std::to_string(height) +
                      "\" bkcolor=\"0\"/><imagesimple imagefile=\"" + camera.toStdString() +
                      "\" live=\"1\" fit=\"fill\" left=\"0\" top=\"0\" right=\"" +
                      std::to_string(width) + "\" bottom=\"" + std::to_string(height) + "\"/>";
    for (int i = 0; i < 10; ++i) {
        int top = 20 + i * 40;
        xml += "<textdata datatype=\"" + std::to_string(i + 1) +
               "\" textcolor=\"16777215\" fontname=\"Arial\" fontsize=\"16\" left=\"20\" top=\"" +
               std::to_string(top) + "\" right=\"320\" bottom=\"" + std::to_string(top + 32) +
               "\"/>";
    }
    xml += "</drawing>";
    pugi::xml_document document;
    document.load_string(xml.c_str());
    auto drawing = std::make_unique<CDrawing>(nullptr, nullptr);
    drawing->LoadFromXml(document.child("drawing"));
    return drawing;
}

void BM_SkyvaneWebcam(benchmark::State& state) {
    auto drawing = webcamImage(cameraPicture(1920, 1080), 1280, 720);
    size_t bytes = 0;
    for (auto _ : state) {
        try {
            bytes = RenderImage(*drawing).Size();
        } catch (const std::runtime_error& error) {
            state.SkipWithError(error.what());
            return;
        }
    }
    if (bytes == 0) {
        state.SkipWithError("nothing was encoded");
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ConvertWebcam(benchmark::State& state) {
    // Debian's program itself, whatever else comes first on PATH.
    const QString program = "/usr/bin/convert";
    QString out = scratch().filePath("convert.jpg");
    QStringList arguments{cameraPicture(1920, 1080),
                          "-resize",
                          "1280x720^",
                          "-gravity",
                          "center",
                          "-extent",
                          "1280x720",
                          "-gravity",
                          "NorthWest",
                          "-font",
                          "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                          "-pointsize",
                          "21",
                          "-fill",
                          "white"};
    for (int i = 0; i < 10; ++i) {
        arguments << "-annotate" << QString("+23+%1").arg(26 + i * 40) << QString(kTexts[i]);
    }
    arguments << "-sampling-factor"
              << "1x1"
              << "-quality"
              << "100" << out;
    for (auto _ : state) {
        QFile::remove(out);
        QProcess convert;
        convert.start(program, arguments);
        if (!convert.waitForFinished(60000) || convert.exitCode() != 0 || !QFile::exists(out)) {
            state.SkipWithError(
                ("convert failed: " + convert.readAllStandardError()).toStdString().c_str());
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(QFile(out).size());
}

// The process's peak resident memory in MB since the last resetPeak (VmHWM).
double peakMegabytes() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
        }
    }
    return -1;
}

// Makes the peak the memory resident now, so that making the camera picture does not count.
void resetPeak() {
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

// The counter is the peak resident memory of the whole process during the exports.
void BM_Export4096(benchmark::State& state) {
    auto drawing = webcamImage(cameraPicture(4096, 4096), 4096, 4096);
    resetPeak();
    size_t bytes = 0;
    for (auto _ : state) {
        try {
            bytes = RenderImage(*drawing).Size();
        } catch (const std::runtime_error& error) {
            state.SkipWithError(error.what());
            return;
        }
    }
    if (bytes == 0) {
        state.SkipWithError("nothing was encoded");
    }
    state.counters["peak_MB"] = peakMegabytes();
}

BENCHMARK(BM_SkyvaneWebcam)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertWebcam)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export4096)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return runOnExamples(argc, argv);
}
