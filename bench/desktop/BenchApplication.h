#pragma once

#include <QApplication>

namespace kestrane {

// Fonts and the raster engine want an application; painting goes to images only.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "kestrane_desktop_bench";
    static char* argv[] = { name, nullptr };
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
}

} // namespace kestrane
