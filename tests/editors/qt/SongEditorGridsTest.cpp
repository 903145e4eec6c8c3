// The Song Editor on Qt under Xvfb with a groove on all five grids, in the
// note display and in the tab display. Saves its pictures in build/tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <QTest>

#include <string>

#include "editors/GridPicture.h"
#include "editors/SongEditorFixture.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtControlWidget.h"
#include "platform/qt/QtTestApp.h"

namespace {

using L = CSongEditorLayout;

constexpr double kBeat = 0.5;

CNote MakeNote(int thing, int midiNote, double time, double duration) {
    CNote note;
    note.thing = static_cast<int16_t>(thing);
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.time = time;
    note.duration = duration;
    return note;
}

CNote MakeMarker(int kind, double time, double duration) {
    CNote marker;
    marker.eventKind = static_cast<uint8_t>(kind);
    marker.time = time;
    marker.duration = duration;
    return marker;
}

// A chord marker of the major chord on root.
CNote MakeChord(int root, double time, double duration) {
    CNote chord = MakeMarker(EVENT_CHORD_MARKER, time, duration);
    chord.EditChord([root](CHORD_INFO& info) {
        info.root = static_cast<uint8_t>(root);
        info.chordType = 1;
        info.chordGroup = 1;
        info.number = 1;
        info.scale = SCALE_MAJOR;
        info.scaleRoot = 48;
    });
    return chord;
}

// One measure of 4/4 with chord and measure markers, a lead line, a bass
// line and a drum beat, written as grooves/Rock/Full.mid. The strums of the
// rhythm row are no MIDI notes: the test draws them.
bool WriteFullGroove(const std::string& grooves) {
    CSong groove;
    if (!groove.AddNewSongTracks()) {
        return false;
    }
    groove.m_info.secondsPerBeat = kBeat;
    groove.m_info.tempo = 120.0;
    groove.m_info.measureBeats = 4;
    groove.m_info.beatNote = 4;
    groove.m_info.measures = 1;
    groove.m_info.length = 4 * kBeat;
    CTrack* lead = groove.FindTrack(THING_LEAD_GUITAR);
    CTrack* bass = groove.FindTrack(THING_BASS_GUITAR);
    CTrack* drums = groove.FindTrack(THING_DRUM_SET);
    if (lead == nullptr || bass == nullptr || drums == nullptr) {
        return false;
    }
    bool ok = lead->AddNote(MakeMarker(EVENT_MEASURE_MARKER, 0.0, 4 * kBeat)) &&
              lead->AddNote(MakeChord(60, 0.0, 2 * kBeat)) &&
              lead->AddNote(MakeChord(67, 2 * kBeat, 2 * kBeat));
    const int leadLine[] = {64, 67, 72, 69};
    const int bassLine[] = {36, 43, 40, 38};
    for (int beat = 0; beat < 4; ++beat) {
        const double time = beat * kBeat;
        ok = ok && lead->AddNote(MakeNote(THING_LEAD_GUITAR, leadLine[beat], time, kBeat / 2));
        ok = ok && bass->AddNote(MakeNote(THING_BASS_GUITAR, bassLine[beat], time, kBeat));
        ok = ok && drums->AddNote(MakeNote(beat % 2 == 0 ? THING_BASS_DRUM_1 : THING_SNARE_DRUM,
                                           beat % 2 == 0 ? 36 : 38, time, kBeat / 4));
        ok = ok && drums->AddNote(MakeNote(THING_HI_HAT_CLOSED, 42, time, kBeat / 4));
        ok = ok && drums->AddNote(MakeNote(THING_HI_HAT_CLOSED, 42, time + kBeat / 2, kBeat / 4));
    }
    std::filesystem::create_directories(grooves + "/Rock");
    CMidiFile writer;
    if (!ok) {
        ADD_FAILURE() << "the notes do not go into the groove";
        return false;
    }
    const bool written = writer.Write((grooves + "/Rock/Full.mid").c_str(), groove);
    EXPECT_TRUE(written) << writer.GetError();
    return written;
}

bool Near(QRgb pixel, uint32_t argb) {
    constexpr int kTolerance = 10;
    const QColor have(pixel);
    const QColor want(argb);
    return std::abs(have.red() - want.red()) <= kTolerance &&
           std::abs(have.green() - want.green()) <= kTolerance &&
           std::abs(have.blue() - want.blue()) <= kTolerance;
}

// Pixels of the shot inside rect near one of the note colours.
int CountNotePixels(const QImage& shot, const WINDOW_RECT& rect) {
    int count = 0;
    for (int y = rect.top; y < rect.top + rect.height && y < shot.height(); ++y) {
        for (int x = rect.left; x < rect.left + rect.width && x < shot.width(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            count += Near(pixel, CGridPicture::kNoteColor) ||
                             Near(pixel, CGridPicture::kDrumColor) ||
                             Near(pixel, CGridPicture::kMarkerColor)
                         ? 1
                         : 0;
        }
    }
    return count;
}

int ColourCount(const QImage& shot) {
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    return colours.size();
}

}  // namespace

class SongEditorGridsTest : public testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(m_manager.Init());
        ASSERT_TRUE(WriteFullGroove(m_folder.Get()));
        m_host = std::make_unique<CFakeHost>(m_manager, m_folder.Get());
        m_editor = std::make_unique<CSongEditorDlg>(*m_backend.GetPlatform().windowSystem,
                                                    *m_backend.GetPlatform().eventLoop, *m_host);
        SONG_EDITOR_SETTINGS settings;
        settings.style = "Rock";
        settings.groove = "Full";
        settings.showNotes = true;
        ASSERT_TRUE(m_editor->Open(nullptr, settings)) << m_editor->GetError();
        m_dialog = static_cast<CQtControlDialog*>(m_editor->GetDialog());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog->GetWidget()));
    }

    // Saves the editor's picture as name in build/tests and checks that
    // every grid shows notes.
    void ShootAndCheck(const char* name) {
        QApplication::processEvents();
        const std::string path = std::string(NOTARA_BINARY_DIR) + "/tests/" + name;
        std::string error;
        ASSERT_TRUE(m_dialog->SaveScreenshot(path.c_str(), error)) << error;
        QImage shot(QString::fromStdString(path));
        ASSERT_FALSE(shot.isNull());
        EXPECT_GT(ColourCount(shot), 20) << "a blank picture";
        const char* const names[] = {"top row", "lead", "rhythm", "bass", "drums"};
        for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
            const WINDOW_RECT rect = L::GetItemRect(L::kGridViews[i]);
            const double scale = shot.width() / double(m_dialog->GetWidget()->width());
            const WINDOW_RECT scaled{int(rect.left * scale), int(rect.top * scale),
                                     int(rect.width * scale), int(rect.height * scale)};
            EXPECT_GT(CountNotePixels(shot, scaled), 30)
                << "no notes in the " << names[i] << " grid";
        }
    }

    CTempFolder m_folder{"song-editor-qt"};
    CQtBackend m_backend;
    CNoteManager m_manager;
    std::unique_ptr<CFakeHost> m_host;
    std::unique_ptr<CSongEditorDlg> m_editor;
    CQtControlDialog* m_dialog = nullptr;
};

