#include "editors/SongPartsEditor.h"

#include <utility>

#include "editors/PartChordDlg.h"
#include "editors/SongEditorHost.h"
#include "editors/SongEditorLayout.h"
#include "editors/SongPartDlg.h"
#include "songio/Composition.h"
#include "songio/SongText.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kOctave = 12;

// A chord's line in the list: its name and, after a tab, its repeat count.
CCharString ChordText(const CChord& chord) {
    CCharString text;
    text.Format("%s\t%d", chord.m_root.GetChord().name.GetText(), chord.m_repeat);
    return text;
}

PART_SETTINGS SettingsOf(const CSongPart& part) {
    PART_SETTINGS settings;
    settings.name = part.m_name;
    settings.scale = part.m_arrangement.m_info.scale;
    settings.root = part.m_arrangement.m_info.scaleRoot;
    return settings;
}

}  // namespace

CSongPartsEditor::CSongPartsEditor(IWindowSystem& windowSystem, IEventLoop& eventLoop,
                                   ISongEditorHost& host)
    : m_windowSystem(windowSystem), m_eventLoop(eventLoop), m_host(host) {}

void CSongPartsEditor::Attach(IControlDialog* dialog, IWindow* owner, GrooveGetter groove,
                              DialogKeeper keeper) {
    m_owner = owner;
    m_parts.Attach(dialog, CSongEditorLayout::kParts);
    m_chords.Attach(dialog, CSongEditorLayout::kChords);
    m_groove = std::move(groove);
    m_keeper = std::move(keeper);
}

BoxResult CSongPartsEditor::Box(const char* text, const char* caption, BoxButtons buttons) {
    const BoxIcon icon = buttons == BoxButtons::kYesNo ? BoxIcon::kQuestion : BoxIcon::kExclamation;
    return m_windowSystem.MessageBox(m_owner, text, caption, icon, buttons);
}

bool CSongPartsEditor::RunCommand(int id) {
    using L = CSongEditorLayout;
    switch (id) {
        case L::kNewPart:
            NewPart();
            return true;
        case L::kCopyPart:
            CopyPart();
            return true;
        case L::kMovePartUp:
        case L::kMovePartDown:
            MovePart(id == L::kMovePartUp ? -1 : 1);
            return true;
        case L::kDeletePart:
            DeletePart();
            return true;
        case L::kPartInfo:
            PartInfo();
            return true;
        case L::kSetGrooveToPart:
            SetGrooveToPart();
            return true;
        case L::kAddChord:
        case L::kInsertChord:
        case L::kChangeChord:
            AskChord(id == L::kChangeChord, id == L::kAddChord ? -1 : GetSelectedChord());
            return true;
        case L::kMoveChordUp:
        case L::kMoveChordDown:
            MoveChord(id == L::kMoveChordUp ? -1 : 1);
            return true;
        case L::kDeleteChord:
            DeleteChord();
            return true;
        default:
            return false;
    }
}

void CSongPartsEditor::FillParts() {
    const int selected = m_parts.GetSelection();
    CComposition& song = m_host.GetSong();
    m_parts.Clear();
    for (int i = 0; i < song.GetPlayListCount(); ++i) {
        const CSongPart* part = song.GetPlayListEntry(i);
        m_parts.AddItem(part->m_name, part->m_name);
    }
    SelectPart(selected < m_parts.GetCount() ? selected : m_parts.GetCount() - 1);
}

void CSongPartsEditor::SelectPart(int index) {
    m_parts.Select(index);
    FillChords();
}

void CSongPartsEditor::FillChords() {
    const int selected = m_chords.GetSelection();
    m_chords.Clear();
    const CSongPart* part = GetSelectedPart();
    if (part == nullptr) {
        return;
    }
    for (const CChord& chord : part->m_chords) {
        const CCharString text = ChordText(chord);
        m_chords.AddItem(text, text);
    }
    m_chords.Select(selected < m_chords.GetCount() ? selected : -1);
}

CSongPart* CSongPartsEditor::GetSelectedPart() {
    return m_host.GetSong().GetPlayListEntry(m_parts.GetSelection());
}

// ---------------------------------------------------------------- parts

