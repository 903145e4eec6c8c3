#include "trainer/PianoKey.h"

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Shapes.h"
#include "scene/TextLabels.h"

CPianoKey::CPianoKey(const CNote& note, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive("Key", device, buffer), m_note(note), m_black(note.intervalFrets != 0) {}

bool CPianoKey::Build(const KEYBOARD_COLORS& colors, CTextLabels* labels) {
    // White keys (2.0, 2.5, 10.0); black keys (1.0, 2.5, 7.0), set back by
    // 1.5 from the middle of a white key and raised by 1.0 (by the piano).
    const glm::vec3 size = m_black ? glm::vec3(1.0f, 2.5f, 7.0f) : glm::vec3(2.0f, 2.5f, 10.0f);
    const float middleZ = m_black ? 5.0f + 1.5f : 5.0f;
    AddChild(CShapes::Box("Key box", m_device, m_buffer, glm::vec3(0, size.y / 2, middleZ), size,
                          m_black ? colors.blackKey : colors.whiteKey));
    const float top = size.y + 0.02f;
    const float front = m_black ? 3.0f + 1.0f : 1.4f;
    m_mark = AddChild(CShapes::Disc("Note mark", m_device, m_buffer, glm::vec3(0, top, front),
                                    glm::vec3(0, 1, 0), 0.5f, 12, colors.keyMark));
    m_highlight = AddChild(CShapes::Disc("Note highlight", m_device, m_buffer,
                                         glm::vec3(0, top + 0.01f, front + 1.3f),
                                         glm::vec3(0, 1, 0), 0.55f, 12, colors.keyLight));
    m_mark->SetVisible(false, true);
    m_highlight->SetVisible(false, true);
    if (labels != nullptr) {
        const char* texts[2] = {m_note.name.GetText(),
                                m_black ? m_note.flatName.GetText() : nullptr};
        for (int i = 0; i < 2 && texts[i] != nullptr; ++i) {
            auto label =
                labels->MakeLabel("Note name", m_buffer, labels->Add(texts[i]), glm::vec3(0, 0, 0),
                                  m_black ? 0.8f : 1.1f, colors.nameText);
            if (label == nullptr) {
                continue;
            }
            // Lay the label flat on the key top, reading towards the player.
            label->TurnAbout(90.0f, glm::vec3(1, 0, 0), glm::vec3(0));
            label->MoveBy(glm::vec3(0, top, m_black ? 5.8f - 1.1f * i : 4.0f));
            m_names[i] = AddChild(std::move(label));
        }
    }
    return true;
}

bool CPianoKey::ShowMark(bool on) {
    return m_mark != nullptr && m_mark->SetVisible(on, true);
}

bool CPianoKey::ShowHighlight(bool on) {
    return m_highlight != nullptr && m_highlight->SetVisible(on, true);
}

bool CPianoKey::ShowNames(bool on) {
    for (CPrimitive* name : m_names) {
        if (name != nullptr) {
            name->SetVisible(on, true);
        }
    }
    return true;
}
