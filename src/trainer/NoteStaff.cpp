#include "trainer/NoteStaff.h"

#include <algorithm>
#include <cstdlib>

#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/TextLabels.h"
#include "scene/TextureGenerator.h"
#include "scene/VertexBuffer.h"
#include "theory/KeySignature.h"
#include "theory/NoteManager.h"
#include "trainer/NoteShapes.h"

namespace {

constexpr int kClefPictureWidth = 128;
constexpr int kClefPictureHeight = 256;
constexpr float kClefFontSize = 180.0f;
constexpr float kClefInset = 8.0f;
constexpr float kLineDepth = 0.05f;
// Notes and signs lie in front of the lines, the clefs between the two.
constexpr float kGlyphZ = -0.5f;
constexpr float kClefZ = -0.1f;
constexpr float kLabelZ = -0.2f;
constexpr float kLabelSize = 1.4f;  // before the picture grows its labels
constexpr float kNameGap = 4.2f;  // from the expected head's centre to its name's
constexpr int kHighestTreble = 95;
constexpr int kMiddleC = 60;
constexpr int kSignaturePoolSize = 2 * CKeySignature::kMaxAccidentals;

bool IsNatural(const CNoteManager& manager, int midiNote) {
    const CNote* note = manager.GetNoteTable().GetAt(midiNote);
    return note != nullptr && note->intervalFrets == 0;
}

bool IsStaffLine(int count) {
    return count % 2 == 0 && count >= CNoteStaff::kInnerLine && count <= CNoteStaff::kOuterLine;
}

}  // namespace

constexpr int CNoteStaff::kLengths[7];

CPrimitive* CNoteStaff::POOL::Take() {
    return used < static_cast<int>(items.size()) ? items[static_cast<size_t>(used++)] : nullptr;
}

void CNoteStaff::POOL::Give(CPrimitive* item) {
    const auto end = items.begin() + used;
    const auto at = std::find(items.begin(), end, item);
    if (at == end) {
        return;
    }
    std::iter_swap(at, end - 1);  // the first used stay the ones on show
    --used;
    item->SetVisible(false, true);
}

CNoteStaff::CNoteStaff(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive(name, device, buffer) {}

CNoteStaff::~CNoteStaff() {
    for (uint32_t texture : m_textures) {
        m_device->DeleteTexture(texture);
    }
}

void CNoteStaff::AddPlace(int midiNote, int count, bool treble, CTextLabels* labels,
                          CNoteManager& noteManager) {
    const float y = treble ? static_cast<float>(count) : -static_cast<float>(count);
    PLACE& place = m_places[static_cast<size_t>(midiNote)];
    place.set = true;
    place.count = count;
    place.treble = treble;
    place.y = y;
    if (IsStaffLine(count)) {
        AddChild(CShapes::Box("StaffLine", m_device, m_buffer, glm::vec3(m_length / 2, y, 0.0f),
                              glm::vec3(m_length, kLineWidth, kLineDepth), m_colors.staffLine));
    }
    if (labels != nullptr) {
        const CNote* note = noteManager.GetNoteTable().GetAt(midiNote);
        for (int shift = -1; shift <= 1; ++shift) {
            NAME_LABEL name;
            name.place = midiNote;
            name.shift = shift;
            name.x = m_noteX + kNameGap;
            name.y = y;
            auto label =
                labels->MakeLabel("Note name", m_buffer, labels->Add(PlaceName(*note, shift)),
                                  glm::vec3(name.x, y, kLabelZ), kLabelSize, m_colors.nameText);
            if (label != nullptr) {
                label->SetVisible(false, true);
                name.label = AddChild(std::move(label));
                m_nameLabels.push_back(name);
            }
        }
    }
}

CCharString CNoteStaff::PlaceName(const CNote& natural, int shift) {
    CCharString text;
    text.Format("%s%s%d", natural.GetName().GetText(),
                shift > 0   ? "#"
                : shift < 0 ? "b"
                            : "",
                natural.GetOctave());
    return text;
}

void CNoteStaff::ShowNoteNames(bool on) {
    m_namesOn = on;
    ShowExpectedName();
}

void CNoteStaff::ShowExpectedName() {
    if (m_shownName != nullptr) {
        m_shownName->SetVisible(false, true);
        m_shownName = nullptr;
    }
    if (!m_namesOn || m_namedPlace < 0) {
        return;
    }
    for (NAME_LABEL& name : m_nameLabels) {
        if (name.place == m_namedPlace && name.shift == m_namedShift) {
            // Right of the head: a wrong note stands on its left.
            const float x = m_noteX + kNameGap;
            name.label->MoveBy(ToWorld(glm::vec3(x, name.y, 0.0f)) -
                               ToWorld(glm::vec3(name.x, name.y, 0.0f)));
            name.x = x;
            name.label->SetVisible(true, true);
            m_shownName = name.label;
            break;
        }
    }
    SetDirty();
}

bool CNoteStaff::Fill(POOL& pool, int count, CSpacePainter& scene, const MAKE_GLYPH& make) {
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<CPrimitive> glyph = make();
        if (glyph == nullptr) {
            return false;
        }
        glyph->Scale(m_glyphScale, false);
        glyph->SetVisible(false, true);
        CPrimitive* kept = glyph.get();
        if (scene.AddToList(std::move(glyph), true) == nullptr) {
            return false;  // the scene has no second list to own it
        }
        pool.items.push_back(kept);
    }
    return true;
}

