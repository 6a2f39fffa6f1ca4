// "skyvane --headless": the schedules and exports of the image list without any window.
#pragma once

#include <QStringList>

// Runs until SIGINT or SIGTERM; returns the exit code.
int runHeadless(const QStringList& arguments);
