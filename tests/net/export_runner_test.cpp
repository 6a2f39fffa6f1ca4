#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <filesystem>
#include <thread>

#include "base/clock.h"
#include "base/settings.h"
#include "export/export_runner.h"
#include "net/live_check.h"
#include "profiles/profile.h"
#include "support/ftp_server.h"
#include "support/recording_view.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/web_server.h"

namespace {

constexpr quintptr kOk = 0x10000;  // stands for the final OK command in the sequences

class ExportRunnerTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        m_weather = m_dir.filePath("currdat.lst").toStdString();
        writeFile(m_weather,
                  "[time]\nlast_actualisation=4005556484\n[weather_picture]\nnumber=2\n");
        CSettings::Instance().SetWeatherFilePath(m_weather);
        m_state = m_dir.filePath("nmcli.json").toStdString();
        setenv("FAKE_NMCLI_STATE", m_state.c_str(), 1);
        m_path = getenv("PATH");
        setenv("PATH",
               (std::string(SKYVANE_SOURCE_DIR) + "/tests/servers/fake_nmcli:" + m_path).c_str(),
               1);
        m_profile.SetServerName("127.0.0.1:" + std::to_string(m_ftp.Port()));
        m_profile.SetUserName("station");
        m_profile.SetPassword("secret");
        m_profile.SetFileName("image.jpg");
    }
    void TearDown() override {
        setenv("PATH", m_path.c_str(), 1);
        Clock::UseSystem();
    }

    void nmcliState(const std::string& json) { writeFile(m_state, json); }
    // The nmcli calls that changed something ("connection up X", "connection down X").
    std::vector<std::string> nmcliChanges() {
        QJsonObject state =
            QJsonDocument::fromJson(QByteArray::fromStdString(readFile(m_state))).object();
        std::vector<std::string> changes;
        for (const auto& call : state["log"].toArray()) {
            QString text = call.toString();
            if (text.startsWith("connection up") || text.startsWith("connection down")) {
                changes.push_back(text.toStdString());
            }
        }
        return changes;
    }
    std::string activeState(const std::string& name) {
        QJsonObject state =
            QJsonDocument::fromJson(QByteArray::fromStdString(readFile(m_state))).object();
        return state["active"].toObject()[QString::fromStdString(name)].toString().toStdString();
    }

    // Runs one export; the progress values it posted, the final OK as kOk.
    std::vector<quintptr> run(std::string* error = nullptr, unsigned* step = nullptr) {
        RecordingView window;
        std::vector<quintptr> sequence;
        {
            CExportRunner runner(&m_profile);
            runner.SetNotifyWindow(&window);
            runner.Start();
            runner.Wait(120000);
            if (error != nullptr) {
                *error = runner.GetExportError();
            }
            if (step != nullptr) {
                *step = runner.GetCurrentStep();
            }
        }
        QCoreApplication::processEvents();
        for (size_t i = 0; i < window.messages.size(); ++i) {
            sequence.push_back(window.messages[i] == kExportProgress ? window.values[i] : kOk);
        }
        return sequence;
    }

    QTemporaryDir m_dir;
    LocalFtpServer m_ftp;
    std::string m_weather;
    std::string m_state;
    std::string m_path;
    CProfile m_profile{"Runner", nullptr};
};

TEST_F(ExportRunnerTest, DirectExportsAndAWeatherFileThatCannotBeRead) {
    std::string error;
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 323, kOk}));
    EXPECT_EQ(error, "");
    EXPECT_EQ(readFile(m_ftp.Root() + "/image.jpg").substr(0, 3), "\xFF\xD8\xFF");

    std::filesystem::remove(m_weather);
    unsigned step = 0;
    EXPECT_EQ(run(&error, &step), (std::vector<quintptr>{180, 160}));
    EXPECT_EQ(error, "The weather data file " + m_weather +
                         " does not exist. Choose the file your station program writes in "
                         "Extras > Options.");
    EXPECT_EQ(step, 180u);
}

TEST_F(ExportRunnerTest, AWeatherFileWithoutReadingsIsNeverPublished) {
    std::string error;
    ASSERT_EQ(run(&error), (std::vector<quintptr>{180, 181, 323, kOk}));
    std::filesystem::remove(m_ftp.Root() + "/image.jpg");
    std::string garbage(10 * 1024 * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    for (const std::string& bad : {std::string(), garbage}) {
        writeFile(m_weather, bad);
        EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 160}));
        EXPECT_EQ(error, "Could not parse weather data file (" + m_weather + ")");
        EXPECT_FALSE(std::filesystem::exists(m_ftp.Root() + "/image.jpg"));
    }
    // The station rewriting its file: empty for a moment, then whole again.
    writeFile(m_weather, "");
    std::thread station([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writeFile(m_weather, "[outdoor_temperature]\ndeg_c=3.8\n");
    });
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 323, kOk}));
    station.join();
    EXPECT_EQ(error, "");
    EXPECT_TRUE(std::filesystem::exists(m_ftp.Root() + "/image.jpg"));
}

