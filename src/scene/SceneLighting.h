#pragma once

#include "scene/GlApi.h"

struct SCENE_LIGHTS;

// Where a program keeps the uniforms of the scene's lights.
struct LIGHT_LOCATIONS {
    GLint lighting = -1;
    GLint ambient = -1;
    GLint count = -1;
    GLint on = -1;
    GLint type = -1;
    GLint diffuse = -1;
    GLint specular = -1;
    GLint lightAmbient = -1;
    GLint position = -1;
    GLint direction = -1;
    GLint falloff = -1;
};

// The lighting model that every program of the scene shares, so that a
// skinned figure is lit like the primitives beside it: the GLSL that
// lights a vertex and the sending of the scene's lights to a program.
class CSceneLighting {
public:
    // GLSL for a vertex shader, after its version line: the uniforms of the
    // lights, of the material's specular reflection and of the eye, and
    // vec3 Light(vec3 normal, vec3 world, out vec3 specular), which gives
    // the ambient and diffuse light on a vertex and its specular light.
    static const char* const kShaderText;
    // A whole fragment shader that adds the specular light to the lit
    // colour, for a program whose vertices need no texture.
    static const char* const kFragmentShader;

    // Where a linked program keeps the uniforms of the lights.
    static LIGHT_LOCATIONS Locate(const CGlApi& gl, GLuint program);

    // Sends the lights to the program in use at locations.
    static void Send(const CGlApi& gl, const LIGHT_LOCATIONS& locations,
                     const SCENE_LIGHTS& lights);
};
