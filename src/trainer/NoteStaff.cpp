#include "trainer/NoteStaff.h"

#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/TextLabels.h"
#include "scene/TextureGenerator.h"
#include "scene/VertexBuffer.h"
#include "theory/NoteManager.h"
#include "trainer/NoteShapes.h"

namespace {

constexpr int kClefPictureWidth = 128;
constexpr int kClefPictureHeight = 256;
constexpr float kClefFontSize = 180.0f;
constexpr float kClefInset = 8.0f;

bool IsNatural(const CNoteManager& manager, int midiNote) {
    const CNote* note = manager.GetNoteTable().GetAt(midiNote);
    return note != nullptr && note->intervalFrets == 0;
}

}  // namespace

constexpr int CNoteStaff::kLengths[7];

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
    place.left = glm::vec3(0.0f, y, -0.5f);
    place.right = glm::vec3(kLength, y, -0.5f);
    if (count % 2 == 0) {
        const bool staffLine = count >= 1 && count <= 10;
        const float width = staffLine ? kLineWidth : kLineWidth * 0.4f;
        AddChild(CShapes::Box("StaffLine", m_device, m_buffer, glm::vec3(kLength / 2, y, 0.0f),
                              glm::vec3(kLength, width, 0.05f),
                              staffLine ? m_colors.staffLine : m_colors.ledgerLine));
    }
    if (labels != nullptr) {
        const CNote* note = noteManager.GetNoteTable().GetAt(midiNote);
        CCharString text;
        text.Format("%s%d", note->name.GetText(), note->octave);
        const float d = count % 2 == 0 ? -0.8f : 0.8f;
        auto label = labels->MakeLabel("Note name", m_buffer, labels->Add(text),
                                       glm::vec3(kLength - (d + 0.55f) + 1.4f, y, -0.2f), 0.9f,
                                       m_colors.nameText);
        if (label != nullptr) {
            AddChild(std::move(label));
        }
    }
}

bool CNoteStaff::Build(int lowestNote, CNoteManager& noteManager, CSpacePainter& scene,
                       CVertexBuffer& glyphs, CTextLabels* labels) {
    if (lowestNote < 0 || lowestNote >= 60) {
        return Fail(__LINE__, "Can't build a staff from note %d", lowestNote);
    }
    m_lowestNote = lowestNote;
    int count = 0;
    for (int n = 60; n <= 95; ++n) {
        if (IsNatural(noteManager, n)) {
            AddPlace(n, count++, true, labels, noteManager);
        }
    }
    count = 1;
    for (int n = 59; n >= lowestNote; --n) {
        if (IsNatural(noteManager, n)) {
            AddPlace(n, count++, false, labels, noteManager);
        }
    }
    auto fill = [&](POOL& pool, auto make) {
        for (int i = 0; i < kPoolSize; ++i) {
            auto glyph = std::make_unique<CNoteShapes>("Glyph", m_device, &glyphs);
            if (!make(*glyph)) {
                return false;
            }
            glyph->Scale(m_glyphScale, false);
            glyph->SetVisible(false, true);
            CNoteShapes* kept = glyph.get();
            if (scene.AddToList(std::move(glyph), true) == nullptr) {
                return false;  // the scene has no second list to own it
            }
            pool.glyphs.push_back(kept);
        }
        return true;
    };
    for (size_t i = 0; i < m_pools.size(); ++i) {
        const int length = kLengths[i];
        if (!fill(m_pools[i], [&](CNoteShapes& g) {
                return g.SetLength(length, 0.0f, m_colors.expectedNote);
            })) {
            return Fail(__LINE__, "Can't fill the glyph pool of length %d", length);
        }
    }
    const bool signs = fill(m_sharps,
                            [&](CNoteShapes& g) {
                                return g.MakeSign(CNoteShapes::kSharp, m_colors.expectedNote);
                            }) &&
                       fill(m_flats, [&](CNoteShapes& g) {
                           return g.MakeSign(CNoteShapes::kFlat, m_colors.expectedNote);
                       });
    if (!signs) {
        return Fail(__LINE__, "Can't fill the pools of signs");
    }
    return true;
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
            corners[i].z = -0.1f;
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
    for (PLACE& place : m_places) {
        if (place.set) {
            place.left = glm::vec3(matrix * glm::vec4(place.left, 1.0f));
            place.right = glm::vec3(matrix * glm::vec4(place.right, 1.0f));
        }
    }
}

