#include "platform/qt/QtGlyphAtlas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

bool CQtGlyphAtlas::Make(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                         std::string& error) {
    if (pixelHeight < 4 || pixelHeight > 256) {
        error = "Can't make a font of " + std::to_string(pixelHeight) + " pixels";
        return false;
    }
    QFont font(QString::fromUtf8(face != nullptr ? face : ""));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    const QFontMetrics metrics(font);
    const int cell = metrics.height() + 2;
    constexpr int kColumns = 16;
    const int count = GLYPH_ATLAS::kLast - GLYPH_ATLAS::kFirst + 1;
    const int rows = (count + kColumns - 1) / kColumns;
    int cellWidth = 1;
    for (int c = GLYPH_ATLAS::kFirst; c <= GLYPH_ATLAS::kLast; ++c) {
        cellWidth = std::max(cellWidth, metrics.horizontalAdvance(QChar(c)) + 2);
    }
    QImage image(cellWidth * kColumns, cell * rows, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (int i = 0; i < count; ++i) {
        const int x = (i % kColumns) * cellWidth;
        const int y = (i / kColumns) * cell;
        const QChar character(GLYPH_ATLAS::kFirst + i);
        painter.drawText(x + 1, y + 1 + metrics.ascent(), QString(character));
        GLYPH_INFO& glyph = atlas.glyphs[i];
        glyph.x = x;
        glyph.y = y;
        glyph.width = cellWidth;
        glyph.height = cell;
        glyph.advance = metrics.horizontalAdvance(character);
    }
    painter.end();
    atlas.width = image.width();
    atlas.height = image.height();
    atlas.lineHeight = metrics.height();
    atlas.ascent = metrics.ascent();
    atlas.coverage.resize(static_cast<size_t>(atlas.width) * atlas.height);
    for (int y = 0; y < atlas.height; ++y) {
        const uchar* line = image.constScanLine(y);
        std::copy(line, line + atlas.width,
                  atlas.coverage.begin() + static_cast<size_t>(y) * atlas.width);
    }
    return true;
}
