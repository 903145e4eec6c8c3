#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <glm/glm.hpp>

#include "scene/GlApi.h"
#include "scene/SceneLighting.h"

class CShaderProgram;
struct LIGHT;
struct MATERIAL;

// The lights of the scene as the program takes them, with a version that
// changes whenever one of them does.
struct SCENE_LIGHTS {
    static constexpr int kMaxLights = 8;
    const LIGHT* lights = nullptr;  // kMaxLights of them
    const bool* on = nullptr;       // kMaxLights of them
    glm::vec4 ambient{0.0f};
    bool lighting = true;
    uint32_t version = 0;
};

// The camera as the program takes it, with a version that changes whenever
// the view, the projection or the viewport does.
struct SCENE_CAMERA {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    float viewportHeight = 0.0f;
    uint32_t version = 0;
};

// The scene's GL program in two variants that share the vertex shader and
// the lighting model: plain, for untextured draws, and textured. A software
// renderer runs every instruction of a fragment shader whatever a branch
// says, so untextured fragments never pass through a texture fetch.
// Each variant remembers what it was given last (uniforms stay with their
// program), so that switching between them sends only what changed.
class CSceneProgram {
public:
    enum Variant { kPlain, kTextured, kVariantCount };

    explicit CSceneProgram(const CGlApi& gl);
    ~CSceneProgram();
    CSceneProgram(const CSceneProgram&) = delete;
    CSceneProgram& operator=(const CSceneProgram&) = delete;

    // Compiles and links both variants in the current context.
    bool Link();
    void Release(bool deleteObjects);
    bool IsLinked() const;
    const char* GetError() const;

    // Makes variant the GL program when it is not already.
    void Use(Variant variant);
    // Another program was used: the next Use binds its variant again.
    void ForgetCurrent() { m_current = kNone; }

    // Uniforms of the variant in use, each sent only when it differs from
    // what that variant holds.
    void SetCamera(const SCENE_CAMERA& camera);
    void SetWorld(const glm::mat4& world);
    void SetLights(const SCENE_LIGHTS& lights);
    void SetMaterial(const MATERIAL& material);
    void SetPointSprite(bool on);

private:
    static constexpr int kNone = -1;
    // What a variant was given last; versions of 0 were never given.
    struct APPLIED {
        uint32_t camera = 0;
        uint32_t lights = 0;
        bool worldSet = false;
        glm::mat4 world{1.0f};
        bool materialSet = false;
        glm::vec4 specular{0.0f};
        float power = 0.0f;
        int pointSprite = -1;
    };

    const CGlApi& m_gl;
    std::string m_vertexSource;
    std::unique_ptr<CShaderProgram> m_variants[kVariantCount];
    APPLIED m_applied[kVariantCount];
    LIGHT_LOCATIONS m_lightLocations[kVariantCount];
    int m_current = kNone;
};
