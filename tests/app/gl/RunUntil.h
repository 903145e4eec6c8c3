#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

// Runs the Qt event loop until done says so or timeoutMs pass; false then.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
