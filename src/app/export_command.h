// "skyvane export": publishes one image of the image list at once.
#pragma once

#include <QStringList>

// Runs the command with the arguments after "export"; 0 when the image was published.
int runExportCommand(const QStringList& arguments);
