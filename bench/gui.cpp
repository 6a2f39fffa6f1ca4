// The main window: opening it on 200 images until the image list is first painted, the CPU it
// takes per second while 500 active images tick with the window shown, and the canvas:
// repainting the example overview, one drag step with snapping.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "base/settings.h"
#include "cpu_time.h"
#include "gui/canvas/canvas_view.h"
#include "gui/canvas/tracker_geometry.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"
#include "scratch_home.h"
#include "support/example_drawings.h"
#include "support/test_files.h"

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

// A list of count copies of the example overview, active or not, first export in an hour.
std::string writeList(int count, bool active) {
    std::string path = scratch().filePath("list" + QString::number(count) + ".xml").toStdString();
    std::string example = readFile(kExamplesDir + "/data.xml");
    auto start = example.find("\t<profile ");
    auto end = example.find("</profile>", start) + 12;
    std::string one = example.substr(start, end - start);
    std::string later = "firststartdatetime=\"" + std::to_string(Clock::NowSeconds() + 3600) + "\"";
    one.replace(one.find("firststartdatetime=\""),
                std::string("firststartdatetime=\"1796558400\"").size(), later);
    if (!active) {
        one.replace(one.find("active=\"true\""), 13, "active=\"false\"");
    }
    std::string list = "<profiles>\r\n";
    for (int i = 0; i < count; ++i) {
        list += one;
    }
    writeFile(path, list + "</profiles>\r\n");
    return path;
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

void BM_OpenMainWindow200Images(benchmark::State& state) {
    CSettings::Instance().SetOpenedFile(writeList(200, false));
    for (auto _ : state) {
        CMainFrame frame;
        PaintCounter counter;
        frame.View()->ImageList()->viewport()->installEventFilter(&counter);
        frame.show();
        while (counter.paints == 0) {
            QApplication::processEvents();
        }
        state.PauseTiming();
        if (frame.View()->Model().rowCount() != 200) {
            state.SkipWithError("the list did not load");
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMainWindow200Images)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Ticking500ImagesShown(benchmark::State& state) {
    CSettings::Instance().SetOpenedFile(writeList(500, true));
    CMainFrame frame;
    frame.show();
    QApplication::processEvents();
    for (auto _ : state) {
        QString before = frame.View()->Model().index(499, 2).data().toString();
        double cpuBefore = cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        double cpu = cpuSeconds() - cpuBefore;
        if (frame.View()->Model().index(499, 2).data().toString() == before) {
            state.SkipWithError("the status column did not count down");
        }
        state.SetIterationTime(cpu);
        state.counters["cpu_ms_per_second"] = cpu * 1000 / 5;
    }
}
BENCHMARK(BM_Ticking500ImagesShown)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The canvas with the example overview and one of its elements selected.
struct OverviewCanvas {
    OverviewCanvas() {
        CSettings::Instance().SetOpenedFile(writeList(1, false));
        profiles = LoadProfilesFile(CSettings::Instance().GetOpenedFile(), nullptr);
        canvas.ShowImage(profiles.front().get(), false);
        canvas.show();
        selected = profiles.front()->GetDrawing()->Elements()[3].get();
        canvas.Select(selected);
    }
    ProfileList profiles;
    CCanvasView canvas;
    CDrawObj* selected;
};

// Paints the canvas as a repaint does, into an image the size of the screen area.
void paint(CCanvasView& canvas, QImage& screen) {
    canvas.render(&screen);
}

void BM_CanvasRepaintOverview(benchmark::State& state) {
    OverviewCanvas overview;
    PaintCounter counter;
    overview.canvas.installEventFilter(&counter);
    QImage screen(overview.canvas.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        paint(overview.canvas, screen);
    }
    if (counter.paints < static_cast<int>(state.iterations()) ||
        screen.size() != QSize(400 + 2 * CCanvasView::kMargin, 400 + 2 * CCanvasView::kMargin)) {
        state.SkipWithError("the canvas did not paint");
    }
}
BENCHMARK(BM_CanvasRepaintOverview)->Unit(benchmark::kMillisecond);

// One mouse move of a drag with snapping on: the new rectangle, snapped, then the repaint.
void BM_DragStepWithSnapping(benchmark::State& state) {
    CSettings::Instance().SetSnapElements(1);
    OverviewCanvas overview;
    CRect start = overview.selected->GetRect();
    CDrawing& drawing = *overview.canvas.Drawing();
    PaintCounter counter;
    overview.canvas.installEventFilter(&counter);
    QImage screen(overview.canvas.size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        int dx = step++ % 40 - 20;
        CRect rect =
            SnapRect(kInside, DraggedRect(start, kInside, dx, 3), 10, drawing, overview.selected);
        benchmark::DoNotOptimize(rect);
        paint(overview.canvas, screen);
    }
    if (counter.paints < static_cast<int>(state.iterations()) ||
        screen.size() != QSize(400 + 2 * CCanvasView::kMargin, 400 + 2 * CCanvasView::kMargin)) {
        state.SkipWithError("the canvas did not paint");
    }
}
BENCHMARK(BM_DragStepWithSnapping)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    useScratchHome(scratch());
    QApplication application(argc, argv);
    CSettings::Instance().SetWeatherFilePath(kExamplesDir + "/currdat.lst");
    CSettings::Instance().SetLangID(1033);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
