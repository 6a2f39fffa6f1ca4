// One console post turned into the weather file: as the receiver takes it, and over HTTP on
// 127.0.0.1 as a console sends it.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "net/station_receiver.h"
#include "scratch_home.h"

namespace {

const char kForm[] =
    "PASSKEY=A1B2C3&stationtype=EasyWeatherPro_V5.1.1&dateutc=2026-12-07+16%3A03%3A45"
    "&tempinf=68.0&humidityin=45&baromrelin=29.92&baromabsin=29.50&tempf=50.0&humidity=87"
    "&winddir=225&windspeedmph=10.0&windgustmph=14.0&hourlyrainin=0.12&dailyrainin=0.50"
    "&yearlyrainin=20.00";

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

std::string outPath() {
    return folder().path().toStdString() + "/currdat.lst";
}

void ignoreLine(const std::string&) {}

// A port nothing listens on now.
int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

void BM_PostToFile(benchmark::State& state) {
    ReceivedWeatherFile file(outPath());
    StationReceiver receiver(file, "A1B2C3", &ignoreLine);
    StationReceiver::Request request{"POST", "/data/report/", {}, "127.0.0.1", false};
    request.fields = {{"PASSKEY", "A1B2C3"},    {"dateutc", "2026-12-07 16:03:45"},
                      {"tempinf", "68.0"},      {"humidityin", "45"},
                      {"baromrelin", "29.92"},  {"baromabsin", "29.50"},
                      {"tempf", "50.0"},        {"humidity", "87"},
                      {"winddir", "225"},       {"windspeedmph", "10.0"},
                      {"hourlyrainin", "0.12"}, {"dailyrainin", "0.50"},
                      {"yearlyrainin", "20.00"}};
    for (auto _ : state) {
        if (receiver.Answer(request) != PostOutcome::Written) {
            state.SkipWithError("the post was not written");
            return;
        }
    }
}
BENCHMARK(BM_PostToFile)->Unit(benchmark::kMicrosecond);

void BM_HttpPostToFile(benchmark::State& state) {
    ReceivedWeatherFile file(outPath());
    StationReceiver receiver(file, "A1B2C3", &ignoreLine);
    std::string address = "127.0.0.1:" + std::to_string(freePort());
    std::string error;
    if (!receiver.Start(address, error)) {
        state.SkipWithError(("cannot listen: " + error).c_str());
        return;
    }
    std::string url = "http://" + address + "/data/report/";
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kForm);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION,
        +[](char*, size_t size, size_t count, void*) { return size * count; });
    for (auto _ : state) {
        long status = 0;
        if (curl_easy_perform(curl) != CURLE_OK ||
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 200) {
            state.SkipWithError("the post was not answered with 200");
            break;
        }
    }
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_HttpPostToFile)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useScratchHome(home);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
