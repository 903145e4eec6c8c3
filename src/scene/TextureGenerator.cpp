#include "scene/TextureGenerator.h"

#include <string>

#include "foundation/ErrorReport.h"
#include "scene/Direct3D.h"

CTextureGenerator::CTextureGenerator(CDirect3D* device) : m_device(device) {}

bool CTextureGenerator::Begin(int width, int height) {
    if (m_device == nullptr || m_device->GetDevice() == nullptr) {
        return FailWith(m_error, kSource, __LINE__, "Can't create Bitmap: %s", "no device");
    }
    m_painter = m_device->GetDevice()->CreateImagePainter();
    if (m_painter == nullptr) {
        return FailWith(m_error, kSource, __LINE__, "Can't create Graphics: %s",
                        "no painter on this platform");
    }
    std::string reason;
    if (!m_painter->Begin(width, height, reason)) {
        m_painter.reset();
        return FailWith(m_error, kSource, __LINE__, "%s", reason.c_str());
    }
    m_width = width;
    m_height = height;
    m_pixels.clear();
    return true;
}

uint32_t CTextureGenerator::End() {
    if (m_painter == nullptr) {
        FailWith(m_error, kSource, __LINE__, "Can't create texture: %s", "nothing painted");
        return 0;
    }
    std::string reason;
    const bool painted = m_painter->End(m_pixels, reason);
    m_painter.reset();
    if (!painted) {
        FailWith(m_error, kSource, __LINE__, "%s", reason.c_str());
        return 0;
    }
    const uint32_t texture = m_device->CreateTexture(m_width, m_height, m_pixels.data());
    if (texture == 0) {
        FailWith(m_error, kSource, __LINE__, "Can't create texture: %s", m_device->GetError());
    }
    return texture;
}

bool CTextureGenerator::GetBitmapPixel(int x, int y, uint32_t& argb) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_pixels.empty()) {
        return FailWith(m_error, kSource, __LINE__, "Can't get the bitmap pixel");
    }
    argb = m_pixels[static_cast<size_t>(y) * m_width + x];
    return true;
}
