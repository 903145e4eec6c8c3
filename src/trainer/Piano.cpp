#include "trainer/Piano.h"

#include "foundation/Colors.h"
#include "midi/MidiKeyboard.h"
#include "scene/Shapes.h"
#include "theory/NoteManager.h"

CPiano::CPiano(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive(name, device, buffer) {}

bool CPiano::Build(int firstNote, CNoteManager& noteManager, CTextLabels* labels) {
    if (firstNote < 0 || firstNote + kKeyCount > NOTE_COUNT) {
        return Fail(__LINE__, "Can't build a keyboard from note %d", firstNote);
    }
    m_firstNote = firstNote;
    m_endNote = firstNote + kKeyCount;
    m_keys.clear();
    float x = 0.0f;
    float lastWidth = CPianoKey::kWhiteWidth;
    float lastX = 0.0f;
    for (int n = firstNote; n < m_endNote; ++n) {
        const CNote* tableNote = noteManager.GetNoteTable().GetAt(n);
        if (tableNote == nullptr) {
            return Fail(__LINE__, "Can't find note %d in the note table", n);
        }
        CNote note = *tableNote;
        note.thing = THING_KEYBOARD;
        auto key = std::make_unique<CPianoKey>(note, m_device, m_buffer);
        key->Build(m_colors, labels, GetLetter(n).GetText());
        key->MoveBy(glm::vec3(x, 0, 0));
        if (key->IsBlack()) {
            // Between the white keys on either side, raised and set back.
            key->MoveBy(glm::vec3(-(key->GetWidth() + 0.05f), 1.0f, 0.0f));
            lastX = x - (key->GetWidth() + 0.05f);
        } else {
            lastX = x;
            x += key->GetWidth() + 0.1f;
        }
        lastWidth = key->GetWidth();
        m_keys.push_back(static_cast<CPianoKey*>(AddChild(std::move(key))));
    }
    m_keysWidth = lastX + lastWidth * 0.5f + CPianoKey::kWhiteWidth * 0.5f;
    const float shift = lastWidth * 0.5f - m_keysWidth * 0.5f;
    for (CPianoKey* key : m_keys) {
        key->MoveBy(glm::vec3(shift, 0, 0));
    }
    // The case stands behind the keys, no higher than the black keys, so
    // that it never covers the staff above the keyboard.
    const glm::vec3 bodySize(1.01f * m_keysWidth, m_keyHeight, 2.0f);
    m_body = AddChild(CShapes::Box("Main body", m_device, m_buffer,
                                   glm::vec3(0, bodySize.y / 2, 10.0f + bodySize.z / 2), bodySize,
                                   m_colors.frame));
    return true;
}

CPianoKey* CPiano::GetKey(int midiNote) const {
    if (midiNote < m_firstNote || midiNote >= m_endNote) {
        return nullptr;
    }
    return m_keys[static_cast<size_t>(midiNote - m_firstNote)];
}

bool CPiano::MarkKey(int midiNote, bool on) {
    CPianoKey* key = GetKey(midiNote);
    return key != nullptr && key->ShowMark(on);
}

bool CPiano::PressKey(int midiNote, bool on) {
    CPianoKey* key = GetKey(midiNote);
    return key != nullptr && key->ShowHighlight(on) && key->ShowPressed(on);
}

bool CPiano::ShowAccuracy(const std::vector<PRACTICE_NOTE_STATS>& stats, bool on) {
    bool done = true;
    for (CPianoKey* key : m_keys) {
        if (key->IsAccuracyShown()) {
            done = key->ShowAccuracy(0, false) && done;
        }
    }
    if (!on) {
        return done;
    }
    for (const PRACTICE_NOTE_STATS& note : stats) {
        CPianoKey* key = GetKey(note.midiNote);
        if (key == nullptr || note.shown <= 0) {
            continue;
        }
        const double right = static_cast<double>(note.rightFirstTry) / note.shown;
        done = key->ShowAccuracy(AccuracyArgb(right), true) && done;
    }
    return done;
}

bool CPiano::ShowNames(bool on) {
    for (CPianoKey* key : m_keys) {
        key->ShowNames(on);
    }
    return true;
}

bool CPiano::ShowLetters(int keyShift) {
    m_keyShift = keyShift;
    for (CPianoKey* key : m_keys) {
        const int played = key->GetMidiNote() - keyShift;
        key->ShowLetter(m_lettersShown &&
                        CMidiKeyboard::FindKey(played, kLetterInstrument) != '\0');
    }
    return true;
}

void CPiano::SetLettersShown(bool on) {
    m_lettersShown = on;
    ShowLetters(m_keyShift);
}

CCharString CPiano::GetLetter(int midiNote) {
    constexpr int kOctave = 12;
    CCharString text;
    for (int n = midiNote < 0 ? NOTE_COUNT : midiNote % kOctave; n < NOTE_COUNT; n += kOctave) {
        const char key = CMidiKeyboard::FindKey(n, kLetterInstrument);
        if (key != '\0') {
            text.Format("%c", key);
            break;
        }
    }
    return text;
}