bool CNoteStaff::FillPools(CSpacePainter& scene, CVertexBuffer& glyphs) {
    auto note = [&](int length) {
        return [&, length]() -> std::unique_ptr<CPrimitive> {
            auto glyph = std::make_unique<CNoteShapes>("Glyph", m_device, &glyphs);
            return glyph->SetLength(length, 0.0f, m_colors.expectedNote) ? std::move(glyph)
                                                                         : nullptr;
        };
    };
    auto sign = [&](CNoteShapes::Kind kind, uint32_t argb) {
        return [&, kind, argb]() -> std::unique_ptr<CPrimitive> {
            auto glyph = std::make_unique<CNoteShapes>("Sign", m_device, &glyphs);
            return glyph->MakeSign(kind, argb) ? std::move(glyph) : nullptr;
        };
    };
    for (size_t i = 0; i < m_pools.size(); ++i) {
        if (!Fill(m_pools[i], kPoolSize, scene, note(kLengths[i]))) {
            return Fail(__LINE__, "Can't fill the glyph pool of length %d", kLengths[i]);
        }
    }
    const uint32_t ink = m_colors.expectedNote, key = m_colors.keySignature;
    const bool signs =
        Fill(m_sharps, kPoolSize, scene, sign(CNoteShapes::kSharp, ink)) &&
        Fill(m_flats, kPoolSize, scene, sign(CNoteShapes::kFlat, ink)) &&
        Fill(m_naturals, kPoolSize, scene, sign(CNoteShapes::kNatural, ink)) &&
        Fill(m_signatureSharps, kSignaturePoolSize, scene, sign(CNoteShapes::kSharp, key)) &&
        Fill(m_signatureFlats, kSignaturePoolSize, scene, sign(CNoteShapes::kFlat, key));
    if (!signs) {
        return Fail(__LINE__, "Can't fill the pools of signs");
    }
    auto ledger = [&]() {
        return CShapes::Box("Ledger line", m_device, &glyphs, glm::vec3(0.0f),
                            glm::vec3(kLedgerLength, kLineWidth, kLineDepth), m_colors.ledgerLine);
    };
    if (!Fill(m_ledgers, kLedgerPoolSize, scene, ledger)) {
        return Fail(__LINE__, "Can't fill the pool of ledger lines");
    }
    return true;
}

