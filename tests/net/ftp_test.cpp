#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <stdexcept>
#include <thread>

#include "base/settings.h"
#include "net/ftp_publisher.h"
#include "net/internet.h"
#include "support/ftp_server.h"
#include "support/ftp_upload.h"
#include "support/test_files.h"

namespace {

class FtpTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        ASSERT_GT(m_server.Port(), 0);
        std::filesystem::create_directories(m_server.Root() + "/htdocs/weather");
    }
    FtpSettings settings(const std::string& user = "station") const {
        return {"127.0.0.1:" + std::to_string(m_server.Port()), user, "secret", "/htdocs/weather",
                "overview.jpg"};
    }
    std::string upload(const FtpSettings& ftp, const std::string& bytes = kImage) {
        return tryUpload(ftp, bytes);
    }
    std::string target() const { return m_server.Root() + "/htdocs/weather/overview.jpg"; }
    std::string temporary() const { return m_server.Root() + "/htdocs/weather/tmp_overview.jpg"; }

    LocalFtpServer m_server;
};

TEST_F(FtpTest, NewAndExistingTargetsAndLeftovers) {
    EXPECT_EQ(upload(settings()), "");
    EXPECT_EQ(readFile(target()), kImage);
    EXPECT_FALSE(std::filesystem::exists(temporary()));

    // The target is replaced; a leftover temporary file of a failed upload goes first.
    writeFile(temporary(), "half an image");
    EXPECT_EQ(upload(settings(), "second image"), "");
    EXPECT_EQ(readFile(target()), "second image");
    EXPECT_FALSE(std::filesystem::exists(temporary()));

    FtpSettings login = settings();
    login.filePath.clear();
    EXPECT_EQ(upload(login), "");
    EXPECT_EQ(readFile(m_server.Root() + "/overview.jpg"), kImage);

    login.fileName = "name with blanks & more.png";
    EXPECT_EQ(upload(login, "png"), "");
    EXPECT_EQ(readFile(m_server.Root() + "/name with blanks & more.png"), "png");
}

TEST_F(FtpTest, FoldersAreRelativeToTheLoginFolderAndEnteredOnce) {
    // The tenant's login folder is ROOT/home/tenant, which it sees as "/".
    std::string home = m_server.Root() + "/home/tenant";
    std::filesystem::create_directories(home + "/htdocs");
    std::filesystem::create_directories(home + "/pub/img");
    m_server.Sessions();
    const std::pair<std::string, std::string> cases[] = {
        {"htdocs", "/htdocs"}, {"pub/img", "/pub/img"},  {"pub/img/", "/pub/img"},
        {"/pub", "/pub"},      {"/pub/img", "/pub/img"}, {"/", ""},
        {"pub", "/pub"},
    };
    for (const auto& [path, folder] : cases) {
        FtpSettings ftp = settings("tenant");
        ftp.filePath = path;
        EXPECT_EQ(upload(ftp, path), "") << path;
        EXPECT_EQ(readFile(home + folder + "/overview.jpg"), path);
        EXPECT_FALSE(std::filesystem::exists(home + folder + "/tmp_overview.jpg")) << path;
        // One control connection; no command twice on it; the folder entered once.
        auto sessions = m_server.Sessions();
        ASSERT_EQ(sessions.size(), 1u) << path;
        std::set<std::string> distinct(sessions[0].begin(), sessions[0].end());
        EXPECT_EQ(distinct.size(), sessions[0].size()) << path;
        EXPECT_EQ(std::count_if(sessions[0].begin(), sessions[0].end(),
                                [](const std::string& line) { return line.starts_with("CWD "); }),
                  1)
            << path;
    }
}

