// One shared library of the running process, described for the environment report.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

class CFileInfo {
  public:
    // Looks for a loaded library whose file name begins with name ("libpng16.so"); one that is
    // not loaded leaves every other field empty or zero.
    explicit CFileInfo(const std::string& name);
    virtual ~CFileInfo() = default;

    // Header of the CSV lines.
    static constexpr const char* kCsvHeader = "File,Created,Modified,Version,Size,FullName,HModule";

    // "major.minor.patch.0" from the library's file name; empty when it carries none.
    std::string GetVersionText() const;

    // name,created,modified,version,size,full path,load address in hex.
    std::string GetCsvLine() const;

    bool IsFound() const { return m_found; }

  private:
    std::string m_name;
    bool m_infoValid = false;
    bool m_found = false;
    std::string m_fullPath;
    std::time_t m_created = 0;
    std::time_t m_modified = 0;
    std::uint64_t m_size = 0;
    std::uintptr_t m_module = 0;
};
