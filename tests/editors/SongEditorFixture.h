#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorHost.h"
#include "editors/SongEditorLayout.h"
#include "editors/SongPartDlg.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "songio/Composition.h"
#include "songio/MidiFile.h"
#include "songs/Mix.h"
#include "theory/NoteManager.h"

// A host that keeps what the editor asks of it.
class CFakeHost : public ISongEditorHost {
public:
    struct PLAYED {
        std::vector<CNote> notes;
        double measureLength = 0.0;
        double loopLength = 0.0;
        int repeatCount = 0;
    };

    CFakeHost(CNoteManager& manager, std::string grooves)
        : m_song(manager, nullptr), m_manager(manager), m_grooves(std::move(grooves)) {}

    CComposition& GetSong() override { return m_song; }
    CNoteManager& GetNoteManager() override { return m_manager; }
    CMix& GetMix() override { return m_mix; }
    bool Play(const CNoteList& notes, double measureLength, double loopLength, int repeatCount,
              CCharString&) override {
        PLAYED played;
        for (int i = 0; i < notes.GetCount(); ++i) {
            played.notes.push_back(*notes.GetAt(i));
        }
        played.measureLength = measureLength;
        played.loopLength = loopLength;
        played.repeatCount = repeatCount;
        m_played.push_back(played);
        m_playing = true;
        return true;
    }
    void Stop() override {
        m_playing = false;
        ++m_stops;
    }
    bool IsPlaying() const override { return m_playing; }
    bool Record(const CNoteList&, const RECORD_REQUEST& request, CCharString&) override {
        m_records.push_back(request);
        m_playing = true;
        return true;
    }
    bool SaveWave(const char* path, int repeatCount, CCharString&) override {
        m_waves.emplace_back(path, repeatCount);
        return true;
    }
    void RunCommand(int commandId) override { m_commands.push_back(commandId); }
    CCharString GetGroovesFolder() const override { return m_grooves.c_str(); }
    CCharString GetTempFolder() const override { return m_grooves.c_str(); }
    float GetMasterVolume() const override { return m_volume; }
    void SetMasterVolume(float volume) override { m_volume = volume; }

    CComposition m_song;
    CNoteManager& m_manager;
    CMix m_mix;
    std::string m_grooves;
    std::vector<PLAYED> m_played;
    std::vector<RECORD_REQUEST> m_records;
    std::vector<std::pair<std::string, int>> m_waves;
    std::vector<int> m_commands;
    bool m_playing = false;
    int m_stops = 0;
    float m_volume = 0.75f;
};

// A one-measure (or longer) 4/4 groove at 120 beats per minute with a drum
// hit on every beat, written as "<grooves>/<style>/<name>.mid".
inline bool WriteTestGroove(const std::string& grooves, const char* style, const char* name,
                            int measures) {
    CSong groove;
    if (!groove.AddNewSongTracks()) {
        return false;
    }
    groove.m_info.secondsPerBeat = 0.5;
    groove.m_info.tempo = 120.0;
    groove.m_info.measureBeats = 4;
    groove.m_info.beatNote = 4;
    groove.m_info.measures = measures;
    for (int beat = 0; beat < 4 * measures; ++beat) {
        CNote note;
        note.thing = 2;  // the bass drum
        note.midiNote = 36;
        note.time = 0.5 * beat;
        note.duration = 0.125;
        groove.FindTrack(THING_DRUM_SET)->AddNote(note);
    }
    groove.m_info.length = measures * 2.0;
    std::filesystem::create_directories(grooves + "/" + style);
    CMidiFile writer;
    return writer.Write((grooves + "/" + style + "/" + name + ".mid").c_str(), groove);
}

class SongEditorTest : public testing::Test {
protected:
    using L = CSongEditorLayout;

    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        ASSERT_TRUE(WriteTestGroove(m_folder.Get(), "Rock", "Beat", 1));
        ASSERT_TRUE(WriteTestGroove(m_folder.Get(), "Rock", "Long", 2));
        m_host = std::make_unique<CFakeHost>(m_manager, m_folder.Get());
        m_editor = std::make_unique<CSongEditorDlg>(m_backend.GetWindowSystem(),
                                                    m_backend.GetEventLoop(), *m_host);
    }

    void Open(SONG_EDITOR_SETTINGS settings = {}) {
        ASSERT_TRUE(m_editor->Open(nullptr, settings)) << m_editor->GetError();
        m_dialog = static_cast<CNullControlDialog*>(m_editor->GetDialog());
    }
    // A press and release of an image button, as a user clicks it.
    void Press(int id) {
        ASSERT_TRUE(m_dialog->Press(id, ControlEvent::kPressed));
        ASSERT_TRUE(m_dialog->Press(id, ControlEvent::kReleased));
    }
    // Chooses a command of the menu that a command button pops up.
    void ChooseFromMenu(int button, int command) {
        Windows().ScriptMenuChoice(command);
        Press(button);
    }
    CNullControlDialog* Question() {
        CModalDlg* question = m_editor->GetLastQuestion();
        return question != nullptr ? static_cast<CNullControlDialog*>(question->GetDialog())
                                   : nullptr;
    }
    CNullWindowSystem& Windows() { return m_backend.GetWindowSystem(); }
    const BOX_RECORD& LastBox() { return Windows().GetBoxes().back(); }
    void SelectGroove(const char* name) {
        const auto* grooves = m_dialog->FindItem(L::kGrooves);
        for (size_t i = 0; i < grooves->list.size(); ++i) {
            if (grooves->list[i] == name) {
                ASSERT_TRUE(m_dialog->Choose(L::kGrooves, static_cast<int>(i)));
            }
        }
    }
    // A new part named name over the selected groove, through the dialog.
    void NewPart(const char* name) {
        ChooseFromMenu(L::kPartCommands, L::kNewPart);
        ASSERT_NE(Question(), nullptr);
        ASSERT_TRUE(Question()->Type(CSongPartDlg::kNameId, name));
        ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    }

    CTempFolder m_folder{"song-editor"};
    CNullBackend m_backend;
    CNoteManager m_manager;
    std::unique_ptr<CFakeHost> m_host;
    std::unique_ptr<CSongEditorDlg> m_editor;
    CNullControlDialog* m_dialog = nullptr;
};
