// The main window: opening it on 200 images until the image list is first painted, and the
// CPU it takes per second while 500 active images tick with the window shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "base/settings.h"
#include "cpu_time.h"
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
