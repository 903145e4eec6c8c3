#include "app/AppSettings.h"

#include "app/Catalogue.h"

#include <type_traits>
#include <utility>
#include <vector>

#include "app/SettingsValues.h"
#include "foundation/Paths.h"

namespace {
constexpr const char* kWebLoginKey = "Web Login";
constexpr const char* kAudioKey = "Audio";
constexpr const char* kProductKey = "";
constexpr const char* kHintsKey = "Hints";
constexpr const char* kTuneKey = "Tune";

// The hints as three flags; a missing or malformed flag keeps its default.
struct HINT_VALUE {
    const char* name;
    bool HINTS::*flag;
};
constexpr HINT_VALUE kHintValues[] = {
    {"Note names", &HINTS::noteNames},
    {"Expected key", &HINTS::expectedKey},
    {"Key letters", &HINTS::keyLetters},
};

bool LoadHints(const ISettingsStore& store, HINTS& hints) {
    bool all = true;
    for (const HINT_VALUE& value : kHintValues) {
        uint8_t flag = 0;
        if (ReadByte(store, kHintsKey, value.name, flag) && flag <= 1) {
            hints.*value.flag = flag != 0;
        } else {
            all = false;
        }
    }
    return all;
}

bool SaveHints(ISettingsStore& store, const HINTS& hints) {
    bool all = true;
    for (const HINT_VALUE& value : kHintValues) {
        all = WriteByte(store, kHintsKey, value.name, hints.*value.flag ? 1 : 0) && all;
    }
    return all;
}

// The window records of settings with their sub-keys in saving order; the
// Web Login record, which has no window values, stands where an entry is null.
template <class SETTINGS>
auto GetWindowKeys(SETTINGS& settings) {
    using RECORD = std::conditional_t<std::is_const_v<SETTINGS>, const WINDOW_INFO, WINDOW_INFO>;
    return std::vector<std::pair<const char*, RECORD*>>{
        {"Main Window", &settings.mainWindow},
        {"Colors", &settings.colors},
        {"Show Chord", &settings.showChord},
        {"Show Scale", &settings.showScale},
        {"Composition", &settings.composition},
        {"Human", &settings.human},
        {"Groove Maker", &settings.grooveMaker},
        {"Text", &settings.text},
        {"Lesson", &settings.lesson},
        {"Tuner", &settings.tuner},
        {"Mixer", &settings.mixer},
        {kWebLoginKey, nullptr},
        {"Generator", &settings.generator},
        {"Color Picker", &settings.colorPicker},
        {"Web files", &settings.webFiles},
        {"Color Lists", &settings.colorLists},
        {"Colorgram", &settings.colorgram},
        {"Music Editor", &settings.musicEditor},
        {"Space Painter", &settings.spacePainter},
    };
}

}  // namespace

const APP_SETTINGS::FOLDER_VALUE APP_SETTINGS::kFolderValues[] = {
    {"Data path", &APP_SETTINGS::dataFolder, false},
    {"MIDI path", &APP_SETTINGS::midiFolder, true},
    {"Wave path", &APP_SETTINGS::waveFolder, true},
    {"Temp path", &APP_SETTINGS::tempFolder, false},
    {"Sound path", &APP_SETTINGS::soundFolder, false},
    {"Tutorial path", &APP_SETTINGS::tutorialsFolder, false},
    {"Song root path", &APP_SETTINGS::songRoot, false},
    {"Song path", &APP_SETTINGS::songPath, true},
    {"Lessons root path", &APP_SETTINGS::lessonsRoot, false},
    {"Lessons path", &APP_SETTINGS::lessonsPath, true},
    {"Groove root path", &APP_SETTINGS::grooveRoot, false},
    {"Groove path", &APP_SETTINGS::groovePath, true},
};

const char* APP_SETTINGS::GetProductWord(int kind) {
    APP_KIND info;
    CCharString unknown;
    return FindApplicationKind(kind, info, unknown) ? info.productWord : nullptr;
}

void APP_SETTINGS::SetDefaultFolders(const char* root) {
    const auto below = [root](const char* name) {
        CCharString folder;
        folder.Format("%s/%s/", root, name);
        return folder;
    };
    mixFolder.Empty();
    shippedGrooveRoot.Empty();
    dataFolder = below("Data");
    soundFolder = below("Sound");
    tutorialsFolder = below("Tutorials");
    modelFolder = below("Models");
    grooveRoot = below("Grooves");
    groovePath = grooveRoot;
    tempFolder = below("Temp");
    midiFolder = below("MIDI");
    waveFolder = below("WAVE");
    songRoot = below("Songs");
    songPath = below("Songs");
    lessonsRoot = below("Lessons");
    lessonsPath = below("Lessons");
}

