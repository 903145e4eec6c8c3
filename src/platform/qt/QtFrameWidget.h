#pragma once

#include <QMainWindow>

class IWindowHandler;

// The Qt widget of a top-level window: it turns the title-bar close into a
// close request for the window's owner, which decides when to destroy it.
class CQtFrameWidget : public QMainWindow {
    Q_OBJECT

public:
    explicit CQtFrameWidget(IWindowHandler* handler);
    // Stops events from reaching the owner; used while the window goes away.
    void Detach() { m_handler = nullptr; }
    IWindowHandler* GetHandler() const { return m_handler; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    IWindowHandler* m_handler;
};
