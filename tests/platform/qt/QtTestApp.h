#pragma once

#include <QApplication>

// The one application object of the Qt tests, shared by every test file.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
