#include "diag/file_info.h"

#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

struct Search {
    std::string_view name;
    std::string path;
    std::uintptr_t base = 0;
};

int matchLoaded(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    std::string_view path = info->dlpi_name != nullptr ? info->dlpi_name : "";
    std::string_view file = path.substr(path.rfind('/') + 1);
    if (!file.empty() && file.substr(0, search->name.size()) == search->name) {
        search->path = path;
        search->base = info->dlpi_addr;
        return 1;
    }
    return 0;
}

std::string localTimeText(std::time_t t) {
    std::tm local{};
    char text[64] = {};
    if (localtime_r(&t, &local) != nullptr) {
        std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    }
    return text;
}

}  // namespace

CFileInfo::CFileInfo(const std::string& name) : m_name(name) {
    Search search{m_name, {}, 0};
    dl_iterate_phdr(&matchLoaded, &search);
    if (search.path.empty()) {
        return;
    }
    // The loader may name a link; the report shows the file itself.
    char* real = realpath(search.path.c_str(), nullptr);
    m_fullPath = real != nullptr ? real : search.path;
    std::free(real);
    m_found = true;
    m_module = search.base;

    struct statx info {};
    if (statx(AT_FDCWD, m_fullPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) == 0) {
        m_infoValid = true;
        m_modified = info.stx_mtime.tv_sec;
        m_created = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_ctime.tv_sec;
        m_size = info.stx_size;
    }
}

std::string CFileInfo::GetVersionText() const {
    auto so = m_fullPath.rfind(".so.");
    if (so == std::string::npos) {
        return "";
    }
    unsigned parts[4] = {};
    const char* rest = m_fullPath.c_str() + so + 4;
    for (unsigned& part : parts) {
        char* end = nullptr;
        part = static_cast<unsigned>(std::strtoul(rest, &end, 10));
        if (*end != '.') {
            break;
        }
        rest = end + 1;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return text;
}

std::string CFileInfo::GetCsvLine() const {
    char size[32];
    char module[32];
    std::snprintf(size, sizeof size, "%lu", static_cast<unsigned long>(m_size & 0xFFFFFFFFu));
    std::snprintf(module, sizeof module, "%lx", static_cast<unsigned long>(m_module));
    return m_name + "," + localTimeText(m_infoValid ? m_created : 0) + "," +
           localTimeText(m_infoValid ? m_modified : 0) + "," + GetVersionText() + "," + size + "," +
           m_fullPath + "," + module;
}
