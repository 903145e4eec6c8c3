#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "app/AppSettings.h"
#include "foundation/Paths.h"
#include "platform/null/NullBackend.h"

namespace {

constexpr int kKind = 11;
constexpr const char* kTitle = "Notara Demo";

// A settings store of backend, open on the Notara settings.
std::unique_ptr<ISettingsStore> OpenNotara(CNullBackend& backend) {
    auto store = backend.GetPlatform().createSettingsStore();
    EXPECT_TRUE(store->Open("Cadenzor", "Notara"));
    return store;
}

// What the settings of product hold after a save.
SETTINGS_TREE& Saved(CNullBackend& backend, const char* product = "Notara") {
    return backend.GetSettingsDisk().saved[std::string("Cadenzor/") + product];
}

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> bytes) {
    return std::vector<uint8_t>(bytes);
}

// Saves a record with every value set, so that later loads find them all.
void SaveFullRecord(CNullBackend& backend) {
    APP_SETTINGS settings;
    auto store = backend.GetPlatform().createSettingsStore();
    ASSERT_TRUE(settings.Load(*store, kTitle, kKind) || true);
    ASSERT_TRUE(settings.Save(*store, kTitle, kKind));
}

std::string ProgramFolder() {
    CCharString folder;
    EXPECT_TRUE(GetProgramFolder(folder));
    return folder.Str();
}

}  // namespace

TEST(AppSettings, AFirstStartKeepsEveryDefaultAndReportsIt) {
    CNullBackend backend;
    APP_SETTINGS settings;
    auto store = backend.GetPlatform().createSettingsStore();
    EXPECT_FALSE(settings.Load(*store, kTitle, kKind));
    EXPECT_EQ(settings.mainWindow.rect.left, -1);
    EXPECT_EQ(settings.mainWindow.rect.bottom, -1);
    EXPECT_EQ(settings.text.rect.right, -1);
    EXPECT_EQ(settings.mixer.visible, 1);
    EXPECT_EQ(settings.composition.playSong, 1);
    EXPECT_EQ(settings.musicEditor.playSelected, 1);
    EXPECT_EQ(settings.musicEditor.showNoteGrid, 1);
    EXPECT_EQ(settings.musicEditor.humanization, 0.0f);
    EXPECT_EQ(settings.text.contentIndex, 0);
    EXPECT_EQ(settings.audio.midiInputPort, 0x7FFFFFFF);
    EXPECT_EQ(settings.audio.masterVolume, 1.0f);
    EXPECT_FLOAT_EQ(settings.audio.captureLevel, 0.2f);
    EXPECT_EQ(settings.audio.inputGuid, SETTINGS_GUID{});
    EXPECT_TRUE(settings.audio.outputName.IsEmpty());
    const std::string root = ProgramFolder();
    EXPECT_EQ(settings.dataFolder.Str(), root + "/Data/");
    EXPECT_EQ(settings.soundFolder.Str(), root + "/Sound/");
    EXPECT_EQ(settings.tutorialsFolder.Str(), root + "/Tutorials/");
    EXPECT_EQ(settings.grooveRoot.Str(), root + "/Grooves/");
    EXPECT_EQ(settings.groovePath.Str(), root + "/Grooves/");
    EXPECT_EQ(settings.tempFolder.Str(), root + "/Temp/");
    EXPECT_EQ(settings.midiFolder.Str(), root + "/MIDI/");
    EXPECT_EQ(settings.waveFolder.Str(), root + "/WAVE/");
    EXPECT_EQ(settings.songRoot.Str(), root + "/Songs/");
    EXPECT_EQ(settings.songPath.Str(), root + "/Songs/");
    EXPECT_EQ(settings.lessonsRoot.Str(), root + "/Lessons/");
    EXPECT_EQ(settings.lessonsPath.Str(), root + "/Lessons/");
}

