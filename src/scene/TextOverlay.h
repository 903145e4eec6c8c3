#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/CharString.h"
#include "platform/GlDevice.h"
#include "scene/GlApi.h"
#include "scene/ShaderProgram.h"

// Text drawn over the 3D picture in pixel coordinates from the top left:
// a glyph atlas of one font in a texture, the program that draws its
// glyphs, and a stream buffer of glyph quads. Its GL objects belong to the
// context, like those of the device that owns it.
class CTextOverlay {
public:
    static constexpr const char* kSource = "TextOverlay";
    static constexpr int kTextHeight = 24;

    CTextOverlay(const CGlApi& gl, IGlDevice* device);
    CTextOverlay(const CTextOverlay&) = delete;
    CTextOverlay& operator=(const CTextOverlay&) = delete;

    bool LinkProgram();
    bool CreateFont();
    // The program is deleted when deleteProgram is set; the font objects
    // when the device's context is current.
    void Release(bool deleteProgram);

    // Sets the GL state for text on a viewport of width x height pixels.
    bool Begin(int width, int height);
    bool Draw(int x, int y, const char* text, uint32_t argb);
    // text with its lines broken at spaces so that none is wider than
    // maxWidth pixels (a word wider than that stays whole); the text as it
    // is before the font is made.
    std::string Wrap(const char* text, int maxWidth) const;
    // Pixels from one line's top to the next; 0 before the font is made.
    int GetLineHeight() const;
    // Gives the GL state back to the 3D drawing; false when no text was begun.
    bool End();

    bool IsProgramLinked() const { return m_program.IsLinked(); }
    const char* GetError() const { return m_error; }

private:
    void ReleaseFont();
    void CreateQuadBuffer();
    void AppendQuads(int x, int y, const char* text, std::vector<float>& vertices) const;

    const CGlApi& m_gl;
    IGlDevice* m_device;
    CShaderProgram m_program;
    std::unique_ptr<GLYPH_ATLAS> m_atlas;
    uint32_t m_fontTexture = 0;
    uint32_t m_quadArray = 0;
    uint32_t m_quadBuffer = 0;
    bool m_inText = false;
    CCharString m_error;
};
