#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CharString.h"
#include "platform/ImagePainter.h"

class CDirect3D;

// Paints a texture: Begin gives a painter on a transparent ARGB picture,
// End turns the picture into a texture with mipmaps. The picture is kept,
// so its pixels can be read and the texture made again after a new context.
class CTextureGenerator {
public:
    static constexpr const char* kSource = "TextureGenerator";

    explicit CTextureGenerator(CDirect3D* device);

    bool Begin(int width, int height);
    IImagePainter* GetPainter() const { return m_painter.get(); }
    // The texture (0 on failure).
    uint32_t End();
    bool GetBitmapPixel(int x, int y, uint32_t& argb);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const char* GetError() const { return m_error; }

private:
    CDirect3D* m_device;
    CCharString m_error;
    std::unique_ptr<IImagePainter> m_painter;
    std::vector<uint32_t> m_pixels;
    int m_width = 0;
    int m_height = 0;
};