TEST(AppSettings, EveryValueSurvivesASaveAndALoad) {
    CNullBackend backend;
    APP_SETTINGS out;
    auto store = backend.GetPlatform().createSettingsStore();
    out.Load(*store, kTitle, kKind);
    out.mainWindow.rect = {10, 20, 810, 620};
    out.mixer.rect = {-300, 5, -10, 400};  // a window on a monitor left of the first
    out.mixer.visible = 0;
    out.composition.playSong = 0;
    out.text.scrollPosition = 7;
    out.text.contentIndex = 3;
    out.musicEditor.showNoteGrid = 0;
    out.musicEditor.humanization = 0.25f;
    out.webLogin.userName = "ann";
    out.webLogin.email = "ann@example.org";
    out.webLogin.password = "pass word";
    out.audio.inputGuid[0] = 0xAB;
    out.audio.inputGuid[15] = 0xCD;
    out.audio.inputName = "USB Microphone";
    out.audio.outputGuid[7] = 1;
    out.audio.outputName = "Speakers";
    out.audio.masterVolume = 0.5f;
    out.audio.captureLevel = 0.9f;  // not kept
    out.audio.midiInputPort = 2;
    out.midiFolder = "/music/midi/";
    out.songPath = "/music/songs/";
    ASSERT_TRUE(out.Save(*store, kTitle, kKind));

    APP_SETTINGS in;
    auto fresh = backend.GetPlatform().createSettingsStore();
    EXPECT_TRUE(in.Load(*fresh, kTitle, kKind));
    EXPECT_EQ(in.mainWindow.rect.left, 10);
    EXPECT_EQ(in.mainWindow.rect.top, 20);
    EXPECT_EQ(in.mainWindow.rect.right, 810);
    EXPECT_EQ(in.mainWindow.rect.bottom, 620);
    EXPECT_EQ(in.mixer.rect.left, -300);
    EXPECT_EQ(in.mixer.rect.right, -10);
    EXPECT_EQ(in.mixer.visible, 0);
    EXPECT_EQ(in.text.visible, 1);
    EXPECT_EQ(in.composition.playSong, 0);
    EXPECT_EQ(in.text.scrollPosition, 7);
    EXPECT_EQ(in.text.contentIndex, 3);
    EXPECT_EQ(in.musicEditor.showNoteGrid, 0);
    EXPECT_EQ(in.musicEditor.humanization, 0.25f);
    EXPECT_EQ(in.webLogin.userName, "ann");
    EXPECT_EQ(in.webLogin.email, "ann@example.org");
    EXPECT_EQ(in.webLogin.password, "pass word");
    EXPECT_EQ(in.audio.inputGuid, out.audio.inputGuid);
    EXPECT_EQ(in.audio.outputGuid, out.audio.outputGuid);
    EXPECT_EQ(in.audio.inputName, "USB Microphone");
    EXPECT_EQ(in.audio.outputName, "Speakers");
    EXPECT_EQ(in.audio.masterVolume, 0.5f);
    EXPECT_FLOAT_EQ(in.audio.captureLevel, 0.2f);
    EXPECT_EQ(in.audio.midiInputPort, 2);
    EXPECT_EQ(in.midiFolder, "/music/midi/");
    EXPECT_EQ(in.songPath, "/music/songs/");
}

