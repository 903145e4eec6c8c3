#pragma once

#include <QApplication>

// The one application object of the Qt tests, shared by every test file.
// It lives until the process ends and is never destroyed: the input devices
// that simulated key and mouse events make are destroyed at exit, after any
// static application object, and would crash on a destroyed one.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // NOLINT: lives to the end
    return *app;
}
