#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Paints a 32-bit ARGB picture in memory with smooth (antialiased) edges,
// for textures. Coordinates are pixels from the top left.
class IImagePainter {
public:
    virtual ~IImagePainter() = default;
    // A new, fully transparent picture.
    virtual bool Begin(int width, int height, std::string& error) = 0;
    virtual void FillRect(float x, float y, float width, float height, uint32_t argb) = 0;
    virtual void FillEllipse(float cx, float cy, float rx, float ry, uint32_t argb) = 0;
    virtual void DrawLine(float x0, float y0, float x1, float y1, float width, uint32_t argb) = 0;
    // UTF-8 text whose baseline starts at (x, y).
    virtual void DrawText(const char* face, float pixelSize, float x, float y, const char* text,
                          uint32_t argb) = 0;
    // Width in pixels of text drawn so.
    virtual float MeasureText(const char* face, float pixelSize, const char* text) = 0;
    // Ends painting: the pixels, top row first, with straight (not
    // premultiplied) alpha.
    virtual bool End(std::vector<uint32_t>& argb, std::string& error) = 0;
};