bool CNoteStaff::Build(int lowestNote, CNoteManager& noteManager, CSpacePainter& scene,
                       CVertexBuffer& glyphs, CTextLabels* labels) {
    if (lowestNote < 0 || lowestNote >= kMiddleC) {
        return Fail(__LINE__, "Can't build a staff from note %d", lowestNote);
    }
    m_lowestNote = lowestNote;
    int count = 0;
    for (int n = kMiddleC; n <= kHighestTreble; ++n) {
        if (IsNatural(noteManager, n)) {
            AddPlace(n, count++, true, labels, noteManager);
        }
    }
    count = 1;
    for (int n = kMiddleC - 1; n >= lowestNote; --n) {
        if (IsNatural(noteManager, n)) {
            AddPlace(n, count++, false, labels, noteManager);
        }
    }
    return FillPools(scene, glyphs);
}

bool CNoteStaff::AddClefs(const char* face) {
    struct CLEF {
        const char* name;
        const char* text;
        float height;     // staff units covered by the picture
        float baseline;   // of the glyph, in picture pixels
        float anchorRow;  // the picture row that sits on the clef's line
        float lineY;      // the staff height of that line
    };
    // The G clef's curl wraps the G line (second treble line); the F clef's
    // dots straddle the F line (fourth bass line).
    const CLEF clefs[2] = {{"Treble clef", "\xF0\x9D\x84\x9E", 13.5f, 176.0f, 150.0f, kGLineY},
                           {"Bass clef", "\xF0\x9D\x84\xA2", 10.0f, 150.0f, 46.0f, kFLineY}};
    for (const CLEF& clef : clefs) {
        CTextureGenerator generator(m_device);
        if (!generator.Begin(kClefPictureWidth, kClefPictureHeight)) {
            return Fail(__LINE__, "%s", generator.GetError());
        }
        generator.GetPainter()->DrawText(face, kClefFontSize, kClefInset, clef.baseline, clef.text,
                                         0xFFFFFFFF);
        const uint32_t texture = generator.End();
        if (texture == 0) {
            return Fail(__LINE__, "%s", generator.GetError());
        }
        m_textures.push_back(texture);
        const float top = clef.lineY + clef.anchorRow * clef.height / kClefPictureHeight;
        const float bottom = top - clef.height;
        const float width = clef.height * kClefPictureWidth / kClefPictureHeight;
        const float x0 = kClefLeft;
        VERTEX corners[4];
        const float xs[4] = {x0, x0 + width, x0 + width, x0};
        const float ys[4] = {top, top, bottom, bottom};
        const float us[4] = {0, 1, 1, 0};
        const float vs[4] = {0, 0, 1, 1};
        for (int i = 0; i < 4; ++i) {
            corners[i].x = xs[i];
            corners[i].y = ys[i];
            corners[i].z = kClefZ;
            corners[i].nz = -1.0f;
            corners[i].diffuse = 0xFF000000;
            corners[i].specular = m_colors.clef;
            corners[i].u = us[i];
            corners[i].v = vs[i];
        }
        auto quad = std::make_unique<CPrimitive>(clef.name, m_device, m_buffer);
        quad->BeginGeometry();
        m_buffer->AddQuad(corners[0], corners[1], corners[2], corners[3]);
        quad->EndGeometry();
        quad->SetTexture(texture);
        AddChild(std::move(quad));
    }
    return true;
}

void CNoteStaff::OnRewrite(const glm::mat4& matrix) {
    m_toWorld = matrix * m_toWorld;
}

glm::vec3 CNoteStaff::ToWorld(const glm::vec3& local) const {
    return glm::vec3(m_toWorld * glm::vec4(local, 1.0f));
}

