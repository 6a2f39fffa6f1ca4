// The trace file: time-stamped lines in a text file that is opened on the first line, one file
// per calendar day. Written after a fatal error; safe to write from several threads.
#pragma once

#include <ctime>
#include <mutex>
#include <optional>
#include <string>

#include "base/singleton.h"

class CTraceFile {
  public:
    // The one trace file object; "Dead Reference Detected" after process exit.
    static CTraceFile& Instance() { return SingletonHolder<CTraceFile>::Instance(); }

    // Lines above this level are dropped; 0 turns tracing off.
    void SetThreshold(int level);

    // Closes the open file; the next line opens "<prefix>_<date>_<time>_<pid>.txt". A null
    // prefix is stored as the empty one.
    void SetName(const char* prefix);

    // Writes one line "hh:mm:ss_mmm_<tag>: <message>\r\n" unless tracing is off or the level
    // is above the threshold.
    void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Name of the file now open; empty while none is.
    std::string CurrentFileName() const;

    ~CTraceFile();

  private:
    friend class SingletonHolder<CTraceFile>;
    CTraceFile() = default;

    void Open(const std::tm& now);
    void Close();

    mutable std::mutex m_lock;
    int m_fd = -1;
    int m_threshold = 0;
    unsigned m_tag = 0;
    std::optional<std::string> m_prefix;
    std::tm m_openedAt{};
    std::string m_fileName;
};
