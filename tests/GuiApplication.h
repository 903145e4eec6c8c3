#pragma once

#include <QGuiApplication>

// The one Qt application of a GL test program, made by the first test that
// needs it: a second one in the same program crashes it at exit.
inline void EnsureGuiApplication() {
    if (QGuiApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "notara-gl-test";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}
