#include <gtest/gtest.h>

#include <cmath>

#include "BankFolder.h"
#include "TempFolder.h"
#include "audio/SampleBanks.h"
#include "audio/Sound.h"
#include "theory/NoteManager.h"

namespace {

class SampleBanks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        ASSERT_FALSE(m_temp.Get().empty());
    }
    const CNoteList& Table() const { return m_manager.GetNoteTable(); }
    const CSoundInfo* Find(CSound& sound, int thing, int midiNote) {
        CNote note;
        note.thing = thing;
        note.midiNote = static_cast<uint8_t>(midiNote);
        const CSoundInfo* found = nullptr;
        return sound.FindSound(note, found) ? found : nullptr;
    }

    CNoteManager m_manager;
    CTempFolder m_temp{"banks"};
    CBankFolder m_folder{m_temp.Get()};
};

}  // namespace

TEST_F(SampleBanks, EveryInstrumentPlaysItsWholeRangeFromAFewRecordings) {
    ASSERT_TRUE(m_folder.WriteAll());
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    ASSERT_TRUE(banks.LoadAll()) << banks.GetError();
    for (int n = 24; n <= 96; ++n) {
        const CSoundInfo* piano = Find(sound, CSampleBanks::kPiano, n);
        ASSERT_NE(piano, nullptr) << n;
        EXPECT_EQ(piano->note.midiNote, n);
    }
    EXPECT_EQ(Find(sound, CSampleBanks::kPiano, 97), nullptr);
    // Six open strings and six frets above each, for both guitars.
    for (int thing : {THING_LEAD_GUITAR, THING_RHYTHM_GUITAR}) {
        EXPECT_NE(Find(sound, thing, 40), nullptr);
        EXPECT_NE(Find(sound, thing, 70), nullptr);  // string 1, fret 6
        EXPECT_EQ(sound.GetInstruments().GetSounds(thing)->size(), 6u * 7u);
    }
    EXPECT_NE(Find(sound, THING_BASS_GUITAR, 28), nullptr);
    EXPECT_EQ(sound.GetInstruments().GetSounds(THING_BASS_GUITAR)->size(), 4u * 7u);
    // The bass drums sound one file under two percussion keys.
    const CSoundInfo* kick1 = Find(sound, THING_BASS_DRUM_1, NOTE_NONE);
    const CSoundInfo* kick2 = Find(sound, THING_BASS_DRUM_2, NOTE_NONE);
    ASSERT_NE(kick1, nullptr);
    ASSERT_NE(kick2, nullptr);
    EXPECT_EQ(kick1->note.midiNote, 36);
    EXPECT_EQ(kick2->note.midiNote, 35);
    EXPECT_EQ(kick1->fileName, kick2->fileName);
    EXPECT_EQ(CSampleBanks::GetDrumNote(THING_HI_HAT_FOOT), 44);
    EXPECT_EQ(CSampleBanks::GetDrumNote(THING_BASS_GUITAR), NOTE_NONE);
}

TEST_F(SampleBanks, RecordingsAreNormalisedAndDerivedNotesArePitchedUpFromTheOneBelow) {
    ASSERT_TRUE(m_folder.WriteAll());
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    ASSERT_TRUE(banks.LoadAll()) << banks.GetError();
    const CSoundInfo* c1 = Find(sound, CSampleBanks::kPiano, 24);
    const CSoundInfo* b2 = Find(sound, CSampleBanks::kPiano, 47);
    const CSoundInfo* c3 = Find(sound, CSampleBanks::kPiano, 48);
    ASSERT_TRUE(c1 && b2 && c3);
    // MIDI 47 comes from 24: 23 semitones faster, so that much shorter.
    const double ratio = std::pow(2.0, 23.0 / 12.0);
    EXPECT_NEAR(b2->GetSize() / 2.0, c1->GetSize() / 2.0 / ratio, 1.0);
    EXPECT_EQ(c3->GetSize(), c1->GetSize());  // a recording of its own
    int peak = 0;
    for (uint32_t i = 0; i < c1->GetSize() / 2; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(c1->GetValues()[i])));
    }
    EXPECT_NEAR(peak / 32767.0, CSampleBanks::kLevel, 0.01);
}

