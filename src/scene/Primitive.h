#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "foundation/CharString.h"
#include "platform/GlDevice.h"
#include "scene/Direct3D.h"

class CAnimationList;
class CNote;
class CSpacePainter;
class CVertexBuffer;

// The stretch of the shared buffer a primitive draws.
struct PRIMITIVE_RANGE {
    int firstVertex = 0;
    int vertexCount = 0;
    int firstIndex = 0;
    int indexCount = 0;
    int primitiveCount = 0;
    int baseVertex = 0;
    bool lines = false;
};

// A node of a picture: a name, a stretch of the shared vertex buffer, its
// own children, a local frame (origin and three axes) and two channel
// matrices that animations write. Moving, turning and scaling rewrite the
// vertices in place, in both copies, so that the whole picture stays one
// buffer; children follow their parent.
class CPrimitive {
public:
    static constexpr const char* kSource = "Primitive";

    CPrimitive(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    CPrimitive(const CPrimitive&) = delete;
    CPrimitive& operator=(const CPrimitive&) = delete;
    virtual ~CPrimitive();

    // Geometry added to the buffer between these two calls is this
    // primitive's; it must not be interleaved with another primitive's.
    void BeginGeometry();
    void EndGeometry();
    CPrimitive* AddChild(std::unique_ptr<CPrimitive> child);

    // Operations the scene and the pictures call; derived pictures override.
    virtual bool SetPosition(float x, float y, float z);
    virtual bool SetVisible(bool on, bool recursive);
    virtual bool Scale(float s, bool refresh);
    virtual bool Scale(float x, float y, float z, bool refresh);
    // Turns about one of the frame's own axes (0 x, 1 y, 2 z) through its origin.
    virtual bool Turn(float degrees, int axis);
    // Moves along one of the frame's own axes.
    virtual bool Move(float distance, int axis);
    virtual bool TurnAbout(float degrees, const glm::vec3& axis, const glm::vec3& point);
    virtual bool MoveBy(const glm::vec3& delta);
    // Applies a world-space matrix to the vertices and the frame.
    virtual bool Transform(const glm::mat4& matrix);
    virtual bool SetFrame(const glm::mat4& frame);
    virtual bool Draw();
    virtual bool DrawSelf();
    virtual bool Animate(double now, double previous);
    virtual bool StartAnimation(double start);
    virtual bool OnMouseMove(int x, int y, int flags);
    virtual bool OnFocusLost();
    virtual bool OnMouseWheel(int delta, int flags);
    virtual bool OnButtonDown(MouseButton button, int x, int y, int flags);
    virtual bool OnButtonUp(MouseButton button, int x, int y, int flags);
    virtual bool OnDoubleClick(MouseButton button, int x, int y, int flags);
    virtual bool OnKey(int key, int flags);
    // A line the scene shows under the picture for its user; false for none.
    virtual bool GetStatusText(CCharString& text) const {
        (void)text;
        return false;
    }

    // Colours of this primitive's vertices (and its children's).
    bool SetColour(uint32_t argb, bool specular, bool recursive);
    // Puts back the colours the vertices had before the first SetColour.
    bool RestoreColours(bool recursive);

    // Channel matrices written by animations; the drawing transform is
    // channel 1 after channel 0 when both are set.
    void SetChannel(int channel, const glm::mat4& matrix, bool set);
    bool IsChannelSet(int channel) const { return m_channelSet[channel & 1]; }
    const glm::mat4& GetChannel(int channel) const { return m_channel[channel & 1]; }
    glm::mat4 GetDrawTransform() const;

    void AddAnimation(CAnimationList* list) { m_animations.push_back(list); }
    const std::vector<CAnimationList*>& GetAnimations() const { return m_animations; }

    void SetScene(CSpacePainter* scene) { m_scene = scene; }
    void SetMaterial(const MATERIAL& material);
    void SetTexture(uint32_t texture) { m_texture = texture; }
    void SetWireframe(bool on) { m_wireframe = on; }
    void SetPointSprite(bool on) { m_pointSprite = on; }
    void SetDoubleSided(bool on) { m_doubleSided = on; }
    void SetTextureWrap(bool on) { m_textureWrap = on; }

    // Calls visit for this primitive and every descendant, parents first.
    void ForEach(const std::function<void(CPrimitive&)>& visit);
    CPrimitive* Find(const char* name);
    // Writes the tree to the debug output, one line per primitive.
    void Dump(int depth = 0) const;

    const char* GetName() const { return m_name; }
    const char* GetError() const { return m_error; }
    bool IsVisible() const { return m_visible; }
    bool IsPointSprite() const { return m_pointSprite; }
    PRIMITIVE_RANGE& GetRange() { return m_range; }
    const PRIMITIVE_RANGE& GetRange() const { return m_range; }
    const glm::mat4& GetFrame() const { return m_frame; }
    glm::vec3 GetOrigin() const { return glm::vec3(m_frame[3]); }
    // Every rewrite since the primitive was built, in one matrix: takes a
    // point of the place it was built in to where it is now.
    const glm::mat4& GetPlacement() const { return m_placement; }
    glm::vec3 ToWorld(const glm::vec3& built) const {
        return glm::vec3(m_placement * glm::vec4(built, 1.0f));
    }
    CVertexBuffer* GetBuffer() const { return m_buffer; }
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    CPrimitive* GetChild(int i) const { return m_children[i].get(); }

protected:
    // FailWith on this primitive's error text, for derived pictures too.
    bool Fail(int line, const char* format, ...) NOTARA_PRINTF(3, 4);
    // Rewrites the vertices with matrix; the frame axes turn with it only
    // when the matrix keeps lengths.
    bool RewriteVertices(const glm::mat4& matrix, bool moveAxes);
    // Told of every rewrite of this primitive, so that points a derived
    // primitive keeps beside its vertices can follow.
    virtual void OnRewrite(const glm::mat4& matrix) { (void)matrix; }

    CCharString m_name;
    CCharString m_error;
    CSpacePainter* m_scene = nullptr;
    CDirect3D* m_device;
    CVertexBuffer* m_buffer;
    PRIMITIVE_RANGE m_range;
    bool m_visible = true;
    bool m_wireframe = false;
    bool m_pointSprite = false;
    bool m_doubleSided = false;
    bool m_textureWrap = false;
    uint32_t m_texture = 0;
    MATERIAL m_material;
    bool m_materialSet = false;
    std::vector<std::unique_ptr<CPrimitive>> m_children;
    glm::mat4 m_frame{1.0f};
    glm::mat4 m_inverse{1.0f};
    glm::mat4 m_placement{1.0f};
    glm::mat4 m_channel[2] = {glm::mat4(1.0f), glm::mat4(1.0f)};
    bool m_channelSet[2] = {false, false};
    std::vector<CAnimationList*> m_animations;
    double m_animationStart = 0.0;
    std::vector<uint32_t> m_savedColours;  // diffuse, specular per vertex
};
