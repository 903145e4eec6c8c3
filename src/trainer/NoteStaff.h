#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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
    uint32_t ledgerLine = 0xFF4040FF;  // printed like the staff lines
    uint32_t nameText = 0xFF4040C0;
    uint32_t clef = 0xFF5A5AC0;
    uint32_t expectedNote = 0xFF0000FF;
    uint32_t playedNote = 0xFFFF0000;
    uint32_t rightNote = 0xFF00FF00;
    uint32_t keySignature = 0xFF5A5AC0;  // the ink of the clefs
};

// A grand staff: the treble naturals from middle C upward and the bass
// naturals below it one unit apart, the five lines of each staff, a name
// label per natural, the two clefs, the key signature after them, and
// pools of hidden glyphs in the scene's second list that notes, their
// accidentals and their ledger lines are shown with. Notes stand in a
// column right of the clefs and the key signature; a note on middle C or
// beyond the staves gets short ledger lines through it, as in print.
// Places follow the staff when it is moved or scaled. Staff units: x along
// the staff from its left end, y in steps from middle C (a line every two).
class CNoteStaff : public CPrimitive {
public:
    static constexpr int kPoolSize = 100;
    static constexpr int kLedgerPoolSize = 120;
    static constexpr int kLengths[7] = {0, 1, 2, 4, 8, 16, 32};
    static constexpr float kLength = 18.0f;  // unless SetLength says otherwise
    static constexpr float kLineWidth = 0.15f;
    // The staff lines lie 2 to 10 steps from middle C, on either side.
    static constexpr int kInnerLine = 2;
    static constexpr int kOuterLine = 10;
    // Staff heights of the lines the clefs name: G4 and F3.
    static constexpr float kGLineY = 4.0f;
    static constexpr float kFLineY = -4.0f;
    // The clefs stand between these two staff x.
    static constexpr float kClefLeft = 0.4f;
    static constexpr float kClefRight = 8.0f;
    // One accidental of the key signature after another from kClefRight.
    static constexpr float kSignatureStep = 1.8f;
    // From the end of the signature to the expected note; a wrong note
    // stands kPlayedOffset left of it, a sign kSignOffset left of its note.
    static constexpr float kNoteRoom = 11.0f;
    static constexpr float kPlayedOffset = -5.5f;
    static constexpr float kSignOffset = -2.3f;
    // A ledger line reaches a little past the note head on both sides.
    static constexpr float kLedgerLength = 3.4f;

    CNoteStaff(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    ~CNoteStaff() override;

    void SetColors(const STAFF_COLORS& colors) { m_colors = colors; }
    void SetGlyphScale(float scale) { m_glyphScale = scale; }
    // The length of the lines in staff units; before Build.
    void SetLength(float length) { m_length = length; }
    // Lines, labels and places; the glyph pools go to glyphs, the scene's
    // second list, which owns them.
    bool Build(int lowestNote, CNoteManager& noteManager, CSpacePainter& scene,
               CVertexBuffer& glyphs, CTextLabels* labels);
    // While on, the expected note's name stands beside its head, spelt as
    // it is written ("Bb4" on the B line under a flat).
    void ShowNoteNames(bool on);
    // The name of the note written on natural's place, raised (shift 1),
    // lowered (-1) or neither: "C#4", "Bb3", "E5".
    static CCharString PlaceName(const CNote& natural, int shift);
    // The name label on show, or null.
    CPrimitive* GetShownName() const { return m_shownName; }
    // Shows or takes away the glyph of a note at its written note, with the
    // accidental the key signature does not already give it; glyph tells
    // which one was used (null when the pool was full).
    bool ShowNote(const CNote& note, bool on, bool expected, CNoteShapes** glyph = nullptr);
    bool Clear();
    // Recolours the glyph and sign of the expected note shown last.
    bool ColourExpected(uint32_t argb);
    // Adds the clefs, drawn from a font into textures.
    bool AddClefs(const char* face);
    // Shows the sharps (> 0) or flats (< 0) of a key on both staves and
    // moves the note column right of them; notes shown later stand there.
    bool SetKeySignature(int accidentals);

    // The right end of the line place of a natural note (false for a black
    // key or a note outside the staff).
    bool GetPlace(int midiNote, glm::vec3& right) const;
    // Where the head of a note written on a natural is drawn.
    bool GetNotePlace(int writtenNote, bool expected, glm::vec3& at) const;
    // Line count of a natural from middle C: >= 0 treble, > 0 bass; false
    // for a note without place.
    bool GetCount(int midiNote, int& count, bool& treble) const;
    int GetUsed(int length) const;
    int GetLedgersUsed() const { return m_ledgers.used; }
    int GetKeySignature() const { return m_keyAccidentals; }
    float GetNoteX() const { return m_noteX; }
    float GetLength() const { return m_length; }
    // A point in staff units where it is drawn.
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
        float y = 0.0f;
    };
    // Hidden glyphs; the first used of them are on show.
    struct POOL {
        std::vector<CPrimitive*> items;
        int used = 0;
        CPrimitive* Take();
        void Give(CPrimitive* item);
    };
    // A note on show and the glyphs it took.
    struct SHOWN {
        POOL* pool = nullptr;
        CPrimitive* glyph = nullptr;
        POOL* signs = nullptr;
        CPrimitive* sign = nullptr;
        std::vector<CPrimitive*> ledgers;
        int writtenNote = 0;
        int accidental = 0;
        bool expected = false;
    };
    using MAKE_GLYPH = std::function<std::unique_ptr<CPrimitive>()>;

    POOL* PoolOf(int length);
    const PLACE* PlaceOf(int midiNote) const;
    POOL* SignsOf(const CNote& note);
    bool Fill(POOL& pool, int count, CSpacePainter& scene, const MAKE_GLYPH& make);
    bool FillPools(CSpacePainter& scene, CVertexBuffer& glyphs);
    void AddPlace(int midiNote, int count, bool treble, CTextLabels* labels,
                  CNoteManager& noteManager);
    void Put(CPrimitive* glyph, float x, float y, uint32_t argb);
    void AddLedgers(const PLACE& place, float x, SHOWN& shown);
    void Release(SHOWN& shown);
    void SetDirty();

    int m_lowestNote = 36;
    STAFF_COLORS m_colors;
    float m_glyphScale = 0.065f;
    float m_length = kLength;
    float m_noteX = kClefRight + kNoteRoom;
    int m_keyAccidentals = 0;
    std::array<PLACE, 128> m_places;
    glm::mat4 m_toWorld{1.0f};
    std::array<POOL, 7> m_pools;
    POOL m_sharps;
    POOL m_flats;
    POOL m_naturals;
    POOL m_ledgers;
    POOL m_signatureSharps;
    POOL m_signatureFlats;
    std::vector<SHOWN> m_shown;
    std::vector<uint32_t> m_textures;
    CPrimitive* m_expectedGlyph = nullptr;
    CPrimitive* m_expectedSign = nullptr;
    // The note-name labels among the children, three for each place: a
    // name stands beside the expected note's head only as a hint.
    struct NAME_LABEL {
        CPrimitive* label = nullptr;
        int place = 0;  // the natural written
        int shift = 0;  // -1 flat, 0 natural, 1 sharp
        float x = 0.0f;
        float y = 0.0f;
    };
    void ShowExpectedName();
    std::vector<NAME_LABEL> m_nameLabels;
    bool m_namesOn = false;
    int m_namedPlace = -1;  // the expected note's place and shift, -1: none
    int m_namedShift = 0;
    CPrimitive* m_shownName = nullptr;
};
