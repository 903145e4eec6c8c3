#include "SongEditorFixture.h"
#include "editors/EditDlg.h"
#include "editors/GrooveInfoDlg.h"
#include "editors/Humanization.h"
#include "editors/PartChordDlg.h"

TEST_F(SongEditorTest, OpensWithEveryControlOfTheTable) {
    Open();
    EXPECT_EQ(m_dialog->GetTitle(), "Song Editor");
    EXPECT_EQ(m_editor->GetTypeId(), 13);
    for (int id : {1681, 1368, 1371, 1692, 1196, 1199, 1687, 1200, 1690, 1684}) {
        const auto* item = m_dialog->FindItem(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->control.kind, ControlKind::kImageButton) << id;
        EXPECT_GT(item->pictureWidth, 0) << id;
    }
    for (int id : {1358, 1308, 1236, 1297, 1300, 1575, 1571, 1568, 1572, 1788, 1658, 1662,
                   1666, 1791, 1697, 1699, 1701, 1207, 1204, 1464, 1234, 1347, 1319}) {
        EXPECT_NE(m_dialog->FindItem(id), nullptr) << id;
    }
    EXPECT_EQ(m_dialog->FindItem(1464)->control.text, "Show notes");
    EXPECT_EQ(m_dialog->FindItem(1204)->maxPosition, 20);
    // The master volume 0.75 shows as 0.25.
    EXPECT_EQ(m_dialog->FindItem(1207)->position, 25);
    EXPECT_EQ(m_dialog->FindItem(1358)->list, std::vector<std::string>{"Rock"});
    EXPECT_EQ(m_dialog->FindItem(1308)->list, (std::vector<std::string>{"Beat", "Long"}));
}

TEST_F(SongEditorTest, CommandButtonsPopUpTheirMenusUnderThem) {
    Open();
    Press(L::kGrooveCommands);
    ASSERT_EQ(Windows().GetPopups().size(), 1u);
    const POPUP_RECORD& popup = Windows().GetPopups().back();
    ASSERT_EQ(popup.menu.size(), 8u);
    EXPECT_EQ(popup.menu[0].text, "New groove");
    EXPECT_EQ(popup.menu[7].text, "Play when selected");
    EXPECT_FALSE(popup.menu[7].checked);
    const auto* button = m_dialog->FindItem(L::kGrooveCommands);
    EXPECT_EQ(popup.y, button->control.rect.top + button->control.rect.height);
    ChooseFromMenu(L::kGrooveCommands, L::kPlayWhenSelected);
    Press(L::kGrooveCommands);
    EXPECT_TRUE(Windows().GetPopups().back().menu[7].checked);
    EXPECT_EQ(L::GetPopup(1375).items[5].text, "Part info...");
    EXPECT_EQ(L::GetPopup(1336).items[1].commandId, 1466);
    EXPECT_EQ(L::GetPopup(1460).items[4].text, "Save song as WAVE");
    EXPECT_EQ(L::GetPopup(1331).items[1].commandId, 1470);
}

TEST_F(SongEditorTest, HumanizationOfPointThreeSelectsSchool) {
    SONG_EDITOR_SETTINGS settings;
    settings.humanization = 0.3;
    Open(settings);
    const auto* combo = m_dialog->FindItem(L::kHumanization);
    EXPECT_EQ(combo->list, (std::vector<std::string>{"Robot", "Rock star", "School", "Beginner"}));
    EXPECT_EQ(combo->selection, 2);
    ASSERT_TRUE(m_dialog->Choose(L::kHumanization, 1));
    EXPECT_DOUBLE_EQ(m_editor->GetSettings().humanization, 0.2);
    EXPECT_DOUBLE_EQ(m_editor->GetSettings().timeSpread, 0.06);
    EXPECT_DOUBLE_EQ(m_editor->GetSettings().volumeSpread, 0.06);
    EXPECT_EQ(CHumanization::PickLevel(0.0), 0);
    EXPECT_EQ(CHumanization::PickLevel(0.16), 1);
    EXPECT_EQ(CHumanization::PickLevel(1.0), 3);
}

