// Benchmarks keep their settings and data in a folder of their own, never the user's.
#pragma once

#include <QTemporaryDir>

inline void useScratchHome(const QTemporaryDir& home) {
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    // Known SSH host keys too.
    qputenv("HOME", home.path().toLocal8Bit());
}
