#pragma once

#include <vector>

#include "editors/SongEditorSettings.h"

// The humanization levels of the editor's "Human." list.
class CHumanization {
public:
    struct LEVEL {
        const char* name;
        int value;  // percent
    };
    // The playback amounts are this share of the setting.
    static constexpr double kSpreadShare = 0.3;
    // A stored setting picks the first level above it less this.
    static constexpr double kPickMargin = 0.05;
    static constexpr double kPercent = 100.0;

    static const std::vector<LEVEL>& GetLevels();
    // The level shown for a stored setting (the last when none is above).
    static int PickLevel(double setting);
    // Sets the setting and its playback amounts from the level at index.
    static void Apply(int index, SONG_EDITOR_SETTINGS& settings);
};
