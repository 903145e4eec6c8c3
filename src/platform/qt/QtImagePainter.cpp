#include "platform/qt/QtImagePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>

namespace {

QColor ColorOf(uint32_t argb) {
    return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

}  // namespace

bool CQtImagePainter::Begin(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        error = "Can't create Bitmap: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels";
        return false;
    }
    m_painter.reset();
    m_image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull()) {
        error = "Can't create Bitmap: out of memory";
        return false;
    }
    m_image.fill(Qt::transparent);
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                              QPainter::SmoothPixmapTransform);
    return true;
}

void CQtImagePainter::FillRect(float x, float y, float width, float height, uint32_t argb) {
    if (m_painter != nullptr) {
        m_painter->fillRect(QRectF(x, y, width, height), ColorOf(argb));
    }
}

void CQtImagePainter::FillEllipse(float cx, float cy, float rx, float ry, uint32_t argb) {
    if (m_painter != nullptr) {
        m_painter->setPen(Qt::NoPen);
        m_painter->setBrush(ColorOf(argb));
        m_painter->drawEllipse(QPointF(cx, cy), rx, ry);
    }
}

void CQtImagePainter::DrawLine(float x0, float y0, float x1, float y1, float width, uint32_t argb) {
    if (m_painter != nullptr) {
        m_painter->setPen(QPen(ColorOf(argb), width, Qt::SolidLine, Qt::RoundCap));
        m_painter->drawLine(QPointF(x0, y0), QPointF(x1, y1));
    }
}

void CQtImagePainter::DrawText(const char* face, float pixelSize, float x, float y,
                               const char* text, uint32_t argb) {
    if (m_painter == nullptr || text == nullptr || pixelSize <= 0.0f) {
        return;
    }
    QFont font(QString::fromUtf8(face != nullptr ? face : ""));
    font.setPixelSize(static_cast<int>(pixelSize + 0.5f));
    QPainterPath path;
    path.addText(QPointF(x, y), font, QString::fromUtf8(text));
    m_painter->fillPath(path, ColorOf(argb));
}

bool CQtImagePainter::End(std::vector<uint32_t>& argb, std::string& error) {
    if (m_painter == nullptr) {
        error = "Can't create Graphics: painting has not begun";
        return false;
    }
    m_painter->end();
    m_painter.reset();
    const QImage straight = m_image.convertToFormat(QImage::Format_ARGB32);
    argb.resize(static_cast<size_t>(straight.width()) * straight.height());
    for (int y = 0; y < straight.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(straight.constScanLine(y));
        std::copy(line, line + straight.width(),
                  argb.begin() + static_cast<size_t>(y) * straight.width());
    }
    return true;
}

float CQtImagePainter::MeasureText(const char* face, float pixelSize, const char* text) {
    QFont font(QString::fromUtf8(face != nullptr ? face : ""));
    font.setPixelSize(static_cast<int>(pixelSize + 0.5f));
    return static_cast<float>(
        QFontMetricsF(font).horizontalAdvance(QString::fromUtf8(text != nullptr ? text : "")));
}