TEST(AppSettings, TheSavedKeysAndValuesHaveTheirNamesAndTypes) {
    CNullBackend backend;
    SaveFullRecord(backend);
    SETTINGS_TREE& tree = Saved(backend);
    const auto& product = tree[""];
    for (const char* name : {"Data path", "MIDI path", "Wave path", "Temp path", "Sound path",
                             "Tutorial path", "Song root path", "Song path", "Lessons root path",
                             "Lessons path", "Groove root path", "Groove path"}) {
        ASSERT_EQ(product.count(name), 1u) << name;
        EXPECT_TRUE(std::holds_alternative<std::string>(product.at(name))) << name;
    }
    EXPECT_EQ(product.size(), 12u);
    EXPECT_EQ(std::get<std::string>(product.at("Tutorial path")), ProgramFolder() + "/Tutorials/");

    const auto binarySize = [&tree](const char* key, const char* name) -> int {
        const auto values = tree.find(key);
        if (values == tree.end() || values->second.count(name) == 0) {
            return -1;
        }
        const auto& value = values->second.at(name);
        return std::holds_alternative<std::vector<uint8_t>>(value)
                   ? static_cast<int>(std::get<std::vector<uint8_t>>(value).size())
                   : -2;
    };
    EXPECT_EQ(binarySize("Main Window", "Window rectangle"), 16);
    EXPECT_EQ(tree["Main Window"].size(), 1u);  // no "Show window"
    for (const char* key :
         {"Colors", "Show Chord", "Show Scale", "Human", "Groove Maker", "Lesson", "Tuner", "Mixer",
          "Generator", "Color Picker", "Web files", "Color Lists", "Colorgram", "Space Painter"}) {
        EXPECT_EQ(binarySize(key, "Window rectangle"), 16) << key;
        EXPECT_EQ(binarySize(key, "Show window"), 1) << key;
        EXPECT_EQ(tree[key].size(), 2u) << key;
    }
    EXPECT_EQ(binarySize("Composition", "Play song"), 1);
    EXPECT_EQ(binarySize("Text", "Scroll position"), 4);
    EXPECT_EQ(binarySize("Text", "Content index"), 4);
    EXPECT_EQ(binarySize("Music Editor", "Play selected"), 1);
    EXPECT_EQ(binarySize("Music Editor", "Show note grid"), 1);
    EXPECT_EQ(binarySize("Music Editor", "Humanization"), 4);
    EXPECT_EQ(tree["Web Login"].size(), 3u);
    EXPECT_TRUE(std::holds_alternative<std::string>(tree["Web Login"]["E-mail"]));
    EXPECT_EQ(binarySize("Audio", "Audio input GUID"), 16);
    EXPECT_EQ(binarySize("Audio", "Audio output GUID"), 16);
    EXPECT_EQ(binarySize("Audio", "Master volume"), 4);
    EXPECT_EQ(binarySize("Audio", "MIDI input port"), 4);
    EXPECT_TRUE(std::holds_alternative<std::string>(tree["Audio"]["Audio input name"]));
    EXPECT_EQ(binarySize("Audio", "Microphone input"), 4);
    EXPECT_EQ(binarySize("Audio", "MIDI input chosen"), 4);
    EXPECT_EQ(binarySize("Audio", "Pitch method"), 4);
    EXPECT_EQ(binarySize("Audio", "Fixed trigger"), 4);
    EXPECT_EQ(tree["Audio"].size(), 10u);  // the capture level is not kept
    for (const char* hint : {"Note names", "Expected key", "Key letters"}) {
        EXPECT_EQ(binarySize("Hints", hint), 1) << hint;
    }
    EXPECT_TRUE(std::holds_alternative<std::string>(tree["Tune"]["File"]));
    EXPECT_EQ(binarySize("Tune", "Note"), 4);
    EXPECT_EQ(tree.size(), 23u);  // product key, 19 dialogs, "Audio", "Hints" and "Tune"
    // Numbers are kept little-endian: no port is 0x7FFFFFFF.
    EXPECT_EQ(std::get<std::vector<uint8_t>>(tree["Audio"]["MIDI input port"]),
              Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(AppSettings, KindsShareTheSettingsOfTheirProductWord) {
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(10), "Notara");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(11), "Notara");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(1), "Workbench");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(3), "Rumblo");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(5), "Modewise");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(6), "Tunesmith");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(9), "Auralis");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(12), "Huedance");
    EXPECT_STREQ(APP_SETTINGS::GetProductWord(13), "Huegallery");
    EXPECT_EQ(APP_SETTINGS::GetProductWord(14), nullptr);

    CNullBackend backend;
    APP_SETTINGS full;
    auto store = backend.GetPlatform().createSettingsStore();
    full.Load(*store, "Notara", 10);
    full.text.contentIndex = 5;
    ASSERT_TRUE(full.Save(*store, "Notara", 10));
    APP_SETTINGS demo;
    EXPECT_TRUE(demo.Load(*store, kTitle, 11));
    EXPECT_EQ(demo.text.contentIndex, 5);
    APP_SETTINGS other;
    EXPECT_FALSE(other.Load(*store, "Workbench", 1));
    EXPECT_EQ(other.text.contentIndex, 0);
    EXPECT_FALSE(other.Save(*store, "Unknown", 14));
}

TEST(AppSettings, SavedFolderValuesMoveOnlyTheFoldersThatMayMove) {
    CNullBackend backend;
    SaveFullRecord(backend);
    auto store = OpenNotara(backend);
    store->SetString("", "MIDI path", "/elsewhere/midi/");
    store->SetString("", "Wave path", "/elsewhere/wave/");
    store->SetString("", "Lessons path", "/elsewhere/lessons/");
    store->SetString("", "Groove path", "/elsewhere/grooves/");
    store->SetString("", "Data path", "/elsewhere/data/");  // written, never read
    store->SetString("", "Tutorial path", "/elsewhere/tutorials/");
    ASSERT_TRUE(store->Save());
    APP_SETTINGS settings;
    EXPECT_TRUE(settings.Load(*store, kTitle, kKind));
    EXPECT_EQ(settings.midiFolder, "/elsewhere/midi/");
    EXPECT_EQ(settings.waveFolder, "/elsewhere/wave/");
    EXPECT_EQ(settings.lessonsPath, "/elsewhere/lessons/");
    EXPECT_EQ(settings.groovePath, "/elsewhere/grooves/");
    EXPECT_EQ(settings.dataFolder.Str(), ProgramFolder() + "/Data/");
    EXPECT_EQ(settings.tutorialsFolder.Str(), ProgramFolder() + "/Tutorials/");
    EXPECT_EQ(settings.grooveRoot.Str(), ProgramFolder() + "/Grooves/");
}

