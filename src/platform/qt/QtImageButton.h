#pragma once

#include <functional>

#include "platform/ControlDialog.h"
#include "platform/qt/QtPictureLabel.h"

// An image button of a control dialog: a picture its owner paints that
// tells when a mouse button goes down or up on it and when the pointer
// leaves it, and where the pointer is on the picture. Which image shows,
// and when the button's command runs, is the owner's to decide.
class CQtImageButton : public CQtPictureLabel {
public:
    using Reporter = std::function<void(ControlEvent)>;
    using PointerReporter = std::function<void(const POINTER_EVENT&)>;

    CQtImageButton(QWidget* parent, Reporter reporter, PointerReporter pointerReporter);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ReportPointer(POINTER_EVENT::Kind kind, const QMouseEvent* event) const;

    Reporter m_reporter;
    PointerReporter m_pointerReporter;
};
