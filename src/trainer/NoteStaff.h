#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

#include "scene/Primitive.h"

class CNote;
class CNoteManager;
class CNoteShapes;
class CSpacePainter;
class CTextLabels;

// The colours of a staff, in this order.
struct STAFF_COLORS {
    uint32_t staffLine = 0xFF4040FF;
    uint32_t ledgerLine = 0xFF808080;
    uint32_t nameText = 0xFF4040C0;
    uint32_t clef = 0xFF5A5AC0;
    uint32_t expectedNote = 0xFF0000FF;
    uint32_t playedNote = 0xFFFF0000;
    uint32_t rightNote = 0xFF00FF00;
};

// A grand staff: the treble naturals from middle C upward and the bass
// naturals below it one unit apart, the five lines of each staff and full
// ledger lines at the other line places, a name label per natural, the two
// clefs, and pools of hidden glyphs in the scene's second list that notes
// are shown with. Places follow the staff when it is moved or scaled.
class CNoteStaff : public CPrimitive {
public:
    static constexpr int kPoolSize = 100;
    static constexpr int kLengths[7] = {0, 1, 2, 4, 8, 16, 32};
    static constexpr float kLength = 18.0f;
    static constexpr float kLineWidth = 0.15f;
    static constexpr float kPlayedOffset = -0.35f;
    // Staff heights of the lines the clefs name: G4 and F3.
    static constexpr float kGLineY = 4.0f;
    static constexpr float kFLineY = -4.0f;
    // The clefs stand between these two staff x.
    static constexpr float kClefLeft = 0.4f;
    static constexpr float kClefRight = 8.0f;

    CNoteStaff(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    ~CNoteStaff() override;

    void SetColors(const STAFF_COLORS& colors) { m_colors = colors; }
    void SetGlyphScale(float scale) { m_glyphScale = scale; }
    // Lines, labels and places; the glyph pools go to glyphs, the scene's
    // second list, which owns them.
    bool Build(int lowestNote, CNoteManager& noteManager, CSpacePainter& scene,
               CVertexBuffer& glyphs, CTextLabels* labels);
    // Shows or takes away the glyph of a note at its written note; glyph
    // tells which one was used (null when the pool was full).
    bool ShowNote(const CNote& note, bool on, bool expected, CNoteShapes** glyph = nullptr);
    bool Clear();
    // Recolours the glyph and sign of the expected note shown last.
    bool ColourExpected(uint32_t argb);
    // Adds the clefs, drawn from a font into textures.
    bool AddClefs(const char* face);

    // The right end of the line place of a natural note (false for a black
    // key or a note outside the staff).
    bool GetPlace(int midiNote, glm::vec3& right) const;
    // Line count of a natural from middle C: >= 0 treble, > 0 bass; false
    // for a note without place.
    bool GetCount(int midiNote, int& count, bool& treble) const;
    int GetUsed(int length) const;
    // A point of the staff's own units (x along the staff from its left
    // end, y in steps from middle C) where it is drawn.
    glm::vec3 ToWorld(const glm::vec3& local) const;
    int GetLowestNote() const { return m_lowestNote; }
    const STAFF_COLORS& GetColors() const { return m_colors; }

protected:
    void OnRewrite(const glm::mat4& matrix) override;

private:
    struct PLACE {
        bool set = false;
        int count = 0;
        bool treble = false;
        glm::vec3 left{0.0f};
        glm::vec3 right{0.0f};
    };
    struct POOL {
        std::vector<CNoteShapes*> glyphs;
        int used = 0;
    };

    POOL* PoolOf(int length);
    void AddPlace(int midiNote, int count, bool treble, CTextLabels* labels,
                  CNoteManager& noteManager);

    int m_lowestNote = 36;
    STAFF_COLORS m_colors;
    float m_glyphScale = 0.065f;
    std::array<PLACE, 128> m_places;
    glm::mat4 m_toWorld{1.0f};
    std::array<POOL, 7> m_pools;
    POOL m_sharps;
    POOL m_flats;
    std::vector<uint32_t> m_textures;
    CNoteShapes* m_expectedGlyph = nullptr;
    CNoteShapes* m_expectedSign = nullptr;
};
