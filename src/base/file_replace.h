// Replacing a file so that a reader sees the old one or the new one whole, never a part.
#pragma once

#include <string>

// Writes bytes into a new file beside path, flushes it to disk and renames it over path. The
// file keeps the permissions of the one it replaces; a new one is readable by its owner only.
// A file without any write permission is never replaced. False, with errno set, on failure.
bool replaceFileAtomically(const std::string& path, const std::string& bytes);
