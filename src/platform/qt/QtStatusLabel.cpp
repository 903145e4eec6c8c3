#include "platform/qt/QtStatusLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>
#include <QSizePolicy>

CQtStatusLabel::CQtStatusLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void CQtStatusLabel::SetFullText(const QString& text) {
    m_fullText = text;
    Elide();
}

QSize CQtStatusLabel::minimumSizeHint() const {
    // Any width will do: the text is cut to it.
    return QSize(0, QLabel::minimumSizeHint().height());
}

void CQtStatusLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void CQtStatusLabel::Elide() {
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, width());
    setText(shown);
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}