TEST(FtpHostileServer, FailuresSayWhatHappenedWithoutWaitingOnAStuckServer) {
    struct Case {
        QStringList behaviours;
        size_t bytes;
        FtpLimits limits;
        std::string expected;  // a regular expression
        int seconds;           // the upload ends within them
    };
    const Case cases[] = {
        // Stuck after 1 KiB: what was sent counts, and the stuck server is not asked to QUIT.
        {{"stall=1024"},
         2 * 1024 * 1024,
         {2, 1, 2},
         "Nothing was transferred for 2 seconds; the transfer was ended after [0-9]{1,3} KiB of "
         "2048 KiB\\.",
         4},
        {{"stall=1024"},
         12 * 1024,
         {2, 1, 2},
         "All 12 KiB were sent, but the server did not confirm the transfer within 2 seconds; the "
         "transfer was ended\\.",
         4},
        {{"drop"},
         4 * 1024 * 1024,
         {2, 1, 1},
         "The server closed the connection during the transfer\\.",
         3},
        // The server never connects back and hangs: passive mode goes over a new connection.
        {{"nodata", "nopassive"},
         kImage.size(),
         {2, 1, 3},
         "The data connection for the upload was never made: the server did not connect to port "
         "([0-9]+) of this computer within 1 seconds\\. A firewall in between, or the server's "
         "passive port range, is the usual cause\\.\n"
         "Passive mode failed too: 502 Passive mode is not possible here\\.",
         3},
        {{"noport", "deadpassive"},
         kImage.size(),
         {2, 1, 1},
         "501 Active mode is not possible here\\.\n"
         "Passive mode failed too: The data connection to port 9 of the server could not be "
         "made\\.",
         2},
        {{"late=3"},
         kImage.size(),
         {2, 1, 1},
         "The server did not answer USER within 1 seconds\\.",
         3},
        {{"huge=USER"},
         kImage.size(),
         {2, 1, 1},
         "The server's reply to USER was not understood \\(too long\\)\\.",
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviours.join(" ").toStdString());
        LocalFtpServer server(0, c.behaviours);
        FtpSettings ftp{"127.0.0.1:" + std::to_string(server.Port()), "station", "secret", "",
                        "image.jpg"};
        auto started = std::chrono::steady_clock::now();
        std::string error = tryUpload(ftp, std::string(c.bytes, 'x'), {}, c.limits);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(c.seconds));
        std::smatch parts;
        EXPECT_TRUE(std::regex_match(error, parts, std::regex(c.expected))) << error;
        EXPECT_FALSE(std::filesystem::exists(server.Root() + "/image.jpg"));
        // The port named is the one the server was asked to connect to.
        if (parts.size() > 1) {
            auto sessions = server.Sessions();
            ASSERT_FALSE(sessions.empty());
            EXPECT_TRUE(std::any_of(sessions[0].begin(), sessions[0].end(), [&](const auto& line) {
                return line.starts_with("EPRT") && line.ends_with("|" + parts[1].str() + "|");
            }));
        }
    }
}

TEST(FtpEarlyFailures, AConnectionMadeButNeverGreetedOrClosedAtOnceIsToldAsSuch) {
    struct Case {
        QString behaviour;
        std::string prefix;
        std::string expected;  // %1 stands for host:port
    };
    const Case cases[] = {
        // A server that expects TLS from the start waits for the handshake in silence.
        {"silent", "",
         "The server %1 accepted the connection but sent no greeting within 1 seconds.\nIf the "
         "server expects TLS from the start, put ftps:// before its name (ftps://%1)."},
        {"silent", "ftpes://",
         "The server %1 accepted the connection but sent no greeting within 1 seconds.\nIf the "
         "server expects TLS from the start, put ftps:// before its name (ftps://%1)."},
        {"silent", "ftps://", "The TLS handshake with %1 did not finish within 1 seconds."},
        {"close", "", "The server closed the connection without a greeting."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour.toStdString() + " " + c.prefix);
        LocalFtpServer server(0, {c.behaviour});
        std::string where = "127.0.0.1:" + std::to_string(server.Port());
        FtpSettings ftp{c.prefix + where, "station", "secret", "", "image.jpg"};
        std::string expected = QString::fromStdString(c.expected)
                                   .replace("%1", QString::fromStdString(where))
                                   .toStdString();
        EXPECT_EQ(tryUpload(ftp, kImage, {}, FtpLimits{2, 1, 1}), expected);
    }
}

