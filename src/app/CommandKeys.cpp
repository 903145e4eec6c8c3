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

}  // namespace

VIEW_COMMAND CCommandKeys::Find(const KEY_EVENT& key, bool fullScreen) {
    if (!key.down || key.repeat) {
        return VIEW_COMMAND::kNone;
    }
    for (const COMMAND_KEY& entry : kCommandKeys) {
        if (entry.key == key.key && (key.flags & entry.flags) == entry.flags) {
            if (entry.command == VIEW_COMMAND::kLeaveFullScreen && !fullScreen) {
                return VIEW_COMMAND::kNone;
            }
            return entry.command;
        }
    }
    return VIEW_COMMAND::kNone;
}