void APP_SETTINGS::SetInstalledFolders(const FILE_LAYOUT& layout, const char* product,
                                       const char* settingsFolder) {
    const auto below = [](const CCharString& root, const char* name) {
        CCharString folder;
        folder.Format("%s/%s/", root.GetText(), name);
        return folder;
    };
    soundFolder = below(layout.contentRoot, "Sound");
    tutorialsFolder = below(layout.contentRoot, "Tutorials");
    modelFolder = below(layout.contentRoot, "Models");
    lessonsRoot = below(layout.contentRoot, "Lessons");
    lessonsPath = lessonsRoot;
    shippedGrooveRoot = below(layout.contentRoot, "Grooves");
    dataFolder.Format("%s/", layout.userRoot.GetText());
    grooveRoot = below(layout.userRoot, "Grooves");
    groovePath = grooveRoot;
    songRoot = below(layout.documentRoot, "Songs");
    songPath = songRoot;
    midiFolder = below(layout.documentRoot, "MIDI");
    waveFolder = below(layout.documentRoot, "WAVE");
    // The mix and the recovery files beside the settings, as the history.
    if (settingsFolder != nullptr && *settingsFolder != '\0') {
        mixFolder.Format("%s/%s/", settingsFolder, product);
    } else {
        mixFolder = dataFolder;
    }
    tempFolder.Format("%sTemp/", mixFolder.GetText());
}

bool APP_SETTINGS::SetProgramFolders(const char* product, const char* settingsFolder) {
    CCharString root;
    const bool haveRoot = GetProgramFolder(root);
    const FILE_LAYOUT layout = CFileLayout::Find(haveRoot ? root.GetText() : ".", product);
    SetDefaultFolders(haveRoot ? root.GetText() : ".");
    if (layout.installed) {
        SetInstalledFolders(layout, product != nullptr ? product : "Notara", settingsFolder);
    }
    return haveRoot;
}

CCharString APP_SETTINGS::GetMixPath() const {
    CCharString path;
    path.Format("%sDefault.mix", mixFolder.IsEmpty() ? soundFolder.GetText() : mixFolder.GetText());
    return path;
}

bool APP_SETTINGS::Load(ISettingsStore& store, const char* /*title*/, int kind) {
    const char* product = GetProductWord(kind);
    const bool opened = product != nullptr && store.Open(kMaker, product);
    const bool haveRoot = SetProgramFolders(product, opened ? store.GetFolder().c_str() : nullptr);
    if (!opened || !store.Exists()) {
        return false;
    }
    bool all = haveRoot;
    for (const FOLDER_VALUE& value : kFolderValues) {
        if (value.loaded) {
            all = ReadText(store, kProductKey, value.name, kMaxPathSetting, this->*value.folder) &&
                  all;
        }
    }
    for (const auto& [subKey, record] : GetWindowKeys(*this)) {
        all =
            (record != nullptr ? record->Load(store, subKey) : webLogin.Load(store, subKey)) && all;
    }
    all = audio.Load(store, kAudioKey) && all;
    all = LoadHints(store, hints) && all;
    // Optional: settings written before tunes were resumed have none.
    if (!ReadText(store, kTuneKey, "File", kMaxPathSetting, tuneFile) ||
        !ReadInt32(store, kTuneKey, "Note", tuneNote)) {
        tuneFile.Empty();
        tuneNote = 0;
    }
    return all;
}

bool APP_SETTINGS::Save(ISettingsStore& store, const char* /*title*/, int kind) const {
    const char* product = GetProductWord(kind);
    // Opening again keeps values of the store that this record does not know.
    if (product == nullptr || !store.Open(kMaker, product)) {
        return false;
    }
    bool all = true;
    for (const FOLDER_VALUE& value : kFolderValues) {
        all = WriteText(store, kProductKey, value.name, this->*value.folder) && all;
    }
    for (const auto& [subKey, record] : GetWindowKeys(*this)) {
        all =
            (record != nullptr ? record->Save(store, subKey) : webLogin.Save(store, subKey)) && all;
    }
    all = audio.Save(store, kAudioKey) && all;
    all = SaveHints(store, hints) && all;
    all = WriteText(store, kTuneKey, "File", tuneFile) && all;
    all = WriteInt32(store, kTuneKey, "Note", tuneNote) && all;
    return store.Save() && all;
}
