#pragma once

#include <QLabel>
#include <QString>

// The status line's text: cut with an ellipsis to the width the window
// leaves it, never wider, with the whole text in its tooltip, so that a long
// status neither widens the window nor is cut off unseen.
class CQtStatusLabel : public QLabel {
public:
    explicit CQtStatusLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& GetFullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_fullText;
};
