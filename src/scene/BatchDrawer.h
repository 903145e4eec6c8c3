#pragma once

#include <cstdint>
#include <vector>

#include "scene/DrawBatcher.h"
#include "scene/GlApi.h"

class CSceneProgram;
struct SCENE_CAMERA;
struct SCENE_LIGHTS;

// Sends batches of draws to GL, one call each, changing only the program,
// uniforms and GL state that differ from what the batch before left.
// Opaque batches are written without blending, which gives the same pixels
// for less work; Finish puts blending back for whoever uses GL next.
class CBatchDrawer {
public:
    CBatchDrawer(const CGlApi& gl, CSceneProgram& program) : m_gl(gl), m_program(program) {}

    // Draws batch, whose ranges are in ranges, under camera and lights.
    void Draw(const DRAW_BATCH& batch, const std::vector<INDEX_RANGE>& ranges,
              const SCENE_CAMERA& camera, const SCENE_LIGHTS& lights);
    // After the last batch of a flush.
    void Finish();
    // GL state was changed elsewhere: the next batch sets all of it.
    void ForgetState() { m_fixed.known = false; }
    // The texture unit was bound to another texture.
    void ForgetTexture() { m_fixed.texture = 0; }

    void ResetCounts() { m_drawCalls = m_drawnVertices = 0; }
    int GetDrawCalls() const { return m_drawCalls; }
    int GetDrawnVertices() const { return m_drawnVertices; }

private:
    void ApplyFixedState(const DRAW_STATE& state);
    void SetEnabled(GLenum capability, bool on);

    // The GL state outside the program as the last batch left it.
    struct FIXED_STATE {
        bool known = false;
        uint32_t texture = 0;
        bool wrap = false;
        int cull = 0;
        bool wireframe = false;
        bool depthWrite = true;
        bool blend = true;
        bool additive = false;
    };

    const CGlApi& m_gl;
    CSceneProgram& m_program;
    FIXED_STATE m_fixed;
    std::vector<GLsizei> m_counts;  // of the ranges of a batch
    std::vector<const void*> m_offsets;
    int m_drawCalls = 0;
    int m_drawnVertices = 0;
};
