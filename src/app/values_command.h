// "skyvane values": every reading in every format, then the weather states.
#pragma once

#include <QStringList>

// Runs the command with the arguments after "values"; returns the exit code.
int runValuesCommand(const QStringList& arguments);
