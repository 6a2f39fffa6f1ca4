// The "--name value" options of the commands, and the texts that tell a user where to look.
#pragma once

#include <QStringList>
#include <map>
#include <string>

#include "profiles/profiles_file.h"

using CommandOptions = std::map<QString, std::string>;

// Reads "--name value" pairs whose names are in names; false for anything else.
bool parseOptions(const QStringList& arguments, const QStringList& names, CommandOptions& options);

// The text printed by --help: every command, and where settings and files are looked for.
std::string helpText();

// Makes the weather file of --weather the one of this run; false, with a line on standard
// error that names the path tried and how to give another, when it holds no readings.
bool useWeatherFile(const char* command, const CommandOptions& options);

// The image list of --profiles, else the one last opened; std::runtime_error that names the
// path tried and how to give another when it cannot be read.
ProfileList loadImageList(const CommandOptions& options, QObject* view = nullptr);

// The images of the list that --image names, or all without it; std::runtime_error "No image
// named ..." when it names none of them.
std::vector<CProfile*> selectedImages(const ProfileList& profiles, const CommandOptions& options);