void CSongPartsEditor::NewPart() {
    CCharString style;
    CCharString name;
    if (!m_groove || !m_groove(style, name)) {
        Box(kSelectGroove, kSelectGrooveTitle);
        return;
    }
    PART_SETTINGS settings;
    settings.scale = SCALE_MAJOR;
    settings.root = CSongPartDlg::kFirstRoot;
    auto dialog = std::make_unique<CSongPartDlg>(m_windowSystem, m_eventLoop);
    if (dialog->Ask(m_owner, settings,
                    [this](const PART_SETTINGS& chosen) { return AddPart(chosen, nullptr); })) {
        m_keeper(std::move(dialog));
    }
}

void CSongPartsEditor::CopyPart() {
    const CSongPart* part = GetSelectedPart();
    if (part == nullptr) {
        Box(kNoPart, kSelectGrooveTitle);
        return;
    }
    auto dialog = std::make_unique<CSongPartDlg>(m_windowSystem, m_eventLoop);
    if (dialog->Ask(m_owner, SettingsOf(*part),
                    [this, part](const PART_SETTINGS& chosen) { return AddPart(chosen, part); })) {
        m_keeper(std::move(dialog));
    }
}

// A new part after the selected one (or at the end): a copy of from, or
// one of the selected groove without chords.
bool CSongPartsEditor::AddPart(const PART_SETTINGS& settings, const CSongPart* from) {
    CComposition& song = m_host.GetSong();
    if (song.FindPart(settings.name) != nullptr) {
        Box(kDuplicateName, settings.name);
        return false;
    }
    auto part = std::make_unique<CSongPart>();
    if (from != nullptr) {
        part->CopyFrom(*from);
    }
    part->m_name = settings.name;
    SONG_INFO& info = part->m_arrangement.m_info;
    info.scale = settings.scale;
    info.scaleRoot = settings.root;
    CCharString style;
    CCharString name;
    if (from == nullptr && m_groove(style, name) && !LoadGroove(*part, style, name)) {
        return false;
    }
    CSongPart* added = part.get();
    if (!song.TakePart(std::move(part)) || !song.AppendToPlayList(added)) {
        Box(song.GetError(), CSongPartDlg::kTitle);
        return false;
    }
    const int last = song.GetPlayListCount() - 1;
    const int at = m_parts.GetSelection() >= 0 ? m_parts.GetSelection() + 1 : last;
    song.MovePlayListEntry(last, at);
    FillParts();
    SelectPart(at);
    return true;
}

bool CSongPartsEditor::LoadGroove(CSongPart& part, const char* style, const char* name) {
    part.m_grooveStyle = style;
    part.m_grooveName = name;
    part.m_grooveFile.Empty();
    CCharString reason;
    if (!CSongText::LoadGroove(part, m_host.GetGroovesFolder(), m_host.GetSong().m_info, reason)) {
        Box(reason, kSetGrooveTitle);
        return false;
    }
    return true;
}

void CSongPartsEditor::PartInfo() {
    CSongPart* part = GetSelectedPart();
    if (part == nullptr) {
        Box(kNoPart, CSongPartDlg::kTitle);
        return;
    }
    auto dialog = std::make_unique<CSongPartDlg>(m_windowSystem, m_eventLoop);
    auto receiver = [this, part](const PART_SETTINGS& chosen) {
        CComposition& song = m_host.GetSong();
        if (chosen.name != part->m_name.GetText() && song.FindPart(chosen.name) != nullptr) {
            Box(kDuplicateName, chosen.name);
            return false;
        }
        part->m_name = chosen.name;
        part->m_arrangement.m_info.scale = chosen.scale;
        part->m_arrangement.m_info.scaleRoot = chosen.root;
        song.SetModified();
        FillParts();
        return true;
    };
    if (dialog->Ask(m_owner, SettingsOf(*part), receiver)) {
        m_keeper(std::move(dialog));
    }
}

void CSongPartsEditor::MovePart(int step) {
    const int index = m_parts.GetSelection();
    CComposition& song = m_host.GetSong();
    if (index < 0 || !song.MovePlayListEntry(index, index + step)) {
        return;
    }
    FillParts();
    SelectPart(index + step);
}

void CSongPartsEditor::DeletePart() {
    const int index = m_parts.GetSelection();
    if (index < 0 || Box(kDeleteQuestion, kDeleteTitle, BoxButtons::kYesNo) != BoxResult::kYes) {
        return;
    }
    m_host.GetSong().RemovePlayListEntry(index);
    FillParts();
}

