#include "scene/TextOverlay.h"

#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "scene/D3DResult.h"

namespace {

const char* const kFontFace = "DejaVu Sans";

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPixel;
layout(location = 1) in vec2 aUv;
uniform vec2 uViewport;
out vec2 vUv;
void main() {
    gl_Position = vec4(aPixel.x / uViewport.x * 2.0 - 1.0, 1.0 - aPixel.y / uViewport.y * 2.0, 0.0, 1.0);
    vUv = aUv;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uAtlas;
uniform vec4 uColor;
out vec4 fragColor;
void main() {
    fragColor = vec4(uColor.rgb, uColor.a * texture(uAtlas, vUv).r);
}
)";

enum Uniform : int { uViewport, uAtlas, uColor, kUniformCount };

const char* const kUniformNames[kUniformCount] = {"uViewport", "uAtlas", "uColor"};

// A quad vertex: pixel x, y and atlas u, v.
constexpr int kFloatsPerVertex = 4;
constexpr GLsizei kVertexStride = kFloatsPerVertex * sizeof(float);
constexpr uintptr_t kUvOffset = 2 * sizeof(float);

glm::vec4 ColorOf(uint32_t argb) {
    return glm::vec4(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                     (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
}

}  // namespace

CTextOverlay::CTextOverlay(const CGlApi& gl, IGlDevice* device)
    : m_gl(gl),
      m_device(device),
      m_program(gl, kVertexShader, kFragmentShader, kUniformNames, kUniformCount) {}

bool CTextOverlay::LinkProgram() {
    if (!m_program.Link()) {
        m_error = m_program.GetError();
        return false;
    }
    return true;
}

bool CTextOverlay::CreateFont() {
    auto atlas = std::make_unique<GLYPH_ATLAS>();
    std::string reason;
    if (!m_device->MakeGlyphAtlas(kFontFace, kTextHeight, *atlas, reason)) {
        return FailWith(m_error, kSource, __LINE__, "Can't create font: %s", reason.c_str());
    }
    m_gl.GenTextures(1, &m_fontTexture);
    m_gl.BindTexture(GL_TEXTURE_2D, m_fontTexture);
    m_gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    m_gl.TexImage2D(GL_TEXTURE_2D, 0, GL_R8, atlas->width, atlas->height, 0, GL_RED,
                    GL_UNSIGNED_BYTE, atlas->coverage.data());
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    m_gl.BindTexture(GL_TEXTURE_2D, 0);
    CreateQuadBuffer();
    CCharString name;
    if (TakeGlResult(m_gl, name) != D3D_OK) {
        ReleaseFont();
        return FailWith(m_error, kSource, __LINE__, "Can't create font: %s", name.GetText());
    }
    m_atlas = std::move(atlas);
    return true;
}

void CTextOverlay::CreateQuadBuffer() {
    m_gl.GenVertexArrays(1, &m_quadArray);
    m_gl.GenBuffers(1, &m_quadBuffer);
    m_gl.BindVertexArray(m_quadArray);
    m_gl.BindBuffer(GL_ARRAY_BUFFER, m_quadBuffer);
    m_gl.EnableVertexAttribArray(0);
    m_gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, kVertexStride, nullptr);
    m_gl.EnableVertexAttribArray(1);
    m_gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kVertexStride,
                             reinterpret_cast<void*>(kUvOffset));
    m_gl.BindVertexArray(0);
}

void CTextOverlay::ReleaseFont() {
    if (m_gl.IsLoaded() && m_device != nullptr && m_device->IsReady()) {
        m_gl.DeleteTextures(1, &m_fontTexture);
        m_gl.DeleteBuffers(1, &m_quadBuffer);
        m_gl.DeleteVertexArrays(1, &m_quadArray);
    }
    m_fontTexture = m_quadBuffer = m_quadArray = 0;
    m_atlas.reset();
}

void CTextOverlay::Release(bool deleteProgram) {
    ReleaseFont();
    m_program.Release(deleteProgram);
    m_inText = false;
}

bool CTextOverlay::Begin(int width, int height) {
    if (m_atlas == nullptr || !m_program.IsLinked()) {
        return FailWith(m_error, kSource, __LINE__, "No text or sprite");
    }
    m_inText = true;
    m_program.Use();
    m_gl.Disable(GL_DEPTH_TEST);
    m_gl.Disable(GL_CULL_FACE);
    m_gl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    m_gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    m_gl.ActiveTexture(GL_TEXTURE0);
    m_gl.BindTexture(GL_TEXTURE_2D, m_fontTexture);
    m_gl.Uniform1i(m_program.GetLocation(uAtlas), 0);
    m_gl.Uniform2f(m_program.GetLocation(uViewport), static_cast<float>(width),
                   static_cast<float>(height));
    return true;
}

