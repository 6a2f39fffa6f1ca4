// The example images that come with the program, and the copy of them a user opens: the
// installed ones are read-only, and a list the program could not save would hold up closing.
#pragma once

#include <QString>

// The examples installed with a program that lives in programFolder: the package's
// documentation folder beside its bin folder; empty when there are none.
QString InstalledExamples(const QString& programFolder);

// Copies the files of the examples folder from into to, keeping every file that is there
// already. Returns the image list of the copy, empty when it could not be made; fresh tells
// whether the list was copied just now.
QString CopyExamples(const QString& from, const QString& to, bool& fresh);