TEST_F(SongEditorTest, ChoosingAGrooveShowsItInTheFiveGrids) {
    Open();
    SelectGroove("Long");
    CGrooveGrids& grids = m_editor->GetGrids();
    ASSERT_TRUE(grids.HasGroove());
    EXPECT_EQ(grids.GetMeasures(), 2);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kDrums).GetNoteCount(), 8);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kLead).GetThing(), 39);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kRhythm).GetThing(), 38);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kBass).GetThing(), 36);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kDrums).GetThing(), 1);
    EXPECT_FALSE(grids.IsChanged());
}

TEST_F(SongEditorTest, TheOnlyMeasureOfAGrooveCannotBeDeleted) {
    Open();
    SelectGroove("Beat");
    m_editor->DeleteLastMeasure();
    EXPECT_EQ(LastBox().text, "Can't delete the only measure");
    EXPECT_EQ(LastBox().caption, "Delete Last Measure");
    EXPECT_EQ(m_editor->GetGrids().GetMeasures(), 1);
}

TEST_F(SongEditorTest, DeletingTheLastMeasureAsksAndShortensAllGrids) {
    Open();
    SelectGroove("Long");
    Windows().ScriptAnswer(BoxResult::kYes);
    m_editor->DeleteLastMeasure();
    EXPECT_EQ(LastBox().text, "The last measure will be deleted.\nDo you want to delete it?");
    CGrooveGrids& grids = m_editor->GetGrids();
    EXPECT_EQ(grids.GetMeasures(), 1);
    EXPECT_DOUBLE_EQ(grids.GetGroove().m_info.length, 2.0);
    for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
        EXPECT_EQ(grids.GetGrid(i).GetLayout().GetMeasures(), 1) << i;
    }
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kDrums).GetNoteCount(), 4);
    // Ctrl+Z brings the measure back in every grid.
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(grids.GetMeasures(), 2);
    EXPECT_EQ(grids.GetGrid(CGrooveGrids::kDrums).GetNoteCount(), 8);
    m_editor->RunCommand(L::kRedo);
    EXPECT_EQ(grids.GetMeasures(), 1);
}

TEST_F(SongEditorTest, PlayingAPartNeedsASelectedPartWithChords) {
    Open();
    Press(L::kPlayPart);
    EXPECT_EQ(LastBox().text, "Please select the part to play");
    EXPECT_EQ(LastBox().caption, "No part is selected");
    SelectGroove("Beat");
    NewPart("Verse");
    ASSERT_EQ(m_host->m_song.GetPlayListCount(), 1);
    Press(L::kPlayPart);
    EXPECT_EQ(LastBox().text, "Song part must have at least one chord");
    EXPECT_EQ(LastBox().caption, "No chords");
    EXPECT_TRUE(m_host->m_played.empty());
}

TEST_F(SongEditorTest, APartWithChordsPlaysThroughTheHost) {
    Open();
    SelectGroove("Beat");
    NewPart("Verse");
    ChooseFromMenu(L::kChordCommands, L::kAddChord);
    ASSERT_EQ(Question()->GetTitle(), "Song Part's Chord");
    ASSERT_TRUE(Question()->Type(CPartChordDlg::kRepeatId, "2"));
    ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    EXPECT_EQ(m_dialog->FindItem(L::kChords)->list.size(), 1u);
    Press(L::kPlayPart);
    ASSERT_EQ(m_host->m_played.size(), 1u);
    EXPECT_EQ(m_host->m_played[0].notes.size(), 8u);  // two measures of four beats
    EXPECT_DOUBLE_EQ(m_host->m_played[0].loopLength, 4.0);
    // A second click stops.
    Press(L::kPlayPart);
    EXPECT_FALSE(m_host->m_playing);
}

