#include "trainer/PianoKey.h"

#include <glm/gtc/matrix_transform.hpp>

#include "foundation/Colors.h"
#include "scene/Shapes.h"
#include "scene/TextLabels.h"

namespace {

// White keys (2.0, 2.5, 10.0); black keys (1.0, 2.5, 7.0), their front 3.0
// behind a white key's and raised by 1.0 (by the piano).
const glm::vec3 kWhiteSize(2.0f, 2.5f, 10.0f);
const glm::vec3 kBlackSize(1.0f, 2.5f, 7.0f);
constexpr float kBlackFrontZ = 3.0f;
constexpr float kAboveTop = 0.02f;  // keeps flat labels and discs off the key top

// Places along z on the key tops: the front strip of a white key between
// the black keys holds the mark and the highlight; a black key carries its
// letter in front, then the mark, then the highlight under the names.
constexpr float kWhiteMarkZ = 1.4f;
constexpr float kWhiteHighlightZ = 2.7f;
constexpr float kWhiteNameZ = 4.9f;  // between the black keys, behind the highlight
constexpr float kBlackMarkZ = 7.45f;
constexpr float kBlackHighlightZ = 8.55f;
constexpr float kBlackNameZ = 9.5f;
constexpr float kBlackNameStep = 0.9f;  // the flat name in front of the sharp one
constexpr float kMarkRadius = 0.5f;
// A dark ring around the mark keeps it seen on a key of any colour.
constexpr float kMarkRimRadius = 0.68f;
constexpr float kMarkRimDrop = 0.008f;  // under the mark, still above the key top
constexpr uint32_t kMarkRimColor = 0xFF181818;
constexpr float kHighlightRadius = 0.55f;
constexpr int kDiscSides = 12;
constexpr float kWhiteNameHeight = 1.35f;
// Names lie flat and are seen at the keyboard's slant: drawn long along the
// key, they read as upright letters from the player's place.
constexpr float kWhiteNameStretch = 2.2f;
constexpr float kBlackNameHeight = 0.8f;

// A white key's letter stands on its front face, facing the player; the
// quad's text sits in its upper part, so the quad is set a little low.
constexpr float kWhiteLetterHeight = 2.4f;
constexpr float kWhiteLetterY = 1.2f;
constexpr float kFrontGap = 0.03f;  // in front of the face, never inside it
// A black key's letter lies flat on its top, drawn long along the key so
// that it reads at the keyboard's slant, and starts just behind its front.
constexpr float kBlackLetterHeight = 1.6f;
constexpr float kBlackLetterStretch = 2.4f;
constexpr float kBlackLetterFrontZ = kBlackFrontZ + 0.1f;
// How bright a black key's accuracy colour is, of the full colour (of 255).
constexpr int kBlackAccuracyLevel = 150;

}  // namespace

