#pragma once

#include <QLabel>
#include <vector>

#include "platform/ControlDialog.h"

// A picture item of a control dialog: a label showing a pixmap, with tips
// over rectangles of the picture shown when the pointer rests on them.
class CQtPictureLabel : public QLabel {
public:
    explicit CQtPictureLabel(QWidget* parent) : QLabel(parent) {}

    void SetTips(const std::vector<PICTURE_TIP>& tips) { m_tips = tips; }
    // The tip at a point of the picture, or null.
    const PICTURE_TIP* TipAt(const QPoint& at) const;

protected:
    bool event(QEvent* event) override;

private:
    std::vector<PICTURE_TIP> m_tips;
};