void CTextOverlay::AppendQuads(int x, int y, const char* text, std::vector<float>& vertices) const {
    const GLYPH_ATLAS& atlas = *m_atlas;
    float penX = static_cast<float>(x);
    float penY = static_cast<float>(y);
    for (const char* c = text; *c != 0; ++c) {
        const int code = static_cast<unsigned char>(*c);
        if (code == '\n') {
            penX = static_cast<float>(x);
            penY += static_cast<float>(atlas.lineHeight);
            continue;
        }
        if (code < GLYPH_ATLAS::kFirst) {
            continue;
        }
        const GLYPH_INFO& glyph = atlas.glyphs[code - GLYPH_ATLAS::kFirst];
        const float u0 = static_cast<float>(glyph.x) / atlas.width;
        const float v0 = static_cast<float>(glyph.y) / atlas.height;
        const float u1 = static_cast<float>(glyph.x + glyph.width) / atlas.width;
        const float v1 = static_cast<float>(glyph.y + glyph.height) / atlas.height;
        // Glyph boxes have a pixel of margin on each side.
        const float x0 = penX - 1.0f;
        const float y0 = penY - 1.0f;
        const float x1 = x0 + static_cast<float>(glyph.width);
        const float y1 = y0 + static_cast<float>(glyph.height);
        const float quad[] = {x0, y0, u0, v0, x1, y0, u1, v0, x1, y1, u1, v1,
                              x0, y0, u0, v0, x1, y1, u1, v1, x0, y1, u0, v1};
        vertices.insert(vertices.end(), std::begin(quad), std::end(quad));
        penX += static_cast<float>(glyph.advance);
    }
}

int CTextOverlay::GetLineHeight() const {
    return m_atlas != nullptr ? m_atlas->lineHeight : 0;
}

std::string CTextOverlay::Wrap(const char* text, int maxWidth) const {
    if (text == nullptr) {
        return std::string();
    }
    if (m_atlas == nullptr) {
        return text;
    }
    const auto advance = [this](char c) {
        const int code = static_cast<unsigned char>(c);
        return code < GLYPH_ATLAS::kFirst ? 0 : m_atlas->glyphs[code - GLYPH_ATLAS::kFirst].advance;
    };
    std::string wrapped;
    int lineWidth = 0;
    size_t lineStart = 0;  // in wrapped
    size_t lastSpace = std::string::npos;
    for (const char* c = text; *c != 0; ++c) {
        if (*c == '\n') {
            wrapped += '\n';
            lineStart = wrapped.size();
            lineWidth = 0;
            lastSpace = std::string::npos;
            continue;
        }
        wrapped += *c;
        lineWidth += advance(*c);
        if (*c == ' ') {
            lastSpace = wrapped.size() - 1;
        }
        if (lineWidth > maxWidth && lastSpace != std::string::npos) {
            // The line ends at its last space; what follows starts the next.
            wrapped[lastSpace] = '\n';
            lineStart = lastSpace + 1;
            lineWidth = 0;
            for (size_t i = lineStart; i < wrapped.size(); ++i) {
                lineWidth += advance(wrapped[i]);
            }
            lastSpace = std::string::npos;
        }
    }
    return wrapped;
}

bool CTextOverlay::Draw(int x, int y, const char* text, uint32_t argb) {
    if (!m_inText || text == nullptr) {
        return FailWith(m_error, kSource, __LINE__, "Can't draw text: %s", "D3DERR_INVALIDCALL");
    }
    std::vector<float> vertices;
    AppendQuads(x, y, text, vertices);
    if (vertices.empty()) {
        return true;
    }
    const glm::vec4 color = ColorOf(argb);
    m_gl.Uniform4fv(m_program.GetLocation(uColor), 1, glm::value_ptr(color));
    m_gl.BindVertexArray(m_quadArray);
    m_gl.BindBuffer(GL_ARRAY_BUFFER, m_quadBuffer);
    m_gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                    vertices.data(), GL_STREAM_DRAW);
    m_gl.DrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / kFloatsPerVertex));
    m_gl.BindVertexArray(0);
    CCharString name;
    if (TakeGlResult(m_gl, name) != D3D_OK) {
        return FailWith(m_error, kSource, __LINE__, "Can't draw text: %s", name.GetText());
    }
    return true;
}

bool CTextOverlay::End() {
    if (!m_inText) {
        return false;
    }
    m_inText = false;
    m_gl.Enable(GL_DEPTH_TEST);
    m_gl.Enable(GL_CULL_FACE);
    return true;
}
