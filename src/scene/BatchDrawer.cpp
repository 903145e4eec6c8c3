#include "scene/BatchDrawer.h"

#include "scene/Direct3D.h"
#include "scene/SceneProgram.h"

namespace {

constexpr int kIndexSize = 4;  // 32-bit indices

const void* IndexOffset(uint32_t first) {
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * kIndexSize);
}

}  // namespace

void CBatchDrawer::Draw(const DRAW_BATCH& batch, const std::vector<INDEX_RANGE>& ranges,
                        const SCENE_CAMERA& camera, const SCENE_LIGHTS& lights) {
    const DRAW_STATE& state = batch.state;
    m_program.Use(state.texture != 0 ? CSceneProgram::kTextured : CSceneProgram::kPlain);
    m_program.SetCamera(camera);
    m_program.SetWorld(state.world);
    m_program.SetLights(lights);
    MATERIAL material;
    material.specular = state.specular;
    material.power = state.power;
    m_program.SetMaterial(material);
    m_program.SetPointSprite(state.Has(DRAW_STATE::kPointSprite));
    ApplyFixedState(state);

    const GLenum modes[] = {GL_TRIANGLES, GL_LINES, GL_POINTS};
    const GLenum mode = modes[state.GetTopology()];
    if (batch.rangeCount == 1) {
        const INDEX_RANGE& range = ranges[batch.firstRange];
        m_gl.DrawElements(mode, static_cast<GLsizei>(range.count), GL_UNSIGNED_INT,
                          IndexOffset(range.first));
        m_drawnVertices += static_cast<int>(range.count);
    } else {
        m_counts.clear();
        m_offsets.clear();
        for (size_t i = batch.firstRange; i < batch.firstRange + batch.rangeCount; ++i) {
            m_counts.push_back(static_cast<GLsizei>(ranges[i].count));
            m_offsets.push_back(IndexOffset(ranges[i].first));
            m_drawnVertices += static_cast<int>(ranges[i].count);
        }
        m_gl.MultiDrawElements(mode, m_counts.data(), GL_UNSIGNED_INT, m_offsets.data(),
                               static_cast<GLsizei>(m_counts.size()));
    }
    ++m_drawCalls;
}

void CBatchDrawer::Finish() {
    if (!m_fixed.blend) {
        m_gl.Enable(GL_BLEND);
        m_fixed.blend = true;
    }
}

void CBatchDrawer::SetEnabled(GLenum capability, bool on) {
    if (on) {
        m_gl.Enable(capability);
    } else {
        m_gl.Disable(capability);
    }
}

void CBatchDrawer::ApplyFixedState(const DRAW_STATE& state) {
    FIXED_STATE& fixed = m_fixed;
    const bool known = fixed.known;
    const bool wrap = state.Has(DRAW_STATE::kTextureWrap);
    if (state.texture != 0 && (!known || fixed.texture != state.texture || fixed.wrap != wrap)) {
        m_gl.ActiveTexture(GL_TEXTURE0);
        m_gl.BindTexture(GL_TEXTURE_2D, state.texture);
        const GLint mode = wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
        fixed.texture = state.texture;
        fixed.wrap = wrap;
    }
    const int cull = state.GetCull();
    if (!known || fixed.cull != cull) {
        SetEnabled(GL_CULL_FACE, cull != CDirect3D::kCullNone);
        if (cull != CDirect3D::kCullNone) {
            m_gl.FrontFace(cull == CDirect3D::kCullCounterClockwise ? GL_CW : GL_CCW);
        }
        fixed.cull = cull;
    }
    const bool wireframe = state.Has(DRAW_STATE::kWireframe);
    if (!known || fixed.wireframe != wireframe) {
        m_gl.PolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
        fixed.wireframe = wireframe;
    }
    const bool depthWrite = state.Has(DRAW_STATE::kDepthWrite);
    if (!known || fixed.depthWrite != depthWrite) {
        m_gl.DepthMask(depthWrite ? GL_TRUE : GL_FALSE);
        fixed.depthWrite = depthWrite;
    }
    const bool blend = !state.Has(DRAW_STATE::kOpaque);
    if (!known || fixed.blend != blend) {
        SetEnabled(GL_BLEND, blend);
        fixed.blend = blend;
    }
    const bool additive = state.Has(DRAW_STATE::kAdditive);
    if (!known || fixed.additive != additive) {
        m_gl.BlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        fixed.additive = additive;
    }
    fixed.known = true;
}
