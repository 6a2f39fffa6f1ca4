#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/settings.h"
#include "support/dav_server.h"
#include "support/ftp_upload.h"
#include "support/script_server.h"
#include "support/test_certificates.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

class DavTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        ASSERT_TRUE(m_certificates.Made());
        m_certificates.Trust();
    }
    // A server of the kind, its weather folders made (as the server's own user).
    std::unique_ptr<LocalDavServer> Server(bool tls) {
        auto server = tls ? std::make_unique<LocalDavServer>(m_certificates.Certificate("server"),
                                                             m_certificates.Key("server"))
                          : std::make_unique<LocalDavServer>();
        EXPECT_TRUE(server->Running()) << server->Log();
        for (const char* area : {"dav", "digest", "open", "readonly"}) {
            fs::create_directory(server->Root(area) + "/weather");
            if (geteuid() == 0) {
                EXPECT_EQ(chown((server->Root(area) + "/weather").c_str(), 33, 33), 0);
            }
        }
        return server;
    }
    static FtpSettings Settings(const char* prefix, const LocalDavServer& server,
                                const std::string& area = "dav") {
        return {prefix + std::string("127.0.0.1:") + std::to_string(server.Port()) + "/" + area,
                LocalDavServer::kUser, LocalDavServer::kPassword, "weather", "overview.jpg"};
    }

    TestCertificates m_certificates;
};

TEST_F(DavTest, PutThenMoveOverHttpAndHttpsWithEveryLogin) {
    auto plain = Server(false);
    auto tls = Server(true);
    FtpSettings basicOverHttp = Settings("dav://", *plain);
    basicOverHttp.davPlainLogin = true;
    FtpSettings absolute = Settings("davs://", *tls, "");
    absolute.filePath = "/dav/weather";
    FtpSettings anonymous = Settings("dav://", *plain, "open");
    anonymous.userName = anonymous.password = "";
    struct Case {
        FtpSettings settings;
        std::string folder;
    };
    const Case cases[] = {
        {basicOverHttp, plain->Root("dav")},
        {Settings("davs://", *tls), tls->Root("dav")},
        {absolute, tls->Root("dav")},
        // Digest never shows the password: no opt-in needed over HTTP.
        {Settings("dav://", *plain, "digest"), plain->Root("digest")},
        {anonymous, plain->Root("open")},
        // A login offered where none is asked for: the body still arrives whole.
        {Settings("dav://", *plain, "open"), plain->Root("open")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings.serverName);
        EXPECT_EQ(tryUpload(c.settings, "first"), "");
        EXPECT_EQ(tryUpload(c.settings), "");
        std::vector<fs::path> left(fs::directory_iterator(c.folder + "/weather"), {});
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].filename(), "overview.jpg");
        EXPECT_TRUE(readFile(left[0]) == kImage);
        fs::remove(left[0]);
    }
}

TEST_F(DavTest, RefusalsCarryTheStatusLineAndSayWhatToDo) {
    auto plain = Server(false);
    auto tls = Server(true);
    std::string host = "127.0.0.1:" + std::to_string(plain->Port());
    FtpSettings wrong = Settings("davs://", *tls);
    wrong.password = "guess";
    FtpSettings missing = Settings("davs://", *tls);
    missing.filePath = "no/such";
    LocalDavServer untrusted(m_certificates.Certificate("selfsigned"),
                             m_certificates.Key("selfsigned"));
    struct Case {
        FtpSettings settings;
        std::string expected;
    };
    const Case cases[] = {
        {Settings("dav://", *plain),
         "The server refused PUT /dav/weather/tmp_overview.jpg: HTTP/1.1 401 Unauthorized\nThe "
         "server wants the password in plain text (Basic login) over an unencrypted connection, "
         "so it was not sent. Put davs:// before the server name (davs://127.0.0.1/dav) if the "
         "server has HTTPS. Only for a server that has no encryption at all: tick \"Allow login "
         "without encryption\" for this image."},
        {wrong,
         "The server refused PUT /dav/weather/tmp_overview.jpg: HTTP/1.1 401 Unauthorized\nCheck "
         "the user name and password."},
        {missing,
         "The server refused PUT /dav/no/such/tmp_overview.jpg: HTTP/1.1 409 Conflict\nThe folder "
         "/dav/no/such does not exist on the server. Skyvane does not create it: make it, or "
         "correct the server name and the folder."},
        {Settings("dav://", *plain, "readonly"),
         "The server refused PUT /readonly/weather/tmp_overview.jpg: HTTP/1.1 403 Forbidden\nThe "
         "account may not write there, or the server allows no WebDAV there."},
        {Settings("davs://", untrusted),
         "The server's certificate is not trusted: self-signed certificate. Check the server name; "
         "a certificate from an authority of your own must be in the system's trust store "
         "(update-ca-certificates) or in the file named by SSL_CERT_FILE."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tryUpload(c.settings), c.expected) << c.settings.serverName;
    }
    // Nothing reached the folders, not even the temporary file.
    EXPECT_TRUE(fs::is_empty(plain->Root("dav") + "/weather"));
    EXPECT_TRUE(fs::is_empty(tls->Root("dav") + "/weather"));
    EXPECT_FALSE(fs::exists(tls->Root("dav") + "/no"));
}

// Takes the first MiB of each connection, then reads no more and never answers.
class SilentServer : public ScriptServer {
  public:
    SilentServer() : ScriptServer("silent_server.py", {QString::number(1024 * 1024)}) {}
};

TEST(DavSilentServer, AServerThatNeverAnswersOrAStopEndsTheUploadSoon) {
    CSettings::Instance().SetLangID(1033);
    SilentServer silent;
    std::string where = "127.0.0.1:" + std::to_string(silent.Port());
    FtpSettings plain{"dav://" + where, "", "", "", "image.jpg"};
    FtpSettings tls{"davs://" + where, "", "", "", "image.jpg"};
    std::string big(8 * 1024 * 1024, 'b');
    std::atomic<bool> stop{false};
    struct Case {
        FtpSettings settings;
        const std::string& bytes;
        StopCheck stop;
        std::string expected;
        int stall;    // seconds
        int seconds;  // the upload ends within them
    };
    const Case cases[] = {
        // The request's head went out; its answer (to go on with the body) never comes.
        {plain, kImage, {}, "The server did not answer PUT within 1 seconds.", 1, 2},
        // The body goes after a second without that answer, and sticks after the first MiB.
        {plain, big, {}, "", 2, 8},
        {tls,
         kImage,
         {},
         "The TLS handshake with " + where + " did not finish within 1 seconds.",
         1,
         2},
        // Within about a second, as for FTP.
        {plain, big, [&] { return stop.load(); },
         "The export was stopped before it finished, because Skyvane was closing.", 60, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        stop = false;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            stop = true;
        });
        auto started = std::chrono::steady_clock::now();
        std::string error = tryUpload(c.settings, c.bytes, c.stop, FtpLimits{2, 1, c.stall});
        stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(c.seconds));
        if (c.expected.empty()) {
            EXPECT_TRUE(contains(error,
                                 "Nothing was transferred for 2 seconds; the transfer was "
                                 "ended after "))
                << error;
        } else {
            EXPECT_EQ(error, c.expected);
        }
    }
}

}  // namespace
