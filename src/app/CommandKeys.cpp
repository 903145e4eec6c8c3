#include "app/CommandKeys.h"

namespace {

struct COMMAND_KEY {
    int key;
    int flags;  // the modifiers that must be held
    VIEW_COMMAND command;
};

constexpr COMMAND_KEY kCommandKeys[] = {
    {kKeyEnter, kFlagAlt, VIEW_COMMAND::kToggleFullScreen},
    {kKeyEscape, 0, VIEW_COMMAND::kLeaveFullScreen},
    {kKeyF1, 0, VIEW_COMMAND::kShowLessons},
    {'A', kFlagControl, VIEW_COMMAND::kRedraw},
    {'N', kFlagControl, VIEW_COMMAND::kNewPicture},
};

constexpr COMMAND_KEY kBandKeys[] = {
    {'0', kFlagControl, VIEW_COMMAND::kLookAtBand},
    {'B', kFlagControl, VIEW_COMMAND::kLookAtBass},
    {'D', kFlagControl, VIEW_COMMAND::kLookAtDrums},
    {'L', kFlagControl, VIEW_COMMAND::kLookAtLead},
    {'R', kFlagControl, VIEW_COMMAND::kLookAtRhythm},
};

bool Matches(const COMMAND_KEY& entry, const KEY_EVENT& key) {
    return entry.key == key.key && (key.flags & entry.flags) == entry.flags;
}

}  // namespace

VIEW_COMMAND CCommandKeys::Find(const KEY_EVENT& key, bool fullScreen, bool band) {
    if (!key.down || key.repeat) {
        return VIEW_COMMAND::kNone;
    }
    for (const COMMAND_KEY& entry : kBandKeys) {
        if (band && Matches(entry, key)) {
            return entry.command;
        }
    }
    for (const COMMAND_KEY& entry : kCommandKeys) {
        if (Matches(entry, key)) {
            if (entry.command == VIEW_COMMAND::kLeaveFullScreen && !fullScreen) {
                return VIEW_COMMAND::kNone;
            }
            return entry.command;
        }
    }
    return VIEW_COMMAND::kNone;
}
