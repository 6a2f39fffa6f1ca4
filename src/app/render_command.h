// "skyvane render": every image of the image list (or the named one) as an export would
// render it, written as files into a folder.
#pragma once

#include <QStringList>

// Runs the command with the arguments after "render"; returns the exit code.
int runRenderCommand(const QStringList& arguments);
