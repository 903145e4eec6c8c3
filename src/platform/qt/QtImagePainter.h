#pragma once

#include <QImage>
#include <QPainter>

#include <memory>

#include "platform/ImagePainter.h"

// Texture pictures painted with QPainter in high-quality antialiasing.
class CQtImagePainter : public IImagePainter {
public:
    bool Begin(int width, int height, std::string& error) override;
    void FillRect(float x, float y, float width, float height, uint32_t argb) override;
    void FillEllipse(float cx, float cy, float rx, float ry, uint32_t argb) override;
    void DrawLine(float x0, float y0, float x1, float y1, float width, uint32_t argb) override;
    void DrawText(const char* face, float pixelSize, float x, float y, const char* text,
                  uint32_t argb) override;
    float MeasureText(const char* face, float pixelSize, const char* text) override;
    bool End(std::vector<uint32_t>& argb, std::string& error) override;

private:
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
};