TEST_F(SampleBanks, AStringWithRecordingsAtTwoFretsFillsTheFretsBetweenAndSixAbove) {
    ASSERT_TRUE(m_folder.WritePiano());
    ASSERT_TRUE(m_folder.WriteStrings("Clean Guitar", {64, 59, 55, 50, 45, 40}, {0, 12}));
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    ASSERT_TRUE(banks.LoadStrings("Clean Guitar", THING_LEAD_GUITAR)) << banks.GetError();
    CNote fretted;
    fretted.thing = THING_LEAD_GUITAR;
    fretted.midiNote = 0;  // found by string and fret alone
    fretted.guitarString = 6;
    for (int fret = 0; fret <= 18; ++fret) {
        fretted.fret = fret;
        const CSoundInfo* found = nullptr;
        ASSERT_TRUE(sound.FindSound(fretted, found)) << fret;
        EXPECT_EQ(found->note.midiNote, 40 + fret);
        const char* expected = fret < 12 ? "Clean Guitar_6- 0.wav" : "Clean Guitar_6-12.wav";
        EXPECT_NE(std::string(found->fileName.GetText()).find(expected), std::string::npos)
            << fret << ": " << found->fileName.GetText();
    }
    fretted.fret = 19;
    const CSoundInfo* none = nullptr;
    EXPECT_FALSE(sound.FindSound(fretted, none));
}

TEST_F(SampleBanks, AStringWithoutAnyRecordingStopsTheLoadingAndNamesTheString) {
    ASSERT_TRUE(m_folder.WriteStrings("Clean Guitar", {64, 59, 55, 50, 45, 40}, {0}, 3));
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    EXPECT_FALSE(banks.LoadStrings("Clean Guitar", THING_LEAD_GUITAR));
    EXPECT_STREQ(banks.GetError(), "No samples found for 'Clean Guitar', string 3");
    // Strings 6, 5 and 4 were loaded by then.
    EXPECT_EQ(sound.GetInstruments().GetSounds(THING_LEAD_GUITAR)->size(), 3u * 7u);
}

TEST_F(SampleBanks, AMissingOrGarbledFileIsNamedInTheError) {
    ASSERT_TRUE(m_folder.WriteAll());
    const std::string snare = m_folder.GetRoot() + "Drums/Snare.wav";
    std::remove(snare.c_str());
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    EXPECT_FALSE(banks.LoadAll());
    EXPECT_NE(std::string(banks.GetError()).find("Can't read file '" + snare + "': "),
              std::string::npos)
        << banks.GetError();
    // Text where a recording should be.
    FILE* garbled = std::fopen(snare.c_str(), "wb");
    ASSERT_NE(garbled, nullptr);
    std::fputs("RIFF\xff\xff\xff\xffWAVEfmt nonsense", garbled);
    std::fclose(garbled);
    CSound again(Table(), m_folder.GetRoot().c_str());
    CSampleBanks retry(again, Table(), m_folder.GetRoot().c_str());
    EXPECT_FALSE(retry.LoadAll());
    EXPECT_NE(std::string(retry.GetError()).find("Can't read file '" + snare + "': "),
              std::string::npos)
        << retry.GetError();
}

TEST_F(SampleBanks, FurtherPianoRecordingsAreTakenBetweenTheDescribedOnes) {
    ASSERT_TRUE(m_folder.WriteAll());
    ASSERT_TRUE(m_folder.WriteTone("Piano/Piano-F#2.wav", CBankFolder::Frequency(42), 0.5));
    CSound sound(Table(), m_folder.GetRoot().c_str());
    CSampleBanks banks(sound, Table(), m_folder.GetRoot().c_str());
    ASSERT_TRUE(banks.LoadAll()) << banks.GetError();
    const CSoundInfo* fSharp = Find(sound, CSampleBanks::kPiano, 42);
    const CSoundInfo* g2 = Find(sound, CSampleBanks::kPiano, 43);
    ASSERT_TRUE(fSharp && g2);
    EXPECT_EQ(fSharp->GetSize(), 2u * static_cast<uint32_t>(0.5 * CBankFolder::kRate));
    EXPECT_NE(std::string(g2->fileName.GetText()).find("Piano-F#2.wav"), std::string::npos);
}
