// "skyvane check": every image of the image list (or the named one) drawn in every state,
// language and widest reading, one line per layout problem found.
#pragma once

#include <QStringList>

// Runs the command with the arguments after "check"; returns the exit code: 0 when nothing was
// found, 1 when something was or the list could not be read, 2 for wrong arguments.
int runCheckCommand(const QStringList& arguments);
