// One FTP upload of a 100 KiB image to a local server, and curl -T of the same file to the
// same server in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "base/settings.h"
#include "net/ftp_publisher.h"
#include "scratch_home.h"
#include "support/ftp_server.h"

namespace {

LocalFtpServer& server() {
    static LocalFtpServer instance;
    return instance;
}

const std::vector<unsigned char>& image() {
    static const std::vector<unsigned char> bytes = [] {
        std::mt19937 random(7);
        std::vector<unsigned char> data(100 * 1024);
        for (auto& byte : data) {
            byte = static_cast<unsigned char>(random());
        }
        return data;
    }();
    return bytes;
}

void BM_UploadByFtp100KiB(benchmark::State& state) {
    FtpSettings settings{"127.0.0.1:" + std::to_string(server().Port()), "station", "secret", "",
                         "image.jpg"};
    for (auto _ : state) {
        UploadByFtp(settings, image().data(), image().size());
    }
}
BENCHMARK(BM_UploadByFtp100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_CurlCommandLine100KiB(benchmark::State& state) {
    QTemporaryDir dir;
    QString path = dir.filePath("image.jpg");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(image().data()), static_cast<qint64>(image().size()));
    file.close();
    QString url = QString("ftp://127.0.0.1:%1/curl.jpg").arg(server().Port());
    for (auto _ : state) {
        QProcess curl;
        curl.start("curl", {"-s", "-P", "-", "-u", "station:secret", "-T", path, url});
        curl.waitForFinished();
    }
}
BENCHMARK(BM_CurlCommandLine100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useScratchHome(home);
    QCoreApplication application(argc, argv);
    CSettings::Instance().SetLangID(1033);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
