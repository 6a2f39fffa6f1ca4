// What the running operating system is, for the environment report of a fatal error.
#pragma once

#include <string>

class CWindowsVersion {
  public:
    // Reads the system's version now; all zero when it cannot be read.
    CWindowsVersion();
    virtual ~CWindowsVersion() = default;

    // "<system> <major>.<minor>.<build> : <release details>", e.g.
    // "Linux 6.1.0 : 6.1.0-18-amd64 #1 SMP Debian x86_64".
    std::string GetDescription() const;

  private:
    std::string m_platform;
    unsigned long m_major = 0;
    unsigned long m_minor = 0;
    unsigned long m_build = 0;
    std::string m_details;
};