TEST_F(SongEditorTest, PartCommandsRefuseWhatTheyCannotDo) {
    Open();
    ChooseFromMenu(L::kPartCommands, L::kNewPart);
    EXPECT_EQ(LastBox().text, "Please select a groove to be\nused with the new song part.");
    EXPECT_EQ(LastBox().caption, "Select Part's Groove");
    ChooseFromMenu(L::kGrooveCommands, L::kSetGrooveToPart);
    EXPECT_EQ(LastBox().text, "No song part is selected");
    EXPECT_EQ(LastBox().caption, "Set Part's Groove");
    ChooseFromMenu(L::kChordCommands, L::kAddChord);
    EXPECT_EQ(LastBox().text, "Select song part first");
    EXPECT_EQ(LastBox().caption, "Adding chord");
    SelectGroove("Beat");
    NewPart("Verse");
    ChooseFromMenu(L::kChordCommands, L::kDeleteChord);
    EXPECT_EQ(LastBox().text, "Select the chord to delete");
    EXPECT_EQ(LastBox().caption, "Deleting chord");
    ASSERT_TRUE(m_dialog->SelectListItem(L::kGrooves, -1));
    ChooseFromMenu(L::kGrooveCommands, L::kSetGrooveToPart);
    EXPECT_EQ(LastBox().text, "Please select a groove.");
}

TEST_F(SongEditorTest, ADuplicatePartNameIsRefusedAndTheDialogStays) {
    Open();
    SelectGroove("Beat");
    NewPart("Verse");
    NewPart("Verse");
    EXPECT_EQ(LastBox().text, "Part with this name already exists.");
    EXPECT_EQ(LastBox().caption, "Verse");
    EXPECT_FALSE(m_editor->GetLastQuestion()->IsFinished());
    ASSERT_TRUE(Question()->Type(CSongPartDlg::kNameId, "Chorus"));
    ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    EXPECT_EQ(m_dialog->FindItem(L::kParts)->list, (std::vector<std::string>{"Verse", "Chorus"}));
}

TEST_F(SongEditorTest, PartsMoveAndAreDeletedAfterAsking) {
    Open();
    SelectGroove("Beat");
    NewPart("Verse");
    NewPart("Chorus");
    ChooseFromMenu(L::kPartCommands, L::kMovePartUp);
    EXPECT_EQ(m_dialog->FindItem(L::kParts)->list, (std::vector<std::string>{"Chorus", "Verse"}));
    Windows().ScriptAnswer(BoxResult::kNo);
    ChooseFromMenu(L::kPartCommands, L::kDeletePart);
    EXPECT_EQ(LastBox().text, "This part will be permanently deleted.\nDo you want to delete it?");
    EXPECT_EQ(LastBox().caption, "Delete song part");
    EXPECT_EQ(m_host->m_song.GetPlayListCount(), 2);
    Windows().ScriptAnswer(BoxResult::kYes);
    ChooseFromMenu(L::kPartCommands, L::kDeletePart);
    EXPECT_EQ(m_dialog->FindItem(L::kParts)->list, std::vector<std::string>{"Verse"});
    EXPECT_EQ(m_host->m_song.GetPartCount(), 1);
}

TEST_F(SongEditorTest, FileCommandsGoToTheHostOrStopThePlayback) {
    Open();
    SelectGroove("Beat");
    Press(L::kPlayGroove);
    ASSERT_EQ(m_host->m_played.size(), 1u);
    EXPECT_EQ(m_host->m_played[0].repeatCount, 1000);
    ChooseFromMenu(L::kSongCommands, L::kOpenSong);
    EXPECT_TRUE(m_host->m_commands.empty());
    EXPECT_FALSE(m_host->m_playing);
    ChooseFromMenu(L::kSongCommands, L::kOpenSong);
    EXPECT_EQ(m_host->m_commands, std::vector<int>{L::kOpenSong});
}

