// "skyvane receive": the receiver of a Wi-Fi console's customized upload, writing each good
// post into a weather file.
#pragma once

#include <QStringList>

// Runs with the arguments after "receive" until SIGINT or SIGTERM; returns the exit code.
int runReceiveCommand(const QStringList& arguments);
