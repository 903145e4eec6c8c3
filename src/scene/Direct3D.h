#pragma once

#include <cstdint>
#include <memory>
#include <set>

#include <glm/glm.hpp>

#include "foundation/CharString.h"
#include "platform/GlDevice.h"
#include "scene/BatchDrawer.h"
#include "scene/DrawBatcher.h"
#include "scene/GlApi.h"
#include "scene/SceneProgram.h"

class CTextOverlay;

// A light as the lighting model knows it; colours are RGBA in 0..1.
struct LIGHT {
    enum Type { kPoint = 1, kSpot = 2, kDirectional = 3 };
    int type = kDirectional;
    glm::vec4 diffuse{1.0f};
    glm::vec4 specular{0.0f};
    glm::vec4 ambient{0.0f};
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f, 0.0f, 1.0f};
    float range = 1000.0f;
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f};  // constant, linear, quadratic
};

// The material part the vertex colours do not give: specular reflection.
struct MATERIAL {
    glm::vec4 specular{0.0f};
    float power = 0.0f;
};

// The scene's device: it owns the scene's GL program and the text overlay
// of the one 3D view and keeps a render-state record that the drawing calls apply.
// Vertex colour 1 drives ambient and diffuse reflection, vertex colour 2 is
// the emissive colour, specular reflection comes from the material, and
// everything is alpha-blended, culled counter-clockwise and depth-tested.
// Draws wait with the state they were made with until Flush, which sends
// them grouped by state (see CDrawBatcher): opaque draws first, translucent
// ones after them in their order.
class CDirect3D {
public:
    static constexpr const char* kSource = "Direct3D";
    static constexpr int kMaxLights = 8;

    enum Transform { kWorld, kView, kProjection, kTransformCount };
    enum Cull { kCullNone, kCullClockwise, kCullCounterClockwise };
    enum Topology { kTriangles, kLines, kPoints };

    CDirect3D(IGlDevice* device, bool fullScreen);
    CDirect3D(const CDirect3D&) = delete;
    CDirect3D& operator=(const CDirect3D&) = delete;
    virtual ~CDirect3D();

    bool Init();
    bool Create();
    // Per frame: true when this frame may be drawn; lost tells the caller to
    // rebuild its buffers and textures because the context was made anew.
    bool CheckDevice(bool& lost);
    bool Reset();
    bool Release();
    bool SetFullScreen(bool on);

    // The view's context went away (its objects are deleted while it is
    // still current) or came back.
    void OnContextLost();
    void OnContextCreated();

    // Text over the picture, drawn by the overlay between the 3D draws.
    bool BeginText();
    bool DrawText(int x, int y, const char* text);
    // text broken into lines no wider than maxWidth, its last line's top at
    // lastLineY and the lines before it above.
    bool DrawWrappedText(int x, int lastLineY, int maxWidth, const char* text);
    void EndText();
    void SetTextColor(uint32_t argb) { m_textColor = argb; }

    // Render state.
    bool BeginFrame();
    bool Clear(uint32_t argb, float depth);
    bool EndFrame();
    void SetTransform(Transform which, const glm::mat4& matrix);
    const glm::mat4& GetTransform(Transform which) const { return m_transforms[which]; }
    // The lights as set, for programs of their own that light alike.
    const SCENE_LIGHTS& GetSceneLights() const { return m_sceneLights; }
    // Changes whenever the GL objects made so far went with their context.
    uint32_t GetContextSerial() const { return m_contextSerial; }
    // After a draw with a program of one's own (the pending draws flushed
    // before it): the scene's program again, its state all sent anew.
    void RestoreSceneProgram();
    void SetLight(int index, const LIGHT& light);
    void EnableLight(int index, bool on);
    void SetAmbient(uint32_t argb);
    void SetLighting(bool on);
    void SetMaterial(const MATERIAL& material);
    void SetWireframe(bool on);
    bool IsWireframe() const { return m_state.Has(DRAW_STATE::kWireframe); }
    // The fill mode the whole frame is drawn with; primitives may add theirs.
    void SetSceneWireframe(bool on) { m_sceneWireframe = on; }
    bool IsSceneWireframe() const { return m_sceneWireframe; }
    void SetCull(Cull cull);
    void SetDepthWrite(bool on);
    void SetAdditiveBlend(bool on);
    void SetTexture(uint32_t texture, bool wrap);
    void SetPointSprite(bool on);
    // Draws count indices from the bound index buffer under the current
    // state; the draw waits for Flush. translucentColours: some vertex
    // colour is not opaque, so that the draw keeps its place among the
    // translucent ones.
    bool DrawIndexed(Topology topology, uint32_t firstIndex, uint32_t count,
                     bool translucentColours = false);
    // Issues the draws that wait, before GL is used otherwise.
    void Flush();
    // Off, every draw goes to the driver at once, in the order it comes,
    // as one call: what batching draws can be compared with it.
    void SetBatching(bool on) { m_batching = on; }
    bool IsBatching() const { return m_batching; }
    // GL draw calls issued in the current frame.
    int GetDrawCalls() const { return m_drawer.GetDrawCalls(); }
    // Vertices (indices) those calls drew.
    int GetDrawnVertices() const { return m_drawer.GetDrawnVertices(); }

    // A texture from 32-bit ARGB pixels, top row first, with mipmaps.
    uint32_t CreateTexture(int width, int height, const uint32_t* argb);
    void DeleteTexture(uint32_t texture);

    bool IsCreated() const { return m_created; }
    IGlDevice* GetDevice() const { return m_device; }
    const CGlApi& GetApi() const { return m_gl; }
    int GetSamples() const { return m_samples; }
    uint32_t GetScreenWidth() const { return m_screenWidth; }
    uint32_t GetScreenHeight() const { return m_screenHeight; }
    const char* GetError() const { return m_error; }
    // Reads the GL error state as a result code and its name.
    uint32_t TakeResult(CCharString& name);

private:
    bool CreatePrograms();
    void ReleasePrograms(bool deleteObjects);
    bool KeepOverlayError();
    void MarkStateDirty();
    bool SetRenderState();
    void SetFlag(DRAW_STATE::Flag flag, bool on);
    void CameraChanged();
    void LightsChanged();

    IGlDevice* m_device;
    bool m_fullScreen;
    CCharString m_error;
    CGlApi m_gl;
    bool m_created = false;
    bool m_contextLost = false;
    int m_samples = 0;
    bool m_samplesChecked = false;
    uint32_t m_screenWidth = 0;
    uint32_t m_screenHeight = 0;
    uint32_t m_textColor = 0xFFFFFFFF;

    std::unique_ptr<CSceneProgram> m_program;
    std::unique_ptr<CTextOverlay> m_overlay;

    glm::mat4 m_transforms[kTransformCount];
    SCENE_CAMERA m_camera;
    LIGHT m_lights[kMaxLights];
    bool m_lightOn[kMaxLights] = {};
    SCENE_LIGHTS m_sceneLights;
    bool m_sceneWireframe = false;
    // The state the next draw is made with (its world is m_transforms[kWorld]).
    DRAW_STATE m_state;
    CDrawBatcher m_batcher;
    CBatchDrawer m_drawer;
    bool m_batching = true;
    uint32_t m_contextSerial = 0;
    std::set<uint32_t> m_textures;  // made through CreateTexture in this context
};