TEST_F(SongEditorTest, WaveExportOfZeroOrTwentyThousandRepeatsPlaysTheSongOnce) {
    Open();
    m_host->m_song.m_name = "Tune";
    for (const char* repeat : {"0", "20000", "3"}) {
        ASSERT_TRUE(m_dialog->Type(L::kRepeatSong, repeat));
        Windows().ScriptFileToSave(m_folder.Path("Tune.wav"));
        ChooseFromMenu(L::kSongCommands, L::kSaveWave);
    }
    ASSERT_EQ(m_host->m_waves.size(), 3u);
    EXPECT_EQ(m_host->m_waves[0].second, 1);
    EXPECT_EQ(m_host->m_waves[1].second, 1);
    EXPECT_EQ(m_host->m_waves[2].second, 3);
    EXPECT_EQ(Windows().GetLastSuggestedFile(), m_folder.Get() + "/Tune.wav");
    EXPECT_EQ(m_editor->GetSettings().waveFolder.GetText(), m_folder.Get() + "/");
}

TEST_F(SongEditorTest, MidiExportAsksForAMissingNameAndWritesTheSong) {
    Open();
    m_editor->RunCommand(L::kSaveMidi);
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->GetTitle(), "Song's name");
    ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    EXPECT_EQ(LastBox().text, CEditDlg::kEmptyText);
    ASSERT_TRUE(Question()->Type(CEditDlg::kTextId, "Tune"));
    Windows().ScriptFileToSave(m_folder.Path("Tune.mid"));
    ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    EXPECT_EQ(Windows().GetLastSuggestedFile(), "Tune.mid");
    EXPECT_TRUE(std::filesystem::exists(m_folder.Path("Tune.mid")));
    EXPECT_EQ(CSongEditorDlg::MakeFileName("Tune", "mid", false), "Tune.mid");
    EXPECT_EQ(CSongEditorDlg::MakeFileName("Tune", "wav", true).GetLength(),
              std::string("Tune (Jan-01-24 10-00-00).wav").size());
}

TEST_F(SongEditorTest, AGrooveDrawnSavedAndReopenedPlaysWhatWasDrawn) {
    Open();
    Windows().ScriptAnswer(BoxResult::kYes);
    m_editor->RunCommand(L::kNewGroove);
    CNullControlDialog* info = Question();
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->GetTitle(), "Groove Info");
    ASSERT_TRUE(info->Choose(CGrooveInfoDlg::kStyleId, 0));
    ASSERT_TRUE(info->Type(CGrooveInfoDlg::kNameId, "Drawn"));
    ASSERT_TRUE(info->Click(IControlDialog::kIdOk));
    CGrooveGrids& grids = m_editor->GetGrids();
    ASSERT_TRUE(grids.HasGroove());
    EXPECT_EQ(grids.GetName(), "Drawn");
    // Two drum hits drawn on the first and third beat of the main row.
    CNoteGrid& drums = grids.GetGrid(CGrooveGrids::kDrums);
    const int row = 7;  // the snare row
    for (int beat : {0, 2}) {
        drums.BeginEdit();
        const int column = drums.GetLayout().GetFirstColumn(beat);
        ASSERT_GE(drums.InsertNote(row, column, column), 0);
        drums.CommitEdit();
        grids.GridEdited(CGrooveGrids::kDrums);
    }
    ASSERT_TRUE(grids.IsChanged());
    m_editor->RunCommand(L::kSaveGroove);
    EXPECT_FALSE(grids.IsChanged());
    ASSERT_TRUE(std::filesystem::exists(m_folder.Get() + "/Rock/Drawn.mid"));
    SelectGroove("Beat");
    SelectGroove("Drawn");
    ASSERT_EQ(grids.GetName(), "Drawn");
    Press(L::kPlayGroove);
    ASSERT_EQ(m_host->m_played.size(), 1u);
    const auto& played = m_host->m_played[0].notes;
    ASSERT_EQ(played.size(), 2u);
    EXPECT_NEAR(played[0].time, 0.0, 1e-3);
    EXPECT_NEAR(played[1].time, 1.0, 1e-3);
    EXPECT_EQ(played[0].thing, drums.GetRow(row).instruments[0]);
    EXPECT_DOUBLE_EQ(m_host->m_played[0].loopLength, 2.0);
}

