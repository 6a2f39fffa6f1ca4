// Commands that only print or render must leave the user's settings as they are.
#pragma once

#include <QTemporaryDir>

// Moves this process's settings to a scratch store in dir that starts as a copy of the
// user's stored values; call before anything reads a setting.
void useScratchSettings(const QTemporaryDir& dir);
