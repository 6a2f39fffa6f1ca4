// Replacing a file so that a reader sees the old one or the new one whole, never a part.
#pragma once

#include <string>

// Who may read a file that did not exist before.
enum class NewFileAccess {
    OwnerOnly,  // it may hold passwords
    Umask,      // as the process's umask allows, as any new file
};

// Writes bytes into a new file beside path, flushes it to disk and renames it over path. The
// file keeps the permissions of the one it replaces. A file without any write permission is
// never replaced. False, with errno set, on failure.
bool replaceFileAtomically(const std::string& path, const std::string& bytes,
                           NewFileAccess access = NewFileAccess::OwnerOnly);