const CNoteStaff::PLACE* CNoteStaff::PlaceOf(int midiNote) const {
    if (midiNote < 0 || midiNote >= static_cast<int>(m_places.size()) ||
        !m_places[static_cast<size_t>(midiNote)].set) {
        return nullptr;
    }
    return &m_places[static_cast<size_t>(midiNote)];
}

bool CNoteStaff::GetPlace(int midiNote, glm::vec3& right) const {
    const PLACE* place = PlaceOf(midiNote);
    if (place == nullptr) {
        return false;
    }
    right = ToWorld(glm::vec3(m_length, place->y, kGlyphZ));
    return true;
}

bool CNoteStaff::GetNotePlace(int writtenNote, bool expected, glm::vec3& at) const {
    const PLACE* place = PlaceOf(writtenNote);
    if (place == nullptr) {
        return false;
    }
    at = ToWorld(glm::vec3(m_noteX + (expected ? 0.0f : kPlayedOffset), place->y, kGlyphZ));
    return true;
}

bool CNoteStaff::GetCount(int midiNote, int& count, bool& treble) const {
    const PLACE* place = PlaceOf(midiNote);
    if (place == nullptr) {
        return false;
    }
    count = place->count;
    treble = place->treble;
    return true;
}

CNoteStaff::POOL* CNoteStaff::PoolOf(int length) {
    for (size_t i = 0; i < m_pools.size(); ++i) {
        if (kLengths[i] == length) {
            return &m_pools[i];
        }
    }
    return nullptr;
}

int CNoteStaff::GetUsed(int length) const {
    for (size_t i = 0; i < m_pools.size(); ++i) {
        if (kLengths[i] == length) {
            return m_pools[i].used;
        }
    }
    return -1;
}

void CNoteStaff::SetDirty() {
    if (m_scene != nullptr) {
        m_scene->SetDirty();
    }
}

void CNoteStaff::Put(CPrimitive* glyph, float x, float y, uint32_t argb) {
    glyph->SetColour(argb, false, true);
    const glm::vec3 at = ToWorld(glm::vec3(x, y, kGlyphZ));
    glyph->SetPosition(at.x, at.y, at.z);
    glyph->SetVisible(true, true);
}

bool CNoteStaff::SetKeySignature(int accidentals) {
    accidentals =
        std::clamp(accidentals, -CKeySignature::kMaxAccidentals, CKeySignature::kMaxAccidentals);
    for (POOL* pool : {&m_signatureSharps, &m_signatureFlats}) {
        while (pool->used > 0) {
            pool->Give(pool->items[static_cast<size_t>(pool->used - 1)]);
        }
    }
    POOL& pool = accidentals > 0 ? m_signatureSharps : m_signatureFlats;
    for (bool treble : {true, false}) {
        const std::vector<int> notes = CKeySignature::GetSignatureNotes(accidentals, treble);
        for (size_t i = 0; i < notes.size(); ++i) {
            const PLACE* place = PlaceOf(notes[i]);
            CPrimitive* sign = pool.Take();
            if (place != nullptr && sign != nullptr) {
                const float x = kClefRight + kSignatureStep * (static_cast<float>(i) + 0.5f);
                Put(sign, x, place->y, m_colors.keySignature);
            }
        }
    }
    m_keyAccidentals = accidentals;
    m_noteX = kClefRight + kSignatureStep * static_cast<float>(std::abs(accidentals)) + kNoteRoom;
    SetDirty();
    return true;
}

CNoteStaff::POOL* CNoteStaff::SignsOf(const CNote& note) {
    const int letter = CKeySignature::GetLetter(note.writtenNote);
    const int alteration = note.accidental == ACCIDENTAL_SHARP  ? 1
                           : note.accidental == ACCIDENTAL_FLAT ? -1
                                                                : 0;
    if (letter < 0 || alteration == CKeySignature::GetLetterAlteration(m_keyAccidentals, letter)) {
        return nullptr;  // the key signature says it already
    }
    return alteration > 0 ? &m_sharps : alteration < 0 ? &m_flats : &m_naturals;
}