glm::vec3 CNoteStaff::ToWorld(const glm::vec3& local) const {
    return glm::vec3(m_toWorld * glm::vec4(local, 1.0f));
}

bool CNoteStaff::GetPlace(int midiNote, glm::vec3& right) const {
    if (midiNote < 0 || midiNote >= static_cast<int>(m_places.size()) ||
        !m_places[static_cast<size_t>(midiNote)].set) {
        return false;
    }
    right = m_places[static_cast<size_t>(midiNote)].right;
    return true;
}

bool CNoteStaff::GetCount(int midiNote, int& count, bool& treble) const {
    if (midiNote < 0 || midiNote >= static_cast<int>(m_places.size()) ||
        !m_places[static_cast<size_t>(midiNote)].set) {
        return false;
    }
    count = m_places[static_cast<size_t>(midiNote)].count;
    treble = m_places[static_cast<size_t>(midiNote)].treble;
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

bool CNoteStaff::ShowNote(const CNote& note, bool on, bool expected, CNoteShapes** shown) {
    if (shown != nullptr) {
        *shown = nullptr;
    }
    POOL* pool = PoolOf(note.length);
    if (pool == nullptr) {
        return Fail(__LINE__, "Can't show a note of length %d", note.length);
    }
    POOL* signs = note.accidental == ACCIDENTAL_SHARP  ? &m_sharps
                  : note.accidental == ACCIDENTAL_FLAT ? &m_flats
                                                       : nullptr;
    CNoteShapes* glyph = nullptr;
    CNoteShapes* sign = nullptr;
    if (on) {
        if (pool->used >= static_cast<int>(pool->glyphs.size())) {
            return true;  // a full pool leaves the note unshown
        }
        glyph = pool->glyphs[static_cast<size_t>(pool->used++)];
        if (signs != nullptr && signs->used < static_cast<int>(signs->glyphs.size())) {
            sign = signs->glyphs[static_cast<size_t>(signs->used++)];
        }
    } else {
        if (pool->used == 0) {
            return true;
        }
        glyph = pool->glyphs[static_cast<size_t>(--pool->used)];
        if (signs != nullptr && signs->used > 0) {
            sign = signs->glyphs[static_cast<size_t>(--signs->used)];
        }
        glyph->SetVisible(false, true);
        if (sign != nullptr) {
            sign->SetVisible(false, true);
        }
        if (m_scene != nullptr) {
            m_scene->SetDirty();
        }
        return true;
    }
    const uint32_t colour = expected ? m_colors.expectedNote : m_colors.playedNote;
    const float offset = expected ? 0.0f : kPlayedOffset;
    glm::vec3 place(0.0f);
    if (GetPlace(note.writtenNote, place)) {
        const glm::vec3 at = place + glm::vec3(-0.25f + offset, 0.0f, 0.0f);
        glyph->SetColour(colour, false, true);
        glyph->SetPosition(at.x, at.y, at.z);
        glyph->SetVisible(true, true);
        if (sign != nullptr) {
            sign->SetColour(colour, false, true);
            sign->SetPosition(at.x - 0.15f, at.y, at.z);
            sign->SetVisible(true, true);
        }
    }
    if (shown != nullptr) {
        *shown = glyph;
    }
    if (expected) {
        m_expectedGlyph = glyph;
        m_expectedSign = sign;
    }
    if (m_scene != nullptr) {
        m_scene->SetDirty();
    }
    return true;
}

bool CNoteStaff::ColourExpected(uint32_t argb) {
    for (CNoteShapes* shape : {m_expectedGlyph, m_expectedSign}) {
        if (shape != nullptr) {
            shape->SetColour(argb, false, true);
        }
    }
    if (m_scene != nullptr) {
        m_scene->SetDirty();
    }
    return m_expectedGlyph != nullptr;
}

bool CNoteStaff::Clear() {
    for (POOL* pool : {&m_pools[0], &m_pools[1], &m_pools[2], &m_pools[3], &m_pools[4], &m_pools[5],
                       &m_pools[6], &m_sharps, &m_flats}) {
        for (int i = 0; i < pool->used; ++i) {
            pool->glyphs[static_cast<size_t>(i)]->SetVisible(false, true);
        }
        pool->used = 0;
    }
    m_expectedGlyph = m_expectedSign = nullptr;
    if (m_scene != nullptr) {
        m_scene->SetDirty();
    }
    return true;
}
