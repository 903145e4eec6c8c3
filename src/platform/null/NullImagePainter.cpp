#include "platform/null/NullImagePainter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kByte = 0xFF;
constexpr int kAlphaShift = 24;

uint32_t Channel(uint32_t argb, int shift) {
    return (argb >> shift) & kByte;
}

// Straight-alpha "source over" of one pixel.
uint32_t Over(uint32_t top, uint32_t bottom) {
    const float a = static_cast<float>(Channel(top, kAlphaShift)) / kByte;
    const float b = static_cast<float>(Channel(bottom, kAlphaShift)) / kByte;
    const float out = a + b * (1.0f - a);
    if (out <= 0.0f) {
        return 0;
    }
    uint32_t pixel = static_cast<uint32_t>(std::lround(out * kByte)) << kAlphaShift;
    for (int shift = 0; shift < kAlphaShift; shift += 8) {
        const float mixed =
            (Channel(top, shift) * a + Channel(bottom, shift) * b * (1.0f - a)) / out;
        pixel |= static_cast<uint32_t>(std::lround(std::min(mixed, 255.0f))) << shift;
    }
    return pixel;
}

// The rows or columns whose pixel centres lie in [from, to).
void CentresIn(float from, float to, int limit, int& first, int& end) {
    first = std::max(0, static_cast<int>(std::ceil(from - 0.5f)));
    end = std::min(limit, static_cast<int>(std::ceil(to - 0.5f)));
}

}  // namespace

bool CNullImagePainter::Begin(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0 || width > kMostPixels || height > kMostPixels) {
        error = "Can't create Bitmap: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels";
        return false;
    }
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    m_texts.clear();
    m_painting = true;
    return true;
}

void CNullImagePainter::Blend(int x, int y, uint32_t argb) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
        uint32_t& pixel = m_pixels[static_cast<size_t>(y) * m_width + x];
        pixel = Over(argb, pixel);
    }
}

void CNullImagePainter::FillRect(float x, float y, float width, float height, uint32_t argb) {
    if (!m_painting) {
        return;
    }
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    CentresIn(x, x + width, m_width, x0, x1);
    CentresIn(y, y + height, m_height, y0, y1);
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            Blend(px, py, argb);
        }
    }
}

void CNullImagePainter::FillEllipse(float cx, float cy, float rx, float ry, uint32_t argb) {
    if (!m_painting || rx <= 0.0f || ry <= 0.0f) {
        return;
    }
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    CentresIn(cx - rx, cx + rx, m_width, x0, x1);
    CentresIn(cy - ry, cy + ry, m_height, y0, y1);
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            const float dx = (px + 0.5f - cx) / rx;
            const float dy = (py + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) {
                Blend(px, py, argb);
            }
        }
    }
}

void CNullImagePainter::DrawLine(float x0, float y0, float x1, float y1, float width,
                                 uint32_t argb) {
    if (!m_painting || width <= 0.0f) {
        return;
    }
    // Every pixel whose centre lies within half the width of the segment.
    const float half = std::max(width / 2.0f, 0.5f);
    int left = 0, right = 0, top = 0, bottom = 0;
    CentresIn(std::min(x0, x1) - half, std::max(x0, x1) + half, m_width, left, right);
    CentresIn(std::min(y0, y1) - half, std::max(y0, y1) + half, m_height, top, bottom);
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float length2 = dx * dx + dy * dy;
    for (int py = top; py < bottom; ++py) {
        for (int px = left; px < right; ++px) {
            const float qx = px + 0.5f - x0;
            const float qy = py + 0.5f - y0;
            const float t =
                length2 > 0.0f ? std::clamp((qx * dx + qy * dy) / length2, 0.0f, 1.0f) : 0.0f;
            const float ex = qx - t * dx;
            const float ey = qy - t * dy;
            if (ex * ex + ey * ey <= half * half) {
                Blend(px, py, argb);
            }
        }
    }
}

void CNullImagePainter::DrawText(const char*, float pixelSize, float x, float y, const char* text,
                                 uint32_t argb) {
    if (m_painting && text != nullptr) {
        m_texts.push_back(NULL_DRAWN_TEXT{text, x, y, pixelSize, argb});
    }
}

float CNullImagePainter::MeasureText(const char*, float pixelSize, const char* text) {
    if (text == nullptr || pixelSize <= 0.0f) {
        return 0.0f;
    }
    // UTF-8 continuation bytes start no character of their own.
    int characters = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        characters += (static_cast<unsigned char>(*c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return characters * pixelSize * kCharacterWidth;
}

bool CNullImagePainter::End(std::vector<uint32_t>& argb, std::string& error) {
    if (!m_painting) {
        error = "Can't create Graphics: painting has not begun";
        return false;
    }
    m_painting = false;
    argb = m_pixels;
    return true;
}