void CNoteStaff::AddLedgers(const PLACE& place, float x, SHOWN& shown) {
    std::vector<int> steps;
    if (place.count == 0) {
        steps.push_back(0);  // middle C
    }
    for (int count = kOuterLine + 2; count <= place.count; count += 2) {
        steps.push_back(place.treble ? count : -count);
    }
    for (int y : steps) {
        CPrimitive* ledger = m_ledgers.Take();
        if (ledger == nullptr) {
            return;  // a full pool leaves the line out
        }
        Put(ledger, x, static_cast<float>(y), m_colors.ledgerLine);
        shown.ledgers.push_back(ledger);
    }
}

void CNoteStaff::Release(SHOWN& shown) {
    shown.pool->Give(shown.glyph);
    if (shown.sign != nullptr) {
        shown.signs->Give(shown.sign);
    }
    for (CPrimitive* ledger : shown.ledgers) {
        m_ledgers.Give(ledger);
    }
    if (shown.glyph == m_expectedGlyph) {
        m_expectedGlyph = m_expectedSign = nullptr;
    }
}

bool CNoteStaff::ShowNote(const CNote& note, bool on, bool expected, CNoteShapes** shownGlyph) {
    if (shownGlyph != nullptr) {
        *shownGlyph = nullptr;
    }
    POOL* pool = PoolOf(note.length);
    if (pool == nullptr) {
        return Fail(__LINE__, "Can't show a note of length %d", note.length);
    }
    if (!on) {
        // The last note shown of the same writing goes.
        for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it) {
            if (it->pool == pool && it->expected == expected &&
                it->writtenNote == note.writtenNote && it->accidental == note.accidental) {
                Release(*it);
                m_shown.erase(std::next(it).base());
                SetDirty();
                break;
            }
        }
        return true;
    }
    SHOWN shown;
    shown.pool = pool;
    shown.glyph = pool->Take();
    if (shown.glyph == nullptr) {
        return true;  // a full pool leaves the note unshown
    }
    shown.signs = SignsOf(note);
    shown.sign = shown.signs != nullptr ? shown.signs->Take() : nullptr;
    shown.writtenNote = note.writtenNote;
    shown.accidental = note.accidental;
    shown.expected = expected;
    const uint32_t colour = expected ? m_colors.expectedNote : m_colors.playedNote;
    if (const PLACE* place = PlaceOf(note.writtenNote)) {
        const float x = m_noteX + (expected ? 0.0f : kPlayedOffset);
        Put(shown.glyph, x, place->y, colour);
        if (shown.sign != nullptr) {
            Put(shown.sign, x + kSignOffset, place->y, colour);
        }
        AddLedgers(*place, x, shown);
    }
    if (shownGlyph != nullptr) {
        *shownGlyph = static_cast<CNoteShapes*>(shown.glyph);
    }
    if (expected) {
        m_expectedGlyph = shown.glyph;
        m_expectedSign = shown.sign;
        m_namedPlace = note.writtenNote;
        m_namedShift = std::clamp(static_cast<int>(note.midiNote) - note.writtenNote, -1, 1);
        ShowExpectedName();
    }
    m_shown.push_back(std::move(shown));
    SetDirty();
    return true;
}

bool CNoteStaff::ColourExpected(uint32_t argb) {
    for (CPrimitive* shape : {m_expectedGlyph, m_expectedSign}) {
        if (shape != nullptr) {
            shape->SetColour(argb, false, true);
        }
    }
    SetDirty();
    return m_expectedGlyph != nullptr;
}

bool CNoteStaff::Clear() {
    for (SHOWN& shown : m_shown) {
        Release(shown);
    }
    m_shown.clear();
    m_expectedGlyph = m_expectedSign = nullptr;
    m_namedPlace = -1;
    ShowExpectedName();
    SetDirty();
    return true;
}