TEST_F(SongEditorTest, AChangedGrooveAsksBeforeAnotherIsShown) {
    Open();
    SelectGroove("Beat");
    CGrooveGrids& grids = m_editor->GetGrids();
    ASSERT_TRUE(grids.GetGrid(CGrooveGrids::kDrums).DeleteNote(0));
    Windows().ScriptAnswer(BoxResult::kNo);
    SelectGroove("Long");
    EXPECT_EQ(LastBox().text, "The groove was changed.\nDo you want to save the changes?");
    EXPECT_EQ(LastBox().caption, "Beat");
    EXPECT_EQ(grids.GetName(), "Long");
}

TEST_F(SongEditorTest, AChangedSongAsksForANameBeforeItIsSaved) {
    Open();
    SelectGroove("Beat");
    NewPart("Verse");
    ASSERT_TRUE(m_host->m_song.IsModified());
    Windows().ScriptAnswer(BoxResult::kYes);
    ChooseFromMenu(L::kSongCommands, L::kNewSong);
    EXPECT_EQ(LastBox().text, "The song has been changed.\rSave the changes?");
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->GetTitle(), "Changed song's name");
    ASSERT_TRUE(Question()->Type(CEditDlg::kTextId, "Tune"));
    ASSERT_TRUE(Question()->Click(IControlDialog::kIdOk));
    EXPECT_EQ(m_host->m_commands, (std::vector<int>{L::kSaveSong, L::kNewSong}));
}

TEST_F(SongEditorTest, DeletingAGrooveAsksThenRemovesItsFile) {
    Open();
    SelectGroove("Long");
    Windows().ScriptAnswer(BoxResult::kYes);
    ChooseFromMenu(L::kGrooveCommands, L::kDeleteGroove);
    EXPECT_EQ(LastBox().text,
              "This groove will be permanently deleted.\nDo you want to delete it?");
    EXPECT_EQ(LastBox().caption, "Long");
    EXPECT_FALSE(std::filesystem::exists(m_folder.Get() + "/Rock/Long.mid"));
    EXPECT_EQ(m_dialog->FindItem(L::kGrooves)->list, std::vector<std::string>{"Beat"});
}

// Ctrl+Z takes back the latest edit whether of the grids or of the song
// (a new part, with its play-list entry, is one step), Ctrl+Y brings it
// again, and a new edit forgets what was undone.
TEST_F(SongEditorTest, UndoAndRedoTakeGridAndSongEditsBackInTheirOrder) {
    Open();
    SelectGroove("Beat");
    CGrooveGrids& grids = m_editor->GetGrids();
    CNoteGrid& drums = grids.GetGrid(CGrooveGrids::kDrums);
    const int notes = drums.GetNoteCount();
    const auto draw = [&](int beat) {
        drums.BeginEdit();
        const int column = drums.GetLayout().GetFirstColumn(beat);
        ASSERT_GE(drums.InsertNote(7, column, column), 0);
        drums.CommitEdit();
        grids.GridEdited(CGrooveGrids::kDrums);
    };
    draw(1);
    NewPart("Verse");
    m_backend.GetEventLoop().ProcessMessages();  // the action is over
    NewPart("Chorus");
    m_backend.GetEventLoop().ProcessMessages();
    CComposition& song = m_host->m_song;
    ASSERT_EQ(song.GetPartCount(), 2);
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(song.GetPartCount(), 1) << "the last part stayed";
    EXPECT_EQ(song.GetPlayListCount(), 1);
    EXPECT_EQ(m_dialog->FindItem(L::kParts)->list, std::vector<std::string>{"Verse"});
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(song.GetPartCount(), 0);
    EXPECT_EQ(drums.GetNoteCount(), notes + 1) << "a song step took the drawn note";
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(drums.GetNoteCount(), notes);
    m_editor->RunCommand(L::kRedo);
    EXPECT_EQ(drums.GetNoteCount(), notes + 1);
    m_editor->RunCommand(L::kRedo);
    EXPECT_EQ(song.GetPartCount(), 1);
    EXPECT_TRUE(song.IsModified());
    // A new edit: the undone Chorus can't come back.
    draw(2);
    m_editor->RunCommand(L::kRedo);
    EXPECT_EQ(song.GetPartCount(), 1);
    EXPECT_EQ(drums.GetNoteCount(), notes + 2);
}
