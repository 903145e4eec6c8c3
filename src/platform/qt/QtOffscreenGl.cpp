#include "platform/qt/QtOffscreenGl.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <algorithm>

#include "platform/qt/QtGlFormat.h"
#include "platform/qt/QtGlyphAtlas.h"
#include "platform/qt/QtImagePainter.h"

CQtOffscreenGl::CQtOffscreenGl(int width, int height, int samples)
    : m_width(width), m_height(height), m_requestedSamples(samples) {}

CQtOffscreenGl::~CQtOffscreenGl() {
    Destroy();
}

bool CQtOffscreenGl::Create(std::string& error) {
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(NotaraGlFormat());
    m_surface->create();
    if (!m_surface->isValid()) {
        error = "Can't create an off-screen surface";
        return false;
    }
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(NotaraGlFormat());
    if (!m_context->create()) {
        m_context.reset();
        error = "Can't create an OpenGL context";
        return false;
    }
    const QSurfaceFormat got = m_context->format();
    if (got.majorVersion() * 10 + got.minorVersion() < 33) {
        m_context.reset();
        error = "Can't get OpenGL 3.3: the driver gives " + std::to_string(got.majorVersion()) +
                "." + std::to_string(got.minorVersion());
        return false;
    }
    MakeCurrent();
    if (!MakeFramebuffers(error)) {
        return false;
    }
    if (m_handler != nullptr) {
        m_handler->OnGlCreated();
        m_handler->OnGlResize(m_width, m_height);
    }
    return true;
}

bool CQtOffscreenGl::MakeFramebuffers(std::string& error) {
    const QSize size(std::max(1, m_width), std::max(1, m_height));
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    format.setSamples(m_requestedSamples);
    m_multisampled = std::make_unique<QOpenGLFramebufferObject>(size, format);
    m_resolved = std::make_unique<QOpenGLFramebufferObject>(size);
    if (!m_multisampled->isValid() || !m_resolved->isValid()) {
        error = "Can't create the off-screen framebuffers";
        return false;
    }
    m_samples = m_multisampled->format().samples();
    return true;
}

void CQtOffscreenGl::Destroy() {
    if (m_context == nullptr) {
        return;
    }
    MakeCurrent();
    if (m_handler != nullptr) {
        m_handler->OnGlLost();
    }
    m_multisampled.reset();
    m_resolved.reset();
    m_context->doneCurrent();
    m_context.reset();
}

bool CQtOffscreenGl::RecreateContext(std::string& error) {
    Destroy();
    m_surface.reset();
    return Create(error);
}

void CQtOffscreenGl::Resize(int width, int height) {
    m_width = width;
    m_height = height;
    if (m_context == nullptr) {
        return;
    }
    MakeCurrent();
    std::string error;
    MakeFramebuffers(error);
    if (m_handler != nullptr) {
        m_handler->OnGlResize(width, height);
    }
}

GlProc CQtOffscreenGl::GetProcAddress(const char* name) {
    return m_context != nullptr ? m_context->getProcAddress(name) : nullptr;
}

void CQtOffscreenGl::MakeCurrent() {
    if (m_context != nullptr) {
        m_context->makeCurrent(m_surface.get());
    }
}

void CQtOffscreenGl::DoneCurrent() {
    if (m_context != nullptr) {
        m_context->doneCurrent();
    }
}

uint32_t CQtOffscreenGl::GetFramebuffer() const {
    return m_multisampled != nullptr ? m_multisampled->handle() : 0;
}

void CQtOffscreenGl::RequestFrame() {
    if (m_context == nullptr || m_handler == nullptr) {
        return;
    }
    MakeCurrent();
    m_multisampled->bind();
    m_handler->OnGlDraw();
    QOpenGLFramebufferObject::blitFramebuffer(m_resolved.get(), m_multisampled.get());
}

bool CQtOffscreenGl::ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
    if (m_context == nullptr) {
        return false;
    }
    MakeCurrent();
    return CopyRgba(m_resolved->toImage(true), rgba, width, height);
}

bool CQtOffscreenGl::MakeGlyphAtlas(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                                    std::string& error) {
    return CQtGlyphAtlas::Make(face, pixelHeight, atlas, error);
}

std::unique_ptr<IImagePainter> CQtOffscreenGl::CreateImagePainter() {
    return std::make_unique<CQtImagePainter>();
}