TEST(AppSettings, AValueOfTheWrongTypeOrSizeFallsBackToItsDefaultAlone) {
    CNullBackend backend;
    {
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        settings.Load(*store, kTitle, kKind);
        settings.mixer.rect = {1, 2, 3, 4};
        settings.mixer.visible = 0;
        settings.text.rect = {5, 6, 7, 8};
        settings.text.scrollPosition = 9;
        settings.audio.midiInputPort = 3;
        settings.audio.masterVolume = 0.5f;
        settings.audio.outputName = "Speakers";
        ASSERT_TRUE(settings.Save(*store, kTitle, kKind));
    }
    auto store = OpenNotara(backend);
    store->SetString("Audio", "Master volume", "0.75");  // text, not a record
    store->SetInteger("Audio", "MIDI input port", 4);    // integer, not a record
    store->SetBinary("Audio", "Audio output name", Bytes({'S', 'p'}));
    store->SetBinary("Mixer", "Window rectangle", Bytes({1, 2, 3}));             // too short
    store->SetBinary("Text", "Show window", Bytes({0, 0, 0, 0}));                // too long
    store->SetBinary("Text", "Content index", Bytes({0xFE, 0xFF, 0xFF, 0xFF}));  // -2
    store->SetBinary("", "MIDI path", Bytes({'/', 'x'}));
    store->SetString("", "Song path", std::string(300, 'a'));  // longer than a path may be
    ASSERT_TRUE(store->Save());

    APP_SETTINGS settings;
    EXPECT_FALSE(settings.Load(*store, kTitle, kKind));
    EXPECT_EQ(settings.audio.masterVolume, 1.0f);
    EXPECT_EQ(settings.audio.midiInputPort, 0x7FFFFFFF);
    EXPECT_TRUE(settings.audio.outputName.IsEmpty());
    EXPECT_EQ(settings.mixer.rect.left, -1);
    EXPECT_EQ(settings.mixer.visible, 0);  // its neighbour still loads
    EXPECT_EQ(settings.text.visible, 1);
    EXPECT_EQ(settings.text.rect.left, 5);
    EXPECT_EQ(settings.text.scrollPosition, 9);
    EXPECT_EQ(settings.text.contentIndex, 0);  // negative counts as 0
    EXPECT_EQ(settings.midiFolder.Str(), ProgramFolder() + "/MIDI/");
    EXPECT_EQ(settings.songPath.Str(), ProgramFolder() + "/Songs/");
}

TEST(AppSettings, AMasterVolumeThatIsNoVolumeFallsBackToFull) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), 2.0f, -0.5f}) {
        CNullBackend backend;
        SaveFullRecord(backend);
        auto store = OpenNotara(backend);
        uint32_t bits = 0;
        std::memcpy(&bits, &bad, 4);
        store->SetBinary(
            "Audio", "Master volume",
            Bytes({static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                   static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)}));
        ASSERT_TRUE(store->Save());
        APP_SETTINGS settings;
        EXPECT_FALSE(settings.Load(*store, kTitle, kKind)) << bad;
        EXPECT_EQ(settings.audio.masterVolume, 1.0f) << bad;
    }
}

TEST(AppSettings, SavingKeepsValuesItDoesNotKnow) {
    CNullBackend backend;
    SaveFullRecord(backend);
    auto store = OpenNotara(backend);
    store->SetString("Lesson editor", "Last lesson", "Scales 1");
    ASSERT_TRUE(store->Save());
    APP_SETTINGS settings;
    settings.Load(*store, kTitle, kKind);
    ASSERT_TRUE(settings.Save(*store, kTitle, kKind));
    EXPECT_EQ(std::get<std::string>(Saved(backend)["Lesson editor"]["Last lesson"]), "Scales 1");
}

TEST(AppSettings, AFailedSaveIsReportedAndKeepsTheOldSettings) {
    CNullBackend backend;
    SaveFullRecord(backend);
    backend.GetSettingsDisk().failSaves = true;
    APP_SETTINGS settings;
    auto store = backend.GetPlatform().createSettingsStore();
    settings.Load(*store, kTitle, kKind);
    settings.text.contentIndex = 8;
    EXPECT_FALSE(settings.Save(*store, kTitle, kKind));
    backend.GetSettingsDisk().failSaves = false;
    APP_SETTINGS again;
    EXPECT_TRUE(again.Load(*store, kTitle, kKind));
    EXPECT_EQ(again.text.contentIndex, 0);
}