CPianoKey::CPianoKey(const CNote& note, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive("Key", device, buffer), m_note(note), m_black(note.intervalFrets != 0) {}

bool CPianoKey::Build(const KEYBOARD_COLORS& colors, CTextLabels* labels, const char* letter) {
    const glm::vec3 size = m_black ? kBlackSize : kWhiteSize;
    const float middleZ = size.z / 2 + (m_black ? kBlackFrontZ : 0.0f);
    m_box = AddChild(CShapes::Box("Key box", m_device, m_buffer, glm::vec3(0, size.y / 2, middleZ),
                                  size, m_black ? colors.blackKey : colors.whiteKey));
    const float top = size.y + kAboveTop;
    const float markZ = m_black ? kBlackMarkZ : kWhiteMarkZ;
    const float highlightZ = m_black ? kBlackHighlightZ : kWhiteHighlightZ;
    m_markRim = AddChild(CShapes::Disc("Note mark rim", m_device, m_buffer,
                                       glm::vec3(0, top - kMarkRimDrop, markZ), glm::vec3(0, 1, 0),
                                       kMarkRimRadius, kDiscSides, kMarkRimColor));
    m_markRim->SetVisible(false, true);
    m_mark = AddChild(CShapes::Disc("Note mark", m_device, m_buffer, glm::vec3(0, top, markZ),
                                    glm::vec3(0, 1, 0), kMarkRadius, kDiscSides, colors.keyMark));
    m_highlight = AddChild(CShapes::Disc("Note highlight", m_device, m_buffer,
                                         glm::vec3(0, top + 0.01f, highlightZ), glm::vec3(0, 1, 0),
                                         kHighlightRadius, kDiscSides, colors.keyLight));
    m_mark->SetVisible(false, true);
    m_highlight->SetVisible(false, true);
    if (labels != nullptr) {
        AddNames(colors, *labels, top);
        if (letter != nullptr && *letter != '\0') {
            AddLetter(colors, *labels, letter, top);
        }
    }
    return true;
}

void CPianoKey::AddNames(const KEYBOARD_COLORS& colors, CTextLabels& labels, float top) {
    const char* texts[2] = {m_note.GetName().GetText(),
                            m_black ? m_note.GetFlatName().GetText() : nullptr};
    for (int i = 0; i < 2 && texts[i] != nullptr; ++i) {
        auto label = labels.MakeLabel("Note name", m_buffer, labels.Add(texts[i]), glm::vec3(0),
                                      m_black ? kBlackNameHeight : kWhiteNameHeight,
                                      m_black ? colors.blackNameText : colors.nameText);
        if (label == nullptr) {
            continue;
        }
        // Lay the label flat on the key top, reading towards the player.
        label->TurnAbout(90.0f, glm::vec3(1, 0, 0), glm::vec3(0));
        if (!m_black) {
            label->Scale(1.0f, kWhiteNameStretch, 1.0f, false);
        }
        label->MoveBy(glm::vec3(0, top, m_black ? kBlackNameZ - kBlackNameStep * i : kWhiteNameZ));
        m_names[i] = AddChild(std::move(label));
    }
}

void CPianoKey::AddLetter(const KEYBOARD_COLORS& colors, CTextLabels& labels, const char* letter,
                          float top) {
    const float height = m_black ? kBlackLetterHeight : kWhiteLetterHeight;
    auto label = labels.MakeLabel("Key letter", m_buffer, labels.Add(letter), glm::vec3(0), height,
                                  m_black ? colors.blackLetter : colors.whiteLetter);
    if (label == nullptr) {
        return;
    }
    if (m_black) {
        label->TurnAbout(90.0f, glm::vec3(1, 0, 0), glm::vec3(0));
        label->Scale(1.0f, kBlackLetterStretch, 1.0f, false);
        const float length = height * kBlackLetterStretch;
        label->MoveBy(glm::vec3(0, top, kBlackLetterFrontZ + length / 2));
    } else {
        label->MoveBy(glm::vec3(0, kWhiteLetterY, -kFrontGap));
    }
    label->SetVisible(false, true);
    m_letter = AddChild(std::move(label));
}

bool CPianoKey::ShowMark(bool on) {
    return m_mark != nullptr && m_markRim->SetVisible(on, true) && m_mark->SetVisible(on, true);
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

bool CPianoKey::ShowLetter(bool on) {
    return m_letter != nullptr && m_letter->SetVisible(on, true);
}

bool CPianoKey::ShowPressed(bool on) {
    m_pressed = on;
    // The box and a letter on its front face are squashed onto the key's
    // floor, so that nothing of the key reaches below its neighbours; what
    // lies on the top sinks with the top.
    const glm::mat4 sink = glm::translate(glm::mat4(1.0f), m_pressDrop);
    const glm::mat4 squash = GetSquash();
    const bool frontLetter = !m_black;
    for (int i = 0; i < GetChildCount(); ++i) {
        CPrimitive* part = GetChild(i);
        const bool onFace = part == m_box || (frontLetter && part == m_letter);
        part->SetChannel(0, onFace ? squash : sink, on);
    }
    return true;
}

bool CPianoKey::ShowAccuracy(uint32_t argb, bool on) {
    if (m_box == nullptr) {
        return false;
    }
    m_accuracyShown = on;
    if (!on) {
        return m_box->RestoreColours(false);
    }
    const uint32_t color = m_black ? ToArgb(ScaleColor(FromArgb(argb), kBlackAccuracyLevel)) : argb;
    return m_box->SetColour(color, false, false);
}

glm::mat4 CPianoKey::GetSquash() const {
    // p + (k - 1) (up . (p - origin)) up: heights above the floor times k.
    const glm::vec3 up = glm::normalize(glm::vec3(m_frame[1]));
    const glm::vec3 origin = GetOrigin();
    const float k = 1.0f - kPressDepth / (m_black ? kBlackSize.y : kWhiteSize.y);
    const glm::mat3 along = glm::outerProduct(up, up) * (k - 1.0f);
    glm::mat4 squash(glm::mat3(1.0f) + along);
    squash[3] = glm::vec4(-along * origin, 1.0f);
    return squash;
}

void CPianoKey::OnRewrite(const glm::mat4& matrix) {
    // The drop is a direction: it turns and scales with the key, never moves.
    m_pressDrop = glm::mat3(matrix) * m_pressDrop;
    if (m_pressed) {
        ShowPressed(true);
    }
}