TEST_F(ExportRunnerTest, DialUpFreesTheModemAndRestoresItAfterwards) {
    m_profile.SetConnectionType(ConnectionType::Dialup);
    m_profile.SetConnectionName("Provider");
    nmcliState(R"({"profiles": {"Provider": "ttyUSB0", "Home": "ttyUSB0", "Lan": "eth0"},
                   "active": {"Home": "activated", "Lan": "activated"}})");
    std::string error;
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 322, 179, 323, 322, 324, kOk}));
    EXPECT_EQ(error, "");
    EXPECT_EQ(nmcliChanges(),
              (std::vector<std::string>{"connection down Home", "connection up Provider",
                                        "connection down Provider", "connection up Home"}));
    EXPECT_EQ(activeState("Home"), "activated");
    EXPECT_EQ(activeState("Provider"), "");

    // The same when the upload fails; the step that failed stays the current one.
    m_profile.SetPassword("wrong");
    nmcliState(R"({"profiles": {"Provider": "ttyUSB0", "Home": "ttyUSB0"},
                   "active": {"Home": "activated"}})");
    unsigned step = 0;
    EXPECT_EQ(run(&error, &step), (std::vector<quintptr>{180, 181, 322, 179, 323, 322, 324, 160}));
    EXPECT_EQ(error, "530 Authentication failed.");
    EXPECT_EQ(step, 323u);
    EXPECT_EQ(activeState("Home"), "activated");
}

TEST_F(ExportRunnerTest, DialUpEntriesConnectedActivatingOrGone) {
    m_profile.SetConnectionType(ConnectionType::Dialup);
    m_profile.SetConnectionName("Provider");
    nmcliState(R"({"profiles": {"Provider": "ttyUSB0"}, "active": {"Provider": "activated"}})");
    EXPECT_EQ(run(), (std::vector<quintptr>{180, 181, 323, kOk}));
    EXPECT_TRUE(nmcliChanges().empty());
    EXPECT_EQ(activeState("Provider"), "activated");

    nmcliState(R"({"profiles": {"Provider": "ttyUSB0"}, "active": {"Provider": "activating"}})");
    EXPECT_EQ(run(), (std::vector<quintptr>{180, 181, 179, 323, 322, kOk}));
    EXPECT_EQ(nmcliChanges(),
              (std::vector<std::string>{"connection down Provider", "connection up Provider",
                                        "connection down Provider"}));

    std::string error;
    nmcliState(R"({"profiles": {}, "active": {}})");
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 160}));
    EXPECT_EQ(error, "Could not get Dialup Networking properties for phonebook entry");

    nmcliState(R"({"profiles": {"Provider": "ttyUSB0"}, "active": {}, "fail_up": ["Provider"]})");
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 179, 160}));
    EXPECT_EQ(error, "Error: Connection activation failed: No carrier");

    // No NetworkManager at all.
    setenv("PATH", m_dir.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(run(&error), (std::vector<quintptr>{180, 181, 160}));
    EXPECT_EQ(error.rfind("Remote Access Service / Dialup Networking is not installed.", 0), 0u);
}

TEST_F(ExportRunnerTest, ReadingsOlderThanTheImageAllowsAreNeverPublished) {
    const std::int64_t taken = 1796567700;  // the weather file's time stamp
    struct Case {
        int maxDataAge;
        int ageSeconds;
        std::string error;
    };
    for (const Case& test :
         {Case{60, 7200,
               "The readings are 2 hours old (from 06.12.2026 14:35); the image was not "
               "published."},
          Case{60, 300, ""}, Case{0, 30 * 86400, ""}}) {
        m_profile.SetMaxDataAge(test.maxDataAge);
        Clock::SetFake(Clock::TimePoint(std::chrono::seconds(taken + test.ageSeconds)));
        std::string error;
        std::vector<quintptr> steps = run(&error);
        EXPECT_EQ(error, test.error) << test.ageSeconds;
        EXPECT_EQ(steps, test.error.empty() ? (std::vector<quintptr>{180, 181, 323, kOk})
                                            : (std::vector<quintptr>{180, 160}));
        EXPECT_EQ(std::filesystem::exists(m_ftp.Root() + "/image.jpg"), test.error.empty());
        // Not even a login.
        EXPECT_EQ(m_ftp.Sessions().empty(), !test.error.empty());
        std::filesystem::remove(m_ftp.Root() + "/image.jpg");
    }
}

