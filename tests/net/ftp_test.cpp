#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include "base/settings.h"
#include "net/ftp_publisher.h"
#include "net/internet.h"
#include "support/ftp_server.h"
#include "support/test_files.h"

namespace {

const std::string kImage = [] {
    std::string bytes(100 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 31) % 251);
    }
    return bytes;
}();

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
        try {
            UploadByFtp(ftp, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        } catch (const std::exception& error) {
            return error.what();
        }
        return "";
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
