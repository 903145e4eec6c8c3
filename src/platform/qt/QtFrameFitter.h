#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

class QWidget;

// Keeps a window the program places inside the free area of its screen,
// frame and title bar included. A window manager frames a window only after
// it is shown, so the frame's size is not known when the window is placed:
// the fitter watches the window until its frame appears (or a second has
// passed) and then moves and shrinks it to fit. Windows the user moves
// afterwards are left where the user puts them.
class CQtFrameFitter : public QObject {
public:
    static constexpr int kFrameWaitMs = 1000;  // how long a frame may take to appear
    static constexpr int kRecheckMs = 100;

    // Moves window's frame to rect's top-left and sizes its client area to
    // rect's size, then keeps it inside its screen as described above.
    static void Place(QWidget* window, const QRect& rect);
    // Moves and, where it must, shrinks window so that its frame lies
    // inside area. True when it changed anything.
    static bool FitFrame(QWidget* window, const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CQtFrameFitter(QWidget* window);
    void Watch();
    void Check();

    QWidget* m_window;
    QElapsedTimer m_shown;  // started when the watched window shows
    bool m_pending = false;
};
