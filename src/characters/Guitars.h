#pragma once

#include <glm/glm.hpp>

#include "scene/Primitive.h"

// A guitar or a bass guitar: body, neck with frets, head and strings. It
// is built in its own frame (x along the neck from the bridge to the nut,
// the strings on the top face towards +z, string 1 on +y, the floor
// side once held) and then put where it is held; every point it gives is a
// scene point, wherever the band has moved it since.
class CGuitars : public CPrimitive {
public:
    // Thing 36 makes a four-string bass; any other a six-string guitar.
    CGuitars(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing);

    // Builds the instrument and puts it in place (guitar frame to the
    // player's own frame, in centimetres).
    bool Build(const glm::mat4& place, uint32_t bodyColour);

    int GetStringCount() const { return m_strings; }
    int GetFretCount() const { return kFrets; }
    // Where a finger stops string (1 = the highest) at fret (1..): just
    // behind the fret wire, on the string.
    glm::vec3 GetStopPoint(int string, int fret) const;
    // A point above the strings over fret, where a free finger waits.
    glm::vec3 GetHoverPoint(int fret, float height) const;
    // Where the fretting hand's knuckles go to play around fret: beside
    // the neck's floor edge, a little over the fretboard.
    glm::vec3 GetKnucklePoint(int fret) const;
    // Where a string is picked, height above it.
    glm::vec3 GetPickPoint(int string, float height) const;

    static constexpr int kFrets = 20;

private:
    // The distance of fret from the bridge.
    float FretX(int fret) const;
    float StringY(int string) const;
    glm::vec3 Local(float x, float y, float z) const { return ToWorld(glm::vec3(x, y, z)); }

    int m_strings;
    float m_scale;       // the sounding length of a string
    float m_spacing;     // between neighbouring strings
    float m_top = 0.0f;  // the strings' height over the neck's centre
};
