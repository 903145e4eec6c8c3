#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ImagePainter.h"

// One text a CNullImagePainter was asked to draw.
struct NULL_DRAWN_TEXT {
    std::string text;
    float x = 0.0f;
    float y = 0.0f;
    float pixelSize = 0.0f;
    uint32_t argb = 0;
};

// A small software painter for tests: shapes cover the pixels whose centres
// they contain, blended over what is there, without smoothing. Text draws
// no pixels but is recorded, and measured as if every character took a
// fixed share of the pixel size.
class CNullImagePainter : public IImagePainter {
public:
    static constexpr float kCharacterWidth = 0.55f;  // of the pixel size
    static constexpr int kMostPixels = 8192;         // on either side

    bool Begin(int width, int height, std::string& error) override;
    void FillRect(float x, float y, float width, float height, uint32_t argb) override;
    void FillEllipse(float cx, float cy, float rx, float ry, uint32_t argb) override;
    void DrawLine(float x0, float y0, float x1, float y1, float width, uint32_t argb) override;
    void DrawText(const char* face, float pixelSize, float x, float y, const char* text,
                  uint32_t argb) override;
    float MeasureText(const char* face, float pixelSize, const char* text) override;
    bool End(std::vector<uint32_t>& argb, std::string& error) override;

    // The texts drawn since the last Begin, in order.
    const std::vector<NULL_DRAWN_TEXT>& GetTexts() const { return m_texts; }

private:
    // Blends argb over the pixel at (x, y) when it lies in the picture.
    void Blend(int x, int y, uint32_t argb);

    int m_width = 0;
    int m_height = 0;
    bool m_painting = false;
    std::vector<uint32_t> m_pixels;
    std::vector<NULL_DRAWN_TEXT> m_texts;
};
