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
    // Never destroyed: at exit, a static application would be torn down after the Qt
    // globals its destructor still uses, and crash once the results are printed.
    static const QApplication* application = new QApplication(argc, argv);
    (void)application;
}

} // namespace kestrane
