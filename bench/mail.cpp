// Base64 of 1 MiB, building the message for a 100 KiB image, and sending it to a local
// SMTP server; coreutils base64 on the same data for comparison.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "base/settings.h"
#include "mail/base64.h"
#include "mail/email_publisher.h"
#include "scratch_home.h"
#include "support/smtp_servers.h"

namespace {

std::vector<unsigned char> randomBytes(size_t size) {
    std::mt19937 random(42);
    std::vector<unsigned char> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    return bytes;
}

void BM_Base64Encode1MiB(benchmark::State& state) {
    std::vector<unsigned char> data = randomBytes(1 << 20);
    CBase64 coder;
    for (auto _ : state) {
        coder.Encode(data.data(), data.size());
        benchmark::DoNotOptimize(coder.GetEncoded());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_Base64Encode1MiB);

// coreutils base64 over the same 1 MiB, the whole process each time.
void BM_CoreutilsBase64_1MiB(benchmark::State& state) {
    QTemporaryDir dir;
    QString path = dir.filePath("data");
    std::vector<unsigned char> data = randomBytes(1 << 20);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
    file.close();
    for (auto _ : state) {
        QProcess process;
        process.start("base64", {"-w", "0", path});
        if (!process.waitForFinished() || process.exitCode() != 0) {
            state.SkipWithError("base64 failed");
            break;
        }
        benchmark::DoNotOptimize(process.readAllStandardOutput().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_CoreutilsBase64_1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BuildMessage100KiB(benchmark::State& state) {
    std::vector<unsigned char> image = randomBytes(100 * 1024);
    for (auto _ : state) {
        CMailMessage message;
        message.SetMultipartType(MultipartRelated);
        message.SetSender("station@example.org", "Garden Station");
        message.SetRecipient("alice@example.org");
        message.SetSubject("The weather at home");
        message.AddBody(
            CMailBodyPart("<html><body>Good morning!<br><hr><br><img src=\"cid:1\">"
                          "</body></html>",
                          "text/html", "iso-8859-1", EncodingAuto));
        CMailAttachment attachment("", "weatherimage.jpg", false, "", "iso-8859-1", EncodingAuto);
        attachment.contentId = "1";
        attachment.data = image.data();
        attachment.size = image.size();
        message.AddAttachment(attachment);
        std::string text;
        message.BuildText(text);
        benchmark::DoNotOptimize(text.size());
    }
}
BENCHMARK(BM_BuildMessage100KiB)->Unit(benchmark::kMicrosecond);

void BM_SendToLocalServer(benchmark::State& state) {
    LocalSmtpServer server;
    std::vector<unsigned char> image = randomBytes(100 * 1024);
    EmailSettings settings{"127.0.0.1:" + std::to_string(server.Port()),
                           "",
                           "",
                           "Garden Station",
                           "station@example.org",
                           "alice@example.org",
                           "The weather at home",
                           "Good morning!"};
    for (auto _ : state) {
        try {
            SendImageByEmail(settings, image.data(), image.size(), true);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            break;
        }
    }
    if (server.Messages().size() != static_cast<size_t>(state.iterations())) {
        state.SkipWithError("a message did not arrive");
    }
}
BENCHMARK(BM_SendToLocalServer)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useScratchHome(home);
    QCoreApplication application(argc, argv);
    CSettings::Instance().SetLangID(1033);
    // The encoder's timing lines would drown the results.
    freopen("/dev/null", "w", stderr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
