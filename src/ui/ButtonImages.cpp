#include "ui/ButtonImages.h"

#include <algorithm>

#include "platform/ImagePainter.h"

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kEdgeLight = 0xFFFFFFFF;
constexpr uint32_t kEdgeDark = 0xFF404040;
constexpr uint32_t kGreyFace = 0xFFC8C8C8;
constexpr uint32_t kGreyGlyph = 0xFF909090;
constexpr uint32_t kRecordLit = 0xFFE01010;
constexpr uint32_t kRecordDim = 0xFF803030;
constexpr uint32_t kPlayLit = 0xFF10A020;
constexpr uint32_t kPlayDim = 0xFF306030;
constexpr uint32_t kInk = 0xFF000000;
constexpr const char* kFace = "Sans";
constexpr float kGlyphShare = 0.5f;  // of the button's smaller side
constexpr float kTextShare = 0.55f;  // of the button's height
constexpr float kCaptionMargin = 3.0f;
constexpr float kMenuLineWidth = 2.0f;

enum class Face { kUp, kDown, kGreyed };

uint32_t GlyphColor(ButtonGlyph glyph, bool lit, Face face) {
    if (face == Face::kGreyed) {
        return kGreyGlyph;
    }
    switch (glyph) {
        case ButtonGlyph::kRecord:
            return lit ? kRecordLit : kRecordDim;
        case ButtonGlyph::kPlay:
        case ButtonGlyph::kStop:
            return lit ? kPlayLit : kPlayDim;
        default:
            return kInk;
    }
}

void PaintGlyph(IImagePainter& painter, int width, int height, ButtonGlyph glyph, uint32_t color,
                const char* caption, float shift) {
    const float cx = width / 2.0f + shift;
    const float cy = height / 2.0f + shift;
    const float half = std::min(width, height) * kGlyphShare / 2.0f;
    switch (glyph) {
        case ButtonGlyph::kRecord:
            painter.FillEllipse(cx, cy, half, half, color);
            break;
        case ButtonGlyph::kStop:
            painter.FillRect(cx - half, cy - half, 2 * half, 2 * half, color);
            break;
        case ButtonGlyph::kPlay:
            // Row by row, each as wide as the triangle is there.
            for (float y = -half; y <= half; y += 1.0f) {
                const float reach = 2 * half * (1.0f - std::abs(y) / half);
                painter.DrawLine(cx - half, cy + y, cx - half + reach, cy + y, 1.0f, color);
            }
            break;
        case ButtonGlyph::kCaption: {
            const char* text = caption != nullptr ? caption : "";
            const float size = height * kTextShare;
            const float textWidth = painter.MeasureText(kFace, size, text);
            if (textWidth > width - 2 * kCaptionMargin) {
                // A caption wider than its button would show cut: a small
                // button of commands shows the menu mark, its tooltip the words.
                for (int line = -1; line <= 1; ++line) {
                    const float y = cy + line * half / 2;
                    painter.DrawLine(cx - half / 1.5f, y, cx + half / 1.5f, y, kMenuLineWidth,
                                     color);
                }
                break;
            }
            painter.DrawText(kFace, size, cx - textWidth / 2, cy + size / 3, text, color);
            break;
        }
    }
}

bool PaintFace(IImagePainter& painter, int width, int height, Face face, ButtonGlyph glyph,
               bool lit, const char* caption, std::vector<uint32_t>& argb, std::string& error) {
    if (!painter.Begin(width, height, error)) {
        return false;
    }
    const bool down = face == Face::kDown;
    const uint32_t fill = face == Face::kGreyed ? kGreyFace
                          : down                ? CButtonImages::ToArgb(CButtonImages::kDarkColor)
                                                : CButtonImages::ToArgb(CButtonImages::kLightColor);
    // A raised face is lit from the top left; a pressed one the other way.
    const uint32_t topLeft = down ? kEdgeDark : kEdgeLight;
    const uint32_t bottomRight = down ? kEdgeLight : kEdgeDark;
    painter.FillRect(0, 0, static_cast<float>(width), static_cast<float>(height), bottomRight);
    painter.FillRect(0, 0, width - 1.0f, height - 1.0f, topLeft);
    painter.FillRect(1, 1, width - 2.0f, height - 2.0f, fill);
    PaintGlyph(painter, width, height, glyph, GlyphColor(glyph, lit, face), caption,
               down ? 1.0f : 0.0f);
    return painter.End(argb, error);
}

}  // namespace

uint32_t CButtonImages::ToArgb(uint32_t colorRef) {
    const uint32_t red = colorRef & 0xFF;
    const uint32_t green = (colorRef >> 8) & 0xFF;
    const uint32_t blue = (colorRef >> 16) & 0xFF;
    return kOpaque | red << 16 | green << 8 | blue;
}

bool CButtonImages::Paint(IImagePainter& painter, int width, int height, ButtonGlyph glyph,
                          bool lit, const char* caption, BUTTON_IMAGES& images,
                          std::string& error) {
    if (width <= 2 || height <= 2) {
        error = "a button needs at least 3 by 3 pixels";
        return false;
    }
    images.width = width;
    images.height = height;
    return PaintFace(painter, width, height, Face::kUp, glyph, lit, caption, images.up, error) &&
           PaintFace(painter, width, height, Face::kDown, glyph, lit, caption, images.down,
                     error) &&
           PaintFace(painter, width, height, Face::kGreyed, glyph, lit, caption, images.disabled,
                     error);
}
