#include "base/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace {

// Writes all bytes; false on any failure.
bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Removes what an earlier save that was killed left beside the file.
void removeStaleSaves(const QFileInfo& file) {
    for (const QFileInfo& stale :
         file.dir().entryInfoList({file.fileName() + ".saving-*"}, QDir::Files | QDir::Hidden)) {
        QFile::remove(stale.filePath());
    }
}

// The permissions open() would give a new file, from the umask the kernel reports, which unlike
// umask() reads it without changing it under other threads.
mode_t umaskedMode() {
    mode_t mask = 022;
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

}  // namespace

bool replaceFileAtomically(const std::string& path, const std::string& bytes,
                           NewFileAccess access) {
    QFileInfo file(QString::fromStdString(path));
    std::string folder = file.absolutePath().toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    struct stat existing {};
    bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    removeStaleSaves(file);
    std::string temporary = path + ".saving-XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool ok = (exists                           ? fchmod(fd, existing.st_mode & 07777) == 0
               : access == NewFileAccess::Umask ? fchmod(fd, umaskedMode()) == 0
                                                : true) &&
              writeAll(fd, bytes) && fsync(fd) == 0;
    int failure = errno;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        failure = ok ? errno : failure;
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    // The rename itself survives a power cut only once the folder is on disk.
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}