TEST_F(SongEditorGridsTest, AGrooveShowsOnAllFiveGridsInNoteAndTabDisplay) {
    CGrooveGrids& grids = m_editor->GetGrids();
    // Two strums drawn with the mouse: a click, and a drag over three cells.
    QLabel* rhythm = m_dialog->GetWidget()->Find<QLabel>(L::kGridViews[CGrooveGrids::kRhythm]);
    ASSERT_NE(rhythm, nullptr);
    const int rowMiddle = 4;
    const double cell = (rhythm->width() - CGridPicture::kLabelWidth) / 16.0;
    const auto at = [&](int column) {
        return QPoint(int(CGridPicture::kLabelWidth + (column + 0.5) * cell), rowMiddle);
    };
    QTest::mouseClick(rhythm, Qt::LeftButton, Qt::NoModifier, at(0));
    QTest::mousePress(rhythm, Qt::LeftButton, Qt::NoModifier, at(8));
    QTest::mouseMove(rhythm, at(9));
    QTest::mouseMove(rhythm, at(10));
    QTest::mouseRelease(rhythm, Qt::LeftButton, Qt::NoModifier, at(10));
    const CNoteGrid& strums = grids.GetGrid(CGrooveGrids::kRhythm);
    ASSERT_EQ(strums.GetNoteCount(), 2);
    EXPECT_EQ(strums.GetNote(0).first, 0);
    EXPECT_EQ(strums.GetNote(0).last, 0);
    EXPECT_EQ(strums.GetNote(1).first, 8);
    EXPECT_EQ(strums.GetNote(1).last, 10);
    for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
        EXPECT_GT(grids.GetGrid(i).GetNoteCount(), 0) << "grid " << i;
    }
    ShootAndCheck("song-editor-notes.png");

    ASSERT_TRUE(grids.GetGrid(CGrooveGrids::kLead).SetDisplay(DISPLAY_TABS));
    ASSERT_TRUE(grids.GetGrid(CGrooveGrids::kBass).SetDisplay(DISPLAY_TABS));
    m_editor->RefreshGridViews();
    ShootAndCheck("song-editor-tabs.png");
}
