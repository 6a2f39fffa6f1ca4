#include "weather/weewx_archive.h"

bool looksLikeSqliteDatabase(std::string_view head) {
    return head.starts_with(std::string_view("SQLite format 3\0", 16));
}

ArchiveReadings readWeeWXArchive(const std::string&) {
    ArchiveReadings archive;
    archive.parsed.error = "not read yet";
    return archive;
}