TEST(FtpPlainSessionRefused, EachCommonServersWordingGetsTheTlsAdvice) {
    const char* const refusals[] = {
        "530 Non-anonymous sessions must use encryption.",  // vsftpd
        "550 SSL/TLS required on the control channel",      // proftpd
        "421 Sorry, cleartext sessions and weak ciphers are not accepted on this server.",  // pure
        "530 This server does not allow plain FTP. You have to use FTP over TLS.",  // FileZilla
        "534 Policy requires SSL.",                                                 // IIS
    };
    for (const char* refusal : refusals) {
        LocalFtpServer server(0, {QString("refuse=") + refusal});
        std::string where = "127.0.0.1:" + std::to_string(server.Port());
        FtpSettings ftp{where, "station", "secret", "", "image.jpg"};
        EXPECT_EQ(tryUpload(ftp), std::string(refusal) +
                                      "\nThe server wants an encrypted connection: put ftpes:// "
                                      "before the server name (ftpes://" +
                                      where + "), or ftps:// if it expects TLS from the start.");
    }
}

TEST(FtpSlowServer, ASlowSteadyUploadFinishesAndAServerWithoutSizeStillGetsItsFile) {
    // 400 KB at 100 KB/s takes twice the limit for nothing moving.
    LocalFtpServer slow(0, {"slow=100000"});
    FtpSettings ftp{"127.0.0.1:" + std::to_string(slow.Port()), "station", "secret", "",
                    "image.jpg"};
    std::string bytes(400 * 1000, 's');
    EXPECT_EQ(tryUpload(ftp, bytes, {}, FtpLimits{2, 2, 2}), "");
    EXPECT_TRUE(readFile(slow.Root() + "/image.jpg") == bytes);

    LocalFtpServer old(0, {"nosize"});
    ftp.serverName = "127.0.0.1:" + std::to_string(old.Port());
    EXPECT_EQ(tryUpload(ftp, "first"), "");
    EXPECT_EQ(tryUpload(ftp, "second"), "");
    EXPECT_EQ(readFile(old.Root() + "/image.jpg"), "second");
    EXPECT_FALSE(std::filesystem::exists(old.Root() + "/tmp_image.jpg"));
}

TEST(FtpPassive, WhenTheServerCannotConnectBackTheUploadGoesPassive) {
    // A refused PORT leaves a server that answers; one that never connected may hang on it, so
    // passive mode goes over a connection of its own.
    for (auto [behaviour, connections] : {std::pair{"noport", 1u}, std::pair{"nodata", 2u}}) {
        LocalFtpServer server(0, {behaviour});
        FtpSettings ftp{"127.0.0.1:" + std::to_string(server.Port()), "station", "secret", "",
                        "image.jpg"};
        EXPECT_EQ(tryUpload(ftp, kImage, {}, FtpLimits{2, 1, 5}), "") << behaviour;
        EXPECT_TRUE(readFile(server.Root() + "/image.jpg") == kImage) << behaviour;
        auto sessions = server.Sessions();
        ASSERT_EQ(sessions.size(), connections) << behaviour;
        EXPECT_TRUE(std::any_of(sessions.back().begin(), sessions.back().end(),
                                [](const std::string& line) { return line == "EPSV"; }))
            << behaviour;
    }
    // Forced passive: not one attempt at active mode.
    LocalFtpServer server(0, {"noport"});
    FtpSettings ftp{
        "127.0.0.1:" + std::to_string(server.Port()), "station", "secret", "", "image.jpg", true};
    EXPECT_EQ(tryUpload(ftp), "");
    auto sessions = server.Sessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_TRUE(std::none_of(sessions[0].begin(), sessions[0].end(), [](const std::string& line) {
        return line.starts_with("PORT") || line.starts_with("EPRT");
    }));
}

TEST(FtpIpv6, ActiveAndPassiveUploadsToAServerOnIpv6) {
    LocalFtpServer server(0, {"ipv6"});
    ASSERT_GT(server.Port(), 0);
    for (bool passive : {false, true}) {
        FtpSettings ftp{"[::1]:" + std::to_string(server.Port()),
                        "station",
                        "secret",
                        "",
                        "image.jpg",
                        passive};
        EXPECT_EQ(tryUpload(ftp), "") << passive;
        EXPECT_TRUE(readFile(server.Root() + "/image.jpg") == kImage) << passive;
        auto sessions = server.Sessions();
        ASSERT_EQ(sessions.size(), 1u);
        EXPECT_TRUE(std::any_of(sessions[0].begin(), sessions[0].end(),
                                [&](const std::string& line) {
                                    return line.starts_with(passive ? "EPSV" : "EPRT |2|::1|");
                                }))
            << passive;
        std::filesystem::remove(server.Root() + "/image.jpg");
    }
}

