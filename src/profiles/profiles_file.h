// The image list on disk: one XML file of profile elements, each with its drawing.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "profiles/profile.h"

using ProfileList = std::vector<std::unique_ptr<CProfile>>;

// The file named by the OpenedFile setting when it can be read, else the default
// "<program directory>SKV/data/data.xml".
std::string ProfilesFileToLoad();

// Every profile element of the file, at any depth, in document order, bound to view; each
// value decoded on its own (UTF-8 where valid, else Windows-1252). Stores
// the path as OpenedFile and makes the file's folder the current directory first, so relative
// picture paths resolve against it. std::runtime_error "The file could not be loaded (path)"
// when the file cannot be read or parsed.
ProfileList LoadProfilesFile(const std::string& path, QObject* view);

// Writes the list with tab indentation and CR LF line ends, in Windows-1252 when every text
// fits it and in UTF-8 otherwise, into a new file beside the old one, flushed to disk, then
// renamed over it: a failed save leaves the old file as it was. The file keeps its
// permissions (a new one is the owner's only); one without any write permission is not
// replaced. Stores the path as OpenedFile. std::runtime_error "The file could not be saved,
// ... (path)" on failure.
void SaveProfilesFile(const std::string& path, const ProfileList& profiles);
