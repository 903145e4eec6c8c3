#include "platform/qt/QtWindow.h"
#include "platform/qt/QtFrameFitter.h"

#include "platform/qt/QtStatusLabel.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QOpenGLContext>
#include <QPixmap>

#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtFrameWidget.h"
#include "platform/qt/QtGlFormat.h"
#include "platform/qt/QtGlView.h"

CQtWindow::CQtWindow(CQtEventLoop& loop, IWindowHandler* handler)
    : m_loop(loop), m_id(loop.AddWindow(handler)), m_widget(new CQtFrameWidget(handler)) {}

CQtWindow::~CQtWindow() {
    m_loop.RemoveWindow(m_id);
    if (m_widget) {
        m_widget->Detach();
        m_widget->hide();
        m_widget->deleteLater();  // we may be inside one of its events
    }
}

void CQtWindow::SetTitle(const char* title) {
    m_widget->setWindowTitle(QString::fromUtf8(title != nullptr ? title : ""));
}

void CQtWindow::AddItems(QMenu* menu, const std::vector<MENU_ITEM>& items) {
    for (const MENU_ITEM& item : items) {
        const QString text = QString::fromStdString(item.text);
        if (!item.items.empty()) {
            AddItems(menu->addMenu(text), item.items);
        } else if (item.text.empty() && item.commandId == 0) {
            menu->addSeparator();
        } else {
            const int command = item.commandId;
            QAction* action = menu->addAction(text);
            action->setEnabled(item.enabled);
            action->setCheckable(item.checkable);
            action->setChecked(item.checked);
            if (!item.shortcut.empty()) {
                action->setShortcut(QKeySequence(QString::fromStdString(item.shortcut)));
                // The learner's keys reach the main window from every window.
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            QObject::connect(action, &QAction::triggered, m_widget, [widget = m_widget, command] {
                if (widget && widget->GetHandler() != nullptr) {
                    widget->GetHandler()->OnCommand(command);
                }
            });
        }
    }
}

void CQtWindow::SetMenu(int, const std::vector<MENU_ITEM>& menu) {
    QMenuBar* bar = m_widget->menuBar();
    bar->clear();
    for (const MENU_ITEM& popup : menu) {
        AddItems(bar->addMenu(QString::fromStdString(popup.text)), popup.items);
    }
}

void CQtWindow::SetRect(const WINDOW_RECT& rect) {
    CQtFrameFitter::Place(m_widget, QRect(rect.left, rect.top, rect.width, rect.height));
}

WINDOW_RECT CQtWindow::GetRect() const {
    // move() places the frame and resize() sizes the client area: read the
    // same two back, so that a restored window does not creep by its frame.
    const QPoint at = m_widget->pos();
    const QSize size = m_widget->size();
    return WINDOW_RECT{at.x(), at.y(), size.width(), size.height()};
}

void CQtWindow::SetMinimumSize(int width, int height) {
    m_widget->setMinimumSize(width, height);
}

void CQtWindow::Show(bool show) {
    m_widget->setVisible(show);
}

bool CQtWindow::IsVisible() const {
    return m_widget->isVisible();
}

void CQtWindow::BringToFront() {
    m_widget->raise();
    m_widget->activateWindow();
}

void CQtWindow::SetStatusText(const char* text) {
    if (m_widget == nullptr) {
        return;
    }
    if (m_statusLabel == nullptr) {
        m_statusLabel = new CQtStatusLabel();  // the status bar owns it
        m_widget->statusBar()->addWidget(m_statusLabel, 1);
    }
    m_statusLabel->SetFullText(QString::fromUtf8(text != nullptr ? text : ""));
}

QString CQtWindow::GetStatusText() const {
    return m_statusLabel != nullptr ? m_statusLabel->GetFullText() : QString();
}

void CQtWindow::SetTunerText(const char* text) {
    if (m_widget == nullptr) {
        return;
    }
    const QString shown = QString::fromUtf8(text != nullptr ? text : "");
    if (m_tuner == nullptr) {
        if (shown.isEmpty()) {
            return;
        }
        m_tuner = new QLabel();  // the status bar owns it
        m_tuner->setToolTip(QStringLiteral("The note the microphone hears and how far off it is"));
        m_widget->statusBar()->addPermanentWidget(m_tuner);
    }
    m_tuner->setText(shown);
    m_tuner->setVisible(!shown.isEmpty());
}

QString CQtWindow::GetTunerText() const {
    return m_tuner != nullptr && m_tuner->isVisible() ? m_tuner->text() : QString();
}

void CQtWindow::SetInputLevel(float level) {
    constexpr int kSteps = 100;
    constexpr int kMeterWidth = 120;
    if (m_widget == nullptr) {
        return;
    }
    if (level < 0.0f) {
        if (m_inputMeter != nullptr) {
            m_inputMeter->hide();
        }
        return;
    }
    if (m_inputMeter == nullptr) {
        m_inputMeter = new QProgressBar();  // the status bar owns it
        m_inputMeter->setRange(0, kSteps);
        m_inputMeter->setTextVisible(false);
        m_inputMeter->setFixedWidth(kMeterWidth);
        m_inputMeter->setMaximumHeight(m_widget->statusBar()->sizeHint().height() / 2 + 4);
        m_inputMeter->setToolTip(QStringLiteral("Microphone input level"));
        m_widget->statusBar()->addPermanentWidget(m_inputMeter);
    }
    m_inputMeter->setValue(static_cast<int>(std::min(level, 1.0f) * kSteps));
    m_inputMeter->show();
}

void CQtWindow::FocusView() {
    BringToFront();
    if (m_glView != nullptr) {
        m_glView->setFocus(Qt::OtherFocusReason);
    }
}

bool CQtWindow::SaveScreenshot(const char* path, std::string& error) {
    QImage picture = m_widget->grab().toImage();
    if (picture.isNull()) {
        error = "the window shows nothing yet";
        return false;
    }
    // The title travels inside the file, since a grab has no title bar.
    picture.setText("Title", m_widget->windowTitle());
    if (!picture.save(QString::fromUtf8(path), "PNG")) {
        error = std::string("can't write ") + path;
        return false;
    }
    return true;
}

IGlDevice* CQtWindow::GetGlView(std::string& error) {
    if (m_glView == nullptr) {
        if (m_widget == nullptr) {
            error = "the window is gone";
            return nullptr;
        }
        // A platform without OpenGL (such as "offscreen") cannot host the
        // view at all: find out before making it. "offscreen" and "minimal"
        // may make a context (through a display they find) yet cannot show
        // a GL widget, which would crash at its first paint.
        const QString platform = QGuiApplication::platformName();
        if (platform == "offscreen" || platform == "minimal") {
            error = "Can't show a 3D view on the \"" + platform.toStdString() + "\" platform";
            return nullptr;
        }
        QOpenGLContext probe;
        probe.setFormat(NotaraGlFormat());
        if (!probe.create()) {
            error = "Can't create an OpenGL 3.3 context on this display";
            return nullptr;
        }
        m_glView = new CQtGlView(m_widget);  // owned by the frame widget
        m_widget->setCentralWidget(m_glView);
        m_glView->setFocus();
    }
    return m_glView.data();
}
