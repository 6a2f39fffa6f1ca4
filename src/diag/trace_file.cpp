#include "diag/trace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "base/clock.h"

CTraceFile::~CTraceFile() {
    Close();
}

void CTraceFile::SetThreshold(int level) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_threshold = level;
}

void CTraceFile::SetName(const char* prefix) {
    std::lock_guard<std::mutex> guard(m_lock);
    Close();
    m_prefix = prefix != nullptr ? prefix : "";
}

std::string CTraceFile::CurrentFileName() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fileName;
}

void CTraceFile::Open(const std::tm& now) {
    char name[4096];
    std::snprintf(name, sizeof name, "%s_%04d%02d%02d_%02d%02d%02d_%X.txt",
                  m_prefix ? m_prefix->c_str() : "Trace", now.tm_year + 1900, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec,
                  static_cast<unsigned>(getpid()));
    m_fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd >= 0) {
        m_openedAt = now;
        m_fileName = name;
    }
}

void CTraceFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_fileName.clear();
}

void CTraceFile::Write(int level, const char* format, ...) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_threshold == 0 || level > m_threshold) {
        return;
    }
    std::tm now{};
    int millisecond = 0;
    if (!Clock::ToLocal(Clock::Now(), now, millisecond)) {
        return;
    }
    if (m_fd >= 0 && (now.tm_year != m_openedAt.tm_year || now.tm_mon != m_openedAt.tm_mon ||
                      now.tm_mday != m_openedAt.tm_mday)) {
        Close();
    }
    if (m_fd < 0) {
        Open(now);
    }
    if (m_fd < 0) {
        return;
    }

    char line[32840];
    int length = std::snprintf(line, sizeof line, "%02d:%02d:%02d_%03d_%X: ", now.tm_hour,
                               now.tm_min, now.tm_sec, millisecond, m_tag);
    va_list args;
    va_start(args, format);
    int message = std::vsnprintf(line + length, 32768 + 1, format, args);
    va_end(args);
    length += std::min(message < 0 ? 0 : message, 32768);
    line[length++] = '\r';
    line[length++] = '\n';
    // Write errors are not reported: there is nowhere left to report them.
    [[maybe_unused]] ssize_t written = ::write(m_fd, line, static_cast<size_t>(length));
}
