#include "editors/Humanization.h"

const std::vector<CHumanization::LEVEL>& CHumanization::GetLevels() {
    static const std::vector<LEVEL> kLevels = {
        {"Robot", 0}, {"Rock star", 20}, {"School", 50}, {"Beginner", 100}};
    return kLevels;
}

int CHumanization::PickLevel(double setting) {
    const std::vector<LEVEL>& levels = GetLevels();
    for (size_t i = 0; i < levels.size(); ++i) {
        if (levels[i].value / kPercent > setting - kPickMargin) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(levels.size()) - 1;
}

void CHumanization::Apply(int index, SONG_EDITOR_SETTINGS& settings) {
    const std::vector<LEVEL>& levels = GetLevels();
    if (index < 0 || index >= static_cast<int>(levels.size())) {
        return;
    }
    settings.humanization = levels[static_cast<size_t>(index)].value / kPercent;
    settings.timeSpread = kSpreadShare * settings.humanization;
    settings.volumeSpread = kSpreadShare * settings.humanization;
}
