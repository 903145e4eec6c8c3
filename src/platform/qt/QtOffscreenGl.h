#pragma once

#include <memory>

#include "platform/GlDevice.h"

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

// A GL device that draws into a picture in memory, for tests and
// benchmarks: frames are drawn at once when asked for, and the context can
// be destroyed and made again as a window system would.
class CQtOffscreenGl : public IGlDevice {
public:
    CQtOffscreenGl(int width, int height, int samples = 4);
    ~CQtOffscreenGl() override;

    // Makes the surface, the context and the framebuffers.
    bool Create(std::string& error);
    // Tells the handler the context goes, destroys it and makes a new one.
    bool RecreateContext(std::string& error);
    // A new size, as a window would get it; 0 is allowed.
    void Resize(int width, int height);

    void SetHandler(IGlViewHandler* handler) override { m_handler = handler; }
    bool IsReady() const override { return m_context != nullptr; }
    GlProc GetProcAddress(const char* name) override;
    void MakeCurrent() override;
    void DoneCurrent() override;
    uint32_t GetFramebuffer() const override;
    int GetWidth() const override { return m_width; }
    int GetHeight() const override { return m_height; }
    int GetSamples() const override { return m_samples; }
    void RequestFrame() override;
    bool ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) override;
    bool SetFullScreen(bool) override { return true; }
    bool MakeGlyphAtlas(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                        std::string& error) override;
    std::unique_ptr<IImagePainter> CreateImagePainter() override;

private:
    bool MakeFramebuffers(std::string& error);
    void Destroy();

    IGlViewHandler* m_handler = nullptr;
    int m_width;
    int m_height;
    int m_requestedSamples;
    int m_samples = 0;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_multisampled;
    std::unique_ptr<QOpenGLFramebufferObject> m_resolved;
};
