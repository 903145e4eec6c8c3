#include "scene/SceneLighting.h"

#include <glm/gtc/type_ptr.hpp>

#include "scene/Direct3D.h"
#include "scene/SceneProgram.h"

const char* const CSceneLighting::kShaderText = R"(
uniform vec3 uEye;
uniform int uLighting;
uniform vec4 uAmbient;
uniform int uLightCount;
uniform int uLightOn[8];
uniform int uLightType[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];
uniform vec4 uLightFalloff[8];
uniform vec4 uMaterialSpecular;
uniform float uMaterialPower;
vec3 Light(vec3 n, vec3 world, out vec3 specular) {
    vec3 toEye = normalize(uEye - world);
    vec3 ambient = uAmbient.rgb;
    vec3 diffuse = vec3(0.0);
    specular = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i) {
        if (uLightOn[i] == 0) {
            continue;
        }
        vec3 l;
        float attenuation = 1.0;
        if (uLightType[i] == 3) {
            l = -normalize(uLightDirection[i]);
        } else {
            vec3 d = uLightPosition[i] - world;
            float distance = length(d);
            if (distance > uLightFalloff[i].w) {
                continue;
            }
            l = d / max(distance, 1e-6);
            attenuation = 1.0 / max(uLightFalloff[i].x + uLightFalloff[i].y * distance +
                                    uLightFalloff[i].z * distance * distance, 1e-6);
        }
        ambient += uLightAmbient[i].rgb * attenuation;
        float nl = max(dot(n, l), 0.0);
        diffuse += uLightDiffuse[i].rgb * nl * attenuation;
        if (nl > 0.0 && uMaterialPower > 0.0) {
            vec3 h = normalize(toEye + l);
            specular += uLightSpecular[i].rgb * pow(max(dot(n, h), 0.0), uMaterialPower) *
                        attenuation;
        }
    }
    return ambient + diffuse;
}
)";

const char* const CSceneLighting::kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec3 vSpecular;
out vec4 fragColor;
void main() {
    fragColor = vec4(min(vColor.rgb + vSpecular, vec3(1.0)), vColor.a);
}
)";

LIGHT_LOCATIONS CSceneLighting::Locate(const CGlApi& gl, GLuint program) {
    // Arrays are found by their first element.
    const auto at = [&](const char* name) { return gl.GetUniformLocation(program, name); };
    LIGHT_LOCATIONS locations;
    locations.lighting = at("uLighting");
    locations.ambient = at("uAmbient");
    locations.count = at("uLightCount");
    locations.on = at("uLightOn[0]");
    locations.type = at("uLightType[0]");
    locations.diffuse = at("uLightDiffuse[0]");
    locations.specular = at("uLightSpecular[0]");
    locations.lightAmbient = at("uLightAmbient[0]");
    locations.position = at("uLightPosition[0]");
    locations.direction = at("uLightDirection[0]");
    locations.falloff = at("uLightFalloff[0]");
    return locations;
}

void CSceneLighting::Send(const CGlApi& gl, const LIGHT_LOCATIONS& at, const SCENE_LIGHTS& lights) {
    constexpr int kLights = SCENE_LIGHTS::kMaxLights;
    static_assert(kLights == CDirect3D::kMaxLights, "the programs take all the device's lights");
    GLint on[kLights];
    GLint types[kLights];
    GLint count = 0;
    glm::vec4 diffuse[kLights];
    glm::vec4 specular[kLights];
    glm::vec4 ambient[kLights];
    glm::vec3 position[kLights];
    glm::vec3 direction[kLights];
    glm::vec4 falloff[kLights];
    for (int i = 0; i < kLights; ++i) {
        const LIGHT& light = lights.lights[i];
        on[i] = lights.on[i] ? 1 : 0;
        count = lights.on[i] ? i + 1 : count;
        types[i] = light.type;
        diffuse[i] = light.diffuse;
        specular[i] = light.specular;
        ambient[i] = light.ambient;
        position[i] = light.position;
        direction[i] = light.direction;
        falloff[i] = glm::vec4(light.attenuation, light.range);
    }
    gl.Uniform1i(at.lighting, lights.lighting ? 1 : 0);
    gl.Uniform4fv(at.ambient, 1, glm::value_ptr(lights.ambient));
    gl.Uniform1i(at.count, count);  // the loop stops after the last light on
    gl.Uniform1iv(at.on, kLights, on);
    gl.Uniform1iv(at.type, kLights, types);
    gl.Uniform4fv(at.diffuse, kLights, glm::value_ptr(diffuse[0]));
    gl.Uniform4fv(at.specular, kLights, glm::value_ptr(specular[0]));
    gl.Uniform4fv(at.lightAmbient, kLights, glm::value_ptr(ambient[0]));
    gl.Uniform3fv(at.position, kLights, glm::value_ptr(position[0]));
    gl.Uniform3fv(at.direction, kLights, glm::value_ptr(direction[0]));
    gl.Uniform4fv(at.falloff, kLights, glm::value_ptr(falloff[0]));
}
