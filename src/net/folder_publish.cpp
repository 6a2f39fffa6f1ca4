#include "net/folder_publish.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/internet.h"

namespace {

CInternetException failure(const std::string& text) {
    return CInternetException(0, text);
}

CInternetException writeFailure(const std::string& folder, int error) {
    return failure(LangString(kTextFolderWriteFailed, {folder, std::strerror(error)}));
}

bool writeAll(int fd, const unsigned char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t written = write(fd, data + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

void PublishToFolder(const std::string& base, const FtpSettings& settings,
                     const std::string& temporary, const unsigned char* data, size_t size) {
    if (settings.fileName.find('/') != std::string::npos) {
        throw failure(LangString(kTextFileNameHoldsSlash, {settings.fileName}));
    }
    std::string folder = (std::filesystem::path(base) / settings.filePath).lexically_normal();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            throw failure(LangString(kTextFolderMissing, {folder}));
        }
        throw writeFailure(folder, errno);
    }
    if (!S_ISDIR(status.st_mode)) {
        throw failure(LangString(kTextNotAFolder, {folder}));
    }
    std::string temporaryPath = folder + "/" + temporary;
    std::string targetPath = folder + "/" + settings.fileName;
    // A leftover of an interrupted export goes first; a new file of our own (never a link
    // planted in its place) takes its name, with the mode the umask gives.
    unlink(temporaryPath.c_str());
    int fd =
        open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw writeFailure(folder, errno);
    }
    bool written = writeAll(fd, data, size) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written || rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        error = written ? errno : error;
        unlink(temporaryPath.c_str());
        throw writeFailure(folder, error);
    }
    // The new name lasts a power cut too.
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
}
