// One FTP upload of a 100 KiB image to a local server, plain, over TLS (ftpes://) and over SSH
// (sftp://, needs root to make sshd's user), and a plain single-file libcurl upload of the same
// bytes to the plain server in the same process; the FTP ones count the control connections and
// commands the server received per upload. The same image written into a folder (file://) and
// uploaded to apache2's WebDAV (dav:// with a digest login, davs:// with a basic one).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <random>

#include "base/settings.h"
#include "net/ftp_publisher.h"
#include "scratch_home.h"
#include "support/dav_server.h"
#include "support/ftp_server.h"
#include "support/ssh_server.h"
#include "support/test_certificates.h"
#include "support/test_files.h"

namespace {

LocalFtpServer& server() {
    static LocalFtpServer instance;
    return instance;
}

TestCertificates& certificates() {
    static TestCertificates instance;
    return instance;
}

LocalFtpServer& tlsServer() {
    static LocalFtpServer instance(
        0, {"cert=" + certificates().Certificate("server"), "key=" + certificates().Key("server")});
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

// What the server received since the last call, per upload: control connections, commands.
void countPerUpload(benchmark::State& state, LocalFtpServer& ftp = server()) {
    auto sessions = ftp.Sessions();
    size_t commands = 0;
    for (const auto& session : sessions) {
        commands += session.size();
    }
    double uploads = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["connections"] = static_cast<double>(sessions.size()) / uploads;
    state.counters["commands"] = static_cast<double>(commands) / uploads;
}

// False after telling the state why an upload failed.
bool uploads(benchmark::State& state, const FtpSettings& settings) {
    for (auto _ : state) {
        try {
            UploadByFtp(settings, image().data(), image().size());
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            return false;
        }
    }
    return true;
}

void BM_UploadByFtp100KiB(benchmark::State& state) {
    std::filesystem::create_directories(server().Root() + "/htdocs");
    server().Sessions();
    if (uploads(state, {"127.0.0.1:" + std::to_string(server().Port()), "station", "secret",
                        "htdocs", "image.jpg"})) {
        countPerUpload(state);
    }
}
BENCHMARK(BM_UploadByFtp100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_UploadByFtpes100KiB(benchmark::State& state) {
    if (!certificates().Made()) {
        state.SkipWithError("openssl could not make the test certificates");
        return;
    }
    certificates().Trust();
    std::filesystem::create_directories(tlsServer().Root() + "/htdocs");
    tlsServer().Sessions();
    if (uploads(state, {"ftpes://127.0.0.1:" + std::to_string(tlsServer().Port()), "station",
                        "secret", "htdocs", "image.jpg"})) {
        countPerUpload(state, tlsServer());
    }
}
BENCHMARK(BM_UploadByFtpes100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_UploadBySftp100KiB(benchmark::State& state) {
    LocalSshServer ssh;
    if (!ssh.Problem().isEmpty()) {
        state.SkipWithError(ssh.Problem().toStdString().c_str());
        return;
    }
    ssh.MakeFolder("htdocs");
    uploads(state, {"sftp://127.0.0.1:" + std::to_string(ssh.Port()), ssh.User(), ssh.Password(),
                    "htdocs", "image.jpg"});
}
BENCHMARK(BM_UploadBySftp100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Fails the state unless the file holds the image.
void checkLanded(benchmark::State& state, const std::string& path) {
    if (readFile(path) != std::string(image().begin(), image().end())) {
        state.SkipWithError(("the image did not arrive whole in " + path).c_str());
    }
}

void BM_PublishToFolder100KiB(benchmark::State& state) {
    QTemporaryDir folder;
    std::string root = folder.path().toStdString();
    if (uploads(state, {"file://" + root, "", "", "", "image.jpg"})) {
        checkLanded(state, root + "/image.jpg");
    }
}
BENCHMARK(BM_PublishToFolder100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void davUploads(benchmark::State& state, bool tls) {
    if (tls && !certificates().Made()) {
        state.SkipWithError("openssl could not make the test certificates");
        return;
    }
    certificates().Trust();
    auto dav = tls ? std::make_unique<LocalDavServer>(certificates().Certificate("server"),
                                                      certificates().Key("server"))
                   : std::make_unique<LocalDavServer>();
    if (!dav->Running()) {
        state.SkipWithError(("apache2 did not start: " + dav->Log()).c_str());
        return;
    }
    std::string area = tls ? "dav" : "digest";
    std::string url = std::string(tls ? "davs://" : "dav://") +
                      "127.0.0.1:" + std::to_string(dav->Port()) + "/" + area;
    if (uploads(state, {url, LocalDavServer::kUser, LocalDavServer::kPassword, "", "image.jpg"})) {
        checkLanded(state, dav->Root(QString::fromStdString(area)) + "/image.jpg");
    }
}

void BM_UploadByDavDigest100KiB(benchmark::State& state) {
    davUploads(state, false);
}
BENCHMARK(BM_UploadByDavDigest100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_UploadByDavsBasic100KiB(benchmark::State& state) {
    davUploads(state, true);
}
BENCHMARK(BM_UploadByDavsBasic100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

size_t readImage(char* buffer, size_t size, size_t count, void* done) {
    size_t& offset = *static_cast<size_t*>(done);
    size_t chunk = std::min(size * count, image().size() - offset);
    std::memcpy(buffer, image().data() + offset, chunk);
    offset += chunk;
    return chunk;
}

// What a program that only uploads one file does: one handle, one request; active mode for
// plain FTP, passive with TLS.
void plainLibcurlUpload(benchmark::State& state, LocalFtpServer& ftp, bool tls) {
    std::filesystem::create_directories(ftp.Root() + "/htdocs");
    std::string url = "ftp://127.0.0.1:" + std::to_string(ftp.Port()) + "/htdocs/plain.jpg";
    ftp.Sessions();
    for (auto _ : state) {
        CURL* curl = curl_easy_init();
        size_t offset = 0;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_USERPWD, "station:secret");
        if (tls) {
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            curl_easy_setopt(curl, CURLOPT_CAINFO, certificates().Authority().toUtf8().constData());
        } else {
            curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
        }
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &readImage);
        curl_easy_setopt(curl, CURLOPT_READDATA, &offset);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(image().size()));
        CURLcode result = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        if (result != CURLE_OK) {
            state.SkipWithError(curl_easy_strerror(result));
            return;
        }
    }
    countPerUpload(state, ftp);
}

void BM_PlainLibcurlUpload100KiB(benchmark::State& state) {
    plainLibcurlUpload(state, server(), false);
}
BENCHMARK(BM_PlainLibcurlUpload100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_PlainLibcurlUploadTls100KiB(benchmark::State& state) {
    plainLibcurlUpload(state, tlsServer(), true);
}
BENCHMARK(BM_PlainLibcurlUploadTls100KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

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
