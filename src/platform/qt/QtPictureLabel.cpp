#include "platform/qt/QtPictureLabel.h"

#include <QHelpEvent>
#include <QToolTip>

const PICTURE_TIP* CQtPictureLabel::TipAt(const QPoint& at) const {
    for (const PICTURE_TIP& tip : m_tips) {
        const QRect rect(tip.rect.left, tip.rect.top, tip.rect.width, tip.rect.height);
        if (rect.contains(at)) {
            return &tip;
        }
    }
    return nullptr;
}

bool CQtPictureLabel::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QLabel::event(event);
    }
    // The picture sits at the label's top-left corner.
    const auto* help = static_cast<QHelpEvent*>(event);
    const PICTURE_TIP* tip = TipAt(help->pos());
    if (tip == nullptr) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const QRect area(tip->rect.left, tip->rect.top, tip->rect.width, tip->rect.height);
    QToolTip::showText(help->globalPos(), QString::fromUtf8(tip->text.c_str()), this, area);
    return true;
}
