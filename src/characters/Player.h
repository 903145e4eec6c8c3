#pragma once

#include <cstdint>

#include <glm/glm.hpp>

#include "characters/Human.h"
#include "scene/Primitive.h"

class CMeshModel;

// One note for a player of the band: what sounds (or stops), on which
// instrument, and with which hand when the note says so.
struct BAND_NOTE {
    int midiNote = 255;
    int thing = 0;
    int hand = 0;        // THING_LEFT_HAND, THING_RIGHT_HAND or 0 for the player's choice
    bool on = true;      // false: the note stops sounding
    bool start = false;  // the starting pose, not a played note
};

// A member of the band: a human figure with an instrument. The band needs
// of it only these: the set-up for its instrument, a note operation, a
// resting state and the place its camera looks from. Between notes the
// player's limbs glide to where the notes send them, frame by frame.
class CPlayer : public CPrimitive {
public:
    static constexpr const char* kSource = "Player";

    CPlayer(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing);
    ~CPlayer() override;

    // Makes the figure and the instrument where the player stands before
    // the band arranges it; flag is the band's build flag.
    virtual bool Build(uint8_t flag) = 0;
    // Turns a note into movements; false for a note the player can't play.
    virtual bool PlayNote(const BAND_NOTE& note, double now) = 0;
    // Hands back to where they wait between songs.
    virtual bool Rest(double now) = 0;
    // Where a camera looking at this player stands and looks, in the scene.
    virtual void GetCameraPlace(glm::vec3& eye, glm::vec3& lookAt) const;

    // Places the limbs where their motions are at now; true while
    // something moves, so that the scene draws another frame.
    virtual bool Pose(double now) = 0;

    // The model of a skinned figure, which the player copies; the figure
    // of primitives when null or when the model can't be used. Set before
    // Build; it must live until then.
    void SetFigureModel(const CMeshModel* model) { m_figureModel = model; }
    int GetThing() const { return m_thing; }
    CHuman* GetHuman() const { return m_human; }
    // How many notes the player has taken, for those who watch it.
    int GetNotesPlayed() const { return m_notesPlayed; }

protected:
    // Makes the figure as a child, dressed in look.
    bool MakeHuman(const CHuman::LOOK& look);

    int m_thing;
    const CMeshModel* m_figureModel = nullptr;
    CHuman* m_human = nullptr;
    int m_notesPlayed = 0;
    // Where the player's own camera looks from and at, in built centimetres.
    glm::vec3 m_cameraEye{0.0f, 160.0f, 260.0f};
    glm::vec3 m_cameraLookAt{0.0f, 110.0f, 0.0f};
};
