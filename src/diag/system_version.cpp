#include "diag/system_version.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>

CWindowsVersion::CWindowsVersion() {
    utsname name{};
    if (uname(&name) != 0) {
        return;
    }
    m_platform = name.sysname;
    // The release begins with the version numbers: "6.1.0-18-amd64".
    char* rest = name.release;
    unsigned long* parts[] = {&m_major, &m_minor, &m_build};
    for (unsigned long* part : parts) {
        char* end = nullptr;
        *part = std::strtoul(rest, &end, 10);
        rest = *end == '.' ? end + 1 : end;
    }
    m_details = std::string(name.release) + " " + name.version + " " + name.machine;
}

std::string CWindowsVersion::GetDescription() const {
    char text[1024];
    std::snprintf(text, sizeof text, "%s %lu.%lu.%lu : %s",
                  m_platform.empty() ? "Unknown" : m_platform.c_str(), m_major, m_minor,
                  m_build & 0xFFFF, m_details.c_str());
    return text;
}