void CSongPartsEditor::SetGrooveToPart() {
    CSongPart* part = GetSelectedPart();
    if (part == nullptr) {
        Box(kNoPart, kSetGrooveTitle);
        return;
    }
    CCharString style;
    CCharString name;
    if (!m_groove || !m_groove(style, name)) {
        Box(kNoGroove, kSetGrooveTitle);
        return;
    }
    if (LoadGroove(*part, style, name)) {
        m_host.GetSong().SetModified();
    }
}

// ---------------------------------------------------------------- chords

void CSongPartsEditor::AskChord(bool change, int at) {
    CSongPart* part = GetSelectedPart();
    if (part == nullptr) {
        Box(kSelectPart, kAddingChord);
        return;
    }
    if (change && (at < 0 || at >= static_cast<int>(part->m_chords.size()))) {
        return;
    }
    PART_CHORD given;
    given.root = part->m_arrangement.m_info.scaleRoot;
    if (change) {
        const CChord& chord = part->m_chords[static_cast<size_t>(at)];
        given.root = chord.m_root.GetChord().root;
        given.chordType = chord.m_root.GetChord().chordType;
        given.repeat = chord.m_repeat;
    }
    auto receiver = [this, part, change, at](const PART_CHORD& chosen) {
        CChord chord;
        if (!MakeChord(*part, chosen, chord)) {
            return false;
        }
        auto& chords = part->m_chords;
        const size_t place = at < 0 || at > static_cast<int>(chords.size())
                                 ? chords.size()
                                 : static_cast<size_t>(at);
        if (change) {
            chords[place] = chord;
        } else {
            chords.insert(chords.begin() + static_cast<std::ptrdiff_t>(place), chord);
        }
        m_host.GetSong().SetModified();
        FillChords();
        m_chords.Select(static_cast<int>(place));
        return true;
    };
    auto dialog = std::make_unique<CPartChordDlg>(m_windowSystem, m_eventLoop);
    if (dialog->Ask(m_owner, given, receiver)) {
        m_keeper(std::move(dialog));
    }
}

// The chord of the theory tables with the given root, its degree in the
// part's scale (which the bass line follows) and its name.
bool CSongPartsEditor::MakeChord(const CSongPart& part, const PART_CHORD& given, CChord& chord) {
    CNoteManager& manager = m_host.GetNoteManager();
    if (!manager.GetChordFromType(given.chordType, chord)) {
        Box(manager.GetError(), CPartChordDlg::kTitle);
        return false;
    }
    const SONG_INFO& info = part.m_arrangement.m_info;
    CHORD_INFO chordInfo = chord.m_root.GetChord();
    chordInfo.root = static_cast<uint8_t>(given.root);
    chordInfo.chordType = given.chordType;
    chordInfo.scale = info.scale;
    chordInfo.scaleRoot = info.scaleRoot;
    chordInfo.number = 1;
    CNoteList scale(kOctave, false);
    if (manager.GetScaleOverRange(info.scale, info.scaleRoot, scale)) {
        for (int i = 0; i < scale.GetCount(); ++i) {
            const CNote& note = *scale.GetAt(i);
            if (note.midiNote % kOctave == given.root % kOctave && note.intervalFrets == 0 &&
                note.interval > 0) {
                chordInfo.number = note.interval;
                break;
            }
        }
    }
    CNoteManager::GetChordName(given.chordType, given.root, chordInfo.name);
    chord.m_root.midiNote = static_cast<uint8_t>(given.root);
    chord.m_root.SetChord(chordInfo);
    chord.m_repeat = given.repeat;
    return true;
}

void CSongPartsEditor::MoveChord(int step) {
    CSongPart* part = GetSelectedPart();
    const int index = GetSelectedChord();
    if (part == nullptr || index < 0) {
        return;
    }
    const int target = index + step;
    if (target < 0 || target >= static_cast<int>(part->m_chords.size())) {
        return;
    }
    std::swap(part->m_chords[static_cast<size_t>(index)],
              part->m_chords[static_cast<size_t>(target)]);
    m_host.GetSong().SetModified();
    FillChords();
    m_chords.Select(target);
}

void CSongPartsEditor::DeleteChord() {
    CSongPart* part = GetSelectedPart();
    const int index = GetSelectedChord();
    if (part == nullptr || index < 0 || index >= static_cast<int>(part->m_chords.size())) {
        Box(kSelectChord, kDeletingChord);
        return;
    }
    part->m_chords.erase(part->m_chords.begin() + index);
    m_host.GetSong().SetModified();
    FillChords();
}