TEST(FtpStop, AStopRequestEndsAnUploadToAServerThatAnswersLate) {
    LocalFtpServer server(0, {"late=50"});
    FtpSettings ftp{"127.0.0.1:" + std::to_string(server.Port()), "station", "secret", "",
                    "image.jpg"};
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    auto started = std::chrono::steady_clock::now();
    std::string error = tryUpload(ftp, kImage, [&] { return stop.load(); });
    stopper.join();
    EXPECT_EQ(error, "The export was stopped before it finished, because Skyvane was closing.");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(FtpTest, RefusalsAreToldInTheServersWords) {
    FtpSettings wrong = settings();
    wrong.password = "guess";
    EXPECT_EQ(upload(wrong), "530 Authentication failed.");

    FtpSettings missing = settings();
    missing.filePath = "/no/such/folder";
    EXPECT_EQ(upload(missing), "550 No such file or directory.");

    EXPECT_EQ(upload(settings("reader")), "550 Not enough privileges.");

    EXPECT_EQ(upload(settings()), "");
    // May store and rename, but not delete the old target: the old image stays.
    EXPECT_EQ(upload(settings("keeper"), "new"), "550 Not enough privileges.");
    EXPECT_EQ(readFile(target()), kImage);
    // May delete but not rename: the target is gone, the new image waits as the temporary file.
    EXPECT_EQ(upload(settings("placer"), "new"), "550 Not enough privileges.");
    EXPECT_EQ(readFile(temporary()), "new");
    // The next good upload clears the leftover.
    EXPECT_EQ(upload(settings(), "good"), "");
    EXPECT_EQ(readFile(target()), "good");
    EXPECT_FALSE(std::filesystem::exists(temporary()));
}

TEST_F(FtpTest, SettingsAreCheckedBeforeAnythingIsSent) {
    FtpSettings ftp = settings();
    ftp.fileName.clear();
    EXPECT_EQ(upload(ftp), "The FTP target filename is empty");
    ftp = settings();
    ftp.password.clear();
    EXPECT_EQ(upload(ftp), "The FTP password is empty");
    ftp = settings();
    ftp.serverName.clear();
    EXPECT_EQ(upload(ftp), "The FTP servername is empty");
    ftp = settings();
    ftp.userName.clear();
    EXPECT_EQ(upload(ftp), "The FTP username is empty");

    ftp = settings();
    ftp.fileName = "x.jpg\r\nDELE overview.jpg";
    EXPECT_EQ(upload(ftp), "The FTP file name or file path holds a line break");
    ftp = settings();
    ftp.filePath = std::string("/htdocs\0/x", 10);
    EXPECT_EQ(upload(ftp), "The FTP file name or file path holds a line break");

    ftp = settings();
    ftp.serverName = "127.0.0.1:1";
    std::string error = upload(ftp);
    EXPECT_NE(error.find("onnect"), std::string::npos) << error;
}

TEST(FtpOutage, AServerStoppedMidTransferLeavesTheNextUploadClean) {
    auto server = std::make_unique<LocalFtpServer>();
    int port = server->Port();
    std::string root = server->Root();
    FtpSettings ftp{"127.0.0.1:" + std::to_string(port), "station", "secret", "", "big.bin"};
    std::string big(64 * 1024 * 1024, 'b');
    std::thread killer([&] {
        for (int i = 0; i < 400 && !std::filesystem::exists(root + "/tmp_big.bin"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server->Kill();
    });
    bool failed = false;
    try {
        UploadByFtp(ftp, reinterpret_cast<const unsigned char*>(big.data()), big.size());
    } catch (const CInternetException&) {
        failed = true;
    }
    killer.join();
    EXPECT_TRUE(failed);
    EXPECT_FALSE(std::filesystem::exists(root + "/big.bin"));

    // The same folder served again on the same port: the next upload cleans up.
    LocalFtpServer again(port);
    ASSERT_EQ(again.Port(), port);
    std::filesystem::copy(root, again.Root(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    UploadByFtp(ftp, reinterpret_cast<const unsigned char*>("small"), 5);
    EXPECT_EQ(readFile(again.Root() + "/big.bin"), "small");
    EXPECT_FALSE(std::filesystem::exists(again.Root() + "/tmp_big.bin"));
}

}  // namespace