TEST_F(ExportRunnerTest, TheWebAddressMustServeTheImageJustUploaded) {
    TestCertificates certificates;
    ASSERT_TRUE(certificates.Made());
    certificates.Trust();
    auto tls = [&](const QString& name) {
        return QStringList{"cert=" + certificates.Certificate(name),
                           "key=" + certificates.Key(name)};
    };
    QTemporaryDir elsewhere;
    writeFile(elsewhere.filePath("image.jpg").toStdString(), "\xFF\xD8\xFF\xE0 an old image");
    LocalWebServer live(m_ftp.Root()), secure(m_ftp.Root(), tls("server")),
        selfSigned(m_ftp.Root(), tls("selfsigned")), stale(elsewhere.path().toStdString());
    struct Case {
        std::string url;
        std::string error;  // how it starts
    };
    auto withLogin = [](const std::string& login, std::string url) {
        return url.insert(url.find("//") + 2, login);
    };
    for (const Case& test :
         {Case{live.Url("image.jpg"), ""}, Case{secure.Url("image.jpg?size=big#top"), ""},
          Case{stale.Url("image.jpg"),
               stale.Url("image.jpg") +
                   " serves an older image: the upload went to another folder, or a cache still "
                   "holds the old one."},
          // A password in the address is not told.
          Case{withLogin("station:secret@", live.Url("web/image.jpg")),
               withLogin("station@", live.Url("web/image.jpg")) +
                   " is not on the web server (HTTP 404): the upload went to another folder, or "
                   "the web address is wrong."},
          Case{live.Url(""),
               live.Url("") + " serves a file of type text/html instead of the image"},
          Case{selfSigned.Url("image.jpg"),
               "The published image at " + selfSigned.Url("image.jpg") +
                   " could not be fetched: The server's certificate is not trusted: self-signed "
                   "certificate."},
          Case{"ftp://127.0.0.1/image.jpg",
               "The web address ftp://127.0.0.1/image.jpg does not start with http:// or "
               "https://."}}) {
        m_profile.SetWebUrl(test.url);
        std::string error;
        unsigned step = 0;
        std::vector<quintptr> steps = run(&error, &step);
        EXPECT_EQ(error.substr(0, test.error.size()), test.error);
        EXPECT_EQ(error.empty(), test.error.empty()) << error;
        EXPECT_EQ(steps,
                  (std::vector<quintptr>{180, 181, 323, 545, test.error.empty() ? kOk : 160}));
        EXPECT_EQ(step, 545u);
    }

    // A server that never answers, and one that is gone, end in time with texts of their own.
    LocalWebServer silent("", {"silent"});
    std::string gone;
    {
        LocalWebServer closed(m_ftp.Root());
        gone = closed.Url("image.jpg");
    }
    const unsigned char image[] = {0xFF, 0xD8, 0xFF};
    for (const Case& test :
         {Case{silent.Url("image.jpg"), silent.Url("image.jpg") +
                                            " sent no answer within 2 seconds; whether the image "
                                            "is live could not be checked."},
          Case{gone, gone + " could not be reached: "}}) {
        auto started = std::chrono::steady_clock::now();
        std::string error;
        try {
            CheckImageIsLive(test.url, image, sizeof image, {}, {2, 2});
        } catch (const std::runtime_error& failure) {
            error = failure.what();
        }
        EXPECT_EQ(error.substr(0, test.error.size()), test.error);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
}

}  // namespace

TEST_F(ExportRunnerTest, EachExportPublishesItsOwnCameraSnapshotAndNeverAFrozenOne) {
    std::string snapshot = m_dir.filePath("snap.png").toStdString();
    CDrawImageSimple* camera = m_profile.GetDrawing()->AddImageSimple();
    camera->SetLive(true);
    camera->SetImageFile(0, snapshot);
    camera->SetRect({0, 0, 400, 400});
    std::string error;
    for (QColor colour : {QColor(Qt::red), QColor(Qt::blue)}) {
        QImage picture(32, 32, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(QString::fromStdString(snapshot)));
        ASSERT_EQ(run(&error), (std::vector<quintptr>{180, 181, 629, 323, kOk})) << error;
        QImage published(QString::fromStdString(m_ftp.Root() + "/image.jpg"));
        QColor centre = published.pixelColor(200, 200);
        EXPECT_LT(std::abs(centre.red() - colour.red()) + std::abs(centre.blue() - colour.blue()),
                  24);
    }
    std::filesystem::remove(m_ftp.Root() + "/image.jpg");
    std::filesystem::last_write_time(
        snapshot, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(45));
    unsigned step = 0;
    EXPECT_EQ(run(&error, &step), (std::vector<quintptr>{180, 181, 629, 160}));
    EXPECT_EQ(step, 629u);
    EXPECT_EQ(error, "The camera picture " + snapshot +
                         " is 45 minutes old; the image was not published.");
    EXPECT_FALSE(std::filesystem::exists(m_ftp.Root() + "/image.jpg"));
}
