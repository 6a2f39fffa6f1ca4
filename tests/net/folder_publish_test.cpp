#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>

#include "base/settings.h"
#include "support/ftp_upload.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

class FolderPublishTest : public testing::Test {
  protected:
    void SetUp() override { CSettings::Instance().SetLangID(1033); }
    std::string Root() const { return m_root.path().toStdString(); }
    // No user name or password: a folder needs none.
    FtpSettings Settings(const std::string& folder) const {
        return {"file://" + Root(), "", "", folder, "overview.jpg"};
    }

    QTemporaryDir m_root;
};

TEST_F(FolderPublishTest, TwoPublishesLeaveOnlyTheImageWithTheUmasksMode) {
    fs::create_directories(Root() + "/www/weather");
    mode_t previous = umask(022);
    // Relative to the server field's folder, and absolute.
    for (const std::string& folder : {std::string("www/weather"), Root() + "/www/weather/"}) {
        EXPECT_EQ(tryUpload(Settings(folder)), "") << folder;
        EXPECT_EQ(tryUpload(Settings(folder), "second"), "") << folder;
        std::vector<fs::path> left(fs::directory_iterator(Root() + "/www/weather"), {});
        ASSERT_EQ(left.size(), 1u) << folder;
        EXPECT_EQ(left[0].filename(), "overview.jpg");
        EXPECT_EQ(readFile(left[0]), "second");
        EXPECT_EQ(fs::status(left[0]).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read);
        fs::remove(left[0]);
    }
    umask(previous);
    // A leftover of an interrupted publish goes.
    writeFile(Root() + "/tmp_overview.jpg", "half");
    EXPECT_EQ(tryUpload(Settings("")), "");
    EXPECT_FALSE(fs::exists(Root() + "/tmp_overview.jpg"));
    EXPECT_EQ(readFile(Root() + "/overview.jpg"), kImage);
}

TEST_F(FolderPublishTest, AMissingOrUnwritableFolderIsAClearErrorAndNothingIsMade) {
    writeFile(Root() + "/plain-file", "x");
    fs::create_directories(Root() + "/locked");
    FtpSettings slash = Settings("");
    slash.fileName = "sub/overview.jpg";
    struct Case {
        FtpSettings settings;
        std::string expected;
    };
    const Case cases[] = {
        {Settings("no/such"), "The folder " + Root() +
                                  "/no/such does not exist. Skyvane does not create it: make it, "
                                  "or correct the server name and the folder."},
        {Settings("plain-file"), Root() + "/plain-file is not a folder."},
        {slash,
         "The file name \"sub/overview.jpg\" holds a \"/\": enter folders in the folder field."},
        {{"file://relative/folder", "", "", "", "x.jpg"},
         "The server name \"file://relative/folder\" is not understood. Write host or host:port, "
         "or put ftpes:// (FTP with TLS), ftps:// (FTP with TLS from the start), sftp:// (SSH), "
         "davs:// or dav:// (WebDAV with or without HTTPS) before it; a folder of this computer "
         "is file:///folder."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tryUpload(c.settings), c.expected);
    }
    EXPECT_FALSE(fs::exists(Root() + "/no"));

    // Root writes into any folder it may not: there the folder is a read-only mount.
    std::string locked = Root() + "/locked";
    bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(mount(locked.c_str(), locked.c_str(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(
            mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    } else {
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    }
    std::string error = tryUpload(Settings("locked"));
    if (root) {
        umount2(locked.c_str(), MNT_DETACH);
    } else {
        fs::permissions(locked, fs::perms::owner_all);
    }
    EXPECT_EQ(error, "The image could not be written into the folder " + locked + ": " +
                         (root ? "Read-only file system." : "Permission denied."));
    EXPECT_TRUE(fs::is_empty(locked));
}

}  // namespace
