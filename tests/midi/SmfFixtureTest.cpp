#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "midi/SmfReader.h"
#include "midi/SmfTempoMap.h"

// Files written by an independent writer (a Python script using only its
// standard library, as other tools write them) must read as the notes the
// script says it wrote.

namespace {

const char kScript[] = NOTARA_TEST_DATA "/../midi/make_midi_fixtures.py";
constexpr double kSecondsTolerance = 1e-6;

struct NOTE_LINE {
    size_t track = 0;
    uint32_t tick = 0;
    int channel = 0;
    int note = 0;
    int velocity = 0;
    bool on = false;
    double seconds = 0.0;
};

struct TRUTH {
    int format = -1;
    int division = 0;
    size_t tracks = 0;
    std::vector<NOTE_LINE> notes;
};

bool ReadTruth(const std::string& path, TRUTH& truth) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "format") {
            words >> truth.format;
        } else if (key == "division") {
            words >> truth.division;
        } else if (key == "tracks") {
            words >> truth.tracks;
        } else if (key == "note") {
            NOTE_LINE note;
            std::string kind;
            words >> note.track >> note.tick >> note.channel >> note.note >> note.velocity >>
                kind >> note.seconds;
            note.on = kind == "on";
            truth.notes.push_back(note);
        } else {
            return false;
        }
    }
    return truth.format >= 0;
}

// The note events of the file, in track and file order.
std::vector<NOTE_LINE> NotesOf(const SMF_FILE& file) {
    const CSmfTempoMap tempo(file);
    std::vector<NOTE_LINE> notes;
    for (size_t t = 0; t < file.tracks.size(); ++t) {
        for (const SMF_EVENT& event : file.tracks[t].events) {
            if (event.IsNoteStart() || event.IsNoteEnd()) {
                notes.push_back({t, event.tick, event.GetChannel(), event.data1, event.data2,
                                 event.GetKind() == Smf::kNoteOn,
                                 tempo.TicksToSeconds(event.tick)});
            }
        }
    }
    return notes;
}

class SmfFixtureTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.Get().empty());
        const std::string command =
            std::string("python3 '") + kScript + "' '" + m_folder.Get() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    void ExpectNotesOfTheScript(const std::string& name, size_t minimumNotes = 1) {
        TRUTH truth;
        ASSERT_TRUE(ReadTruth(m_folder.Path(name + ".txt"), truth));
        CSmfReader reader;
        SMF_FILE file;
        ASSERT_TRUE(reader.ReadFile(m_folder.Path(name + ".mid").c_str(), file))
            << reader.GetError();
        EXPECT_EQ(file.format, truth.format);
        EXPECT_EQ(file.division, truth.division);
        EXPECT_EQ(file.tracks.size(), truth.tracks);
        const std::vector<NOTE_LINE> notes = NotesOf(file);
        ASSERT_EQ(notes.size(), truth.notes.size());
        EXPECT_GE(notes.size(), minimumNotes);
        for (size_t i = 0; i < notes.size(); ++i) {
            const NOTE_LINE& got = notes[i];
            const NOTE_LINE& want = truth.notes[i];
            ASSERT_EQ(got.track, want.track) << name << " note " << i;
            ASSERT_EQ(got.tick, want.tick) << name << " note " << i;
            ASSERT_EQ(got.channel, want.channel) << name << " note " << i;
            ASSERT_EQ(got.note, want.note) << name << " note " << i;
            ASSERT_EQ(got.velocity, want.velocity) << name << " note " << i;
            ASSERT_EQ(got.on, want.on) << name << " note " << i;
            ASSERT_NEAR(got.seconds, want.seconds, kSecondsTolerance) << name << " note " << i;
        }
    }

    CTempFolder m_folder{"smf-fixtures"};
};

TEST_F(SmfFixtureTest, FormatZeroWithRunningStatusReadsAsWritten) {
    ExpectNotesOfTheScript("format0_running_status");
}

TEST_F(SmfFixtureTest, FormatOneWithTempoChangesDrumsAndNoteOffsReadsAsWritten) {
    ExpectNotesOfTheScript("format1_tempo_drums");
    CSmfReader reader;
    SMF_FILE file;
    ASSERT_TRUE(reader.ReadFile(m_folder.Path("format1_tempo_drums.mid").c_str(), file));
    ASSERT_EQ(file.tracks.size(), 3u);
    for (const SMF_EVENT& event : file.tracks[2].events) {
        if (event.IsChannel()) {
            EXPECT_EQ(event.GetChannel(), Smf::kDrumChannel);
        }
    }
}

TEST_F(SmfFixtureTest, ABigFileOfThousandsOfNotesReadsAsWritten) {
    constexpr size_t kThousandsOfNoteEvents = 10000;
    ExpectNotesOfTheScript("big_many_notes", kThousandsOfNoteEvents);
}

}  // namespace
