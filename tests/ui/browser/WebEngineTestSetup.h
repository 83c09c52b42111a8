#pragma once

#include "TestEnv.h"

#include <QCoreApplication>

// What the program's main() does before its application object exists, so
// that the web engine starts the same way in tests.
inline void prepareWebEngine()
{
    TestEnv::keepWebViewsOffline();
    // As the test scripts do: the web views' engine runs as root only without its sandbox.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// Page loads run in other processes; on a busy machine they take a while.
inline constexpr int PageTimeout = 20000;
