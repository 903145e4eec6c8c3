// The command table and the note-reading kind's commands: every enabled
// item of the kind's menu runs a handler of its table.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/CommandKeys.h"
#include "app/CommandTable.h"
#include "app/Menus.h"
#include "app/NotaraCommands.h"
#include "app/PictureCommands.h"
#include "platform/null/NullBackend.h"

namespace {

void ForEachItem(const std::vector<MENU_ITEM>& items,
                 const std::function<void(const MENU_ITEM&)>& visit) {
    for (const MENU_ITEM& item : items) {
        visit(item);
        ForEachItem(item.items, visit);
    }
}

TEST(CommandTable, RunsTheHandlerOfAnIdAndPassesItsFailureOn) {
    CCommandTable table;
    int runs = 0;
    table.Add(1, [&runs](CCharString&) { return ++runs, true; });
    table.Add({2, 3}, [](CCharString& error) {
        error = "Can't do it: no reason";
        return false;
    });
    CCharString error("untouched");
    EXPECT_TRUE(table.Run(1, error));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(table.Run(99, error)) << "an id without a handler";
    EXPECT_EQ(error, "untouched");
    EXPECT_FALSE(table.Run(3, error));
    EXPECT_EQ(error, "Can't do it: no reason");
    table.Add(1, [](CCharString&) { return false; });
    EXPECT_FALSE(table.Run(1, error)) << "a later handler replaces the earlier one";
    EXPECT_TRUE(table.Has(2));
    EXPECT_FALSE(table.Has(4));
}

TEST(CommandTable, EveryEnabledItemOfTheNoteReadingMenuHasAHandler) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    CCommandTable table;
    FillNotaraCommands(center, table);
    int items = 0;
    ForEachItem(GetMenuBar(kNotaraDemoMenu), [&](const MENU_ITEM& item) {
        if (item.commandId != 0 && item.enabled) {
            ++items;
            EXPECT_TRUE(table.Has(item.commandId)) << item.text << " does nothing";
        }
    });
    EXPECT_GT(items, 10);
}

// The groove kind's menu: every item it offers runs, the song and groove
// commands through the Song Editor.
TEST(CommandTable, EveryItemOfTheGrooveKindsMenuHasAHandler) {
    CNullBackend backend;
    CCenter center(3, "", backend.GetPlatform());
    CCommandTable table;
    FillNotaraCommands(center, table);
    FillPictureCommands(center, table);
    std::vector<int> greyed;
    int items = 0;
    ForEachItem(GetMenuBar(kGrooveMenu), [&](const MENU_ITEM& item) {
        if (item.commandId != 0 && !item.enabled) {
            greyed.push_back(item.commandId);
        } else if (item.commandId != 0) {
            ++items;
            EXPECT_TRUE(table.Has(item.commandId)) << item.text << " does nothing";
        }
    });
    EXPECT_TRUE(greyed.empty());
    EXPECT_EQ(items, 27);
}

// Ctrl with 0, B, D, L and R point the band's camera where the band is the
// picture; elsewhere they stay the scene's own keys.
TEST(CommandKeys, TheBandsCameraKeysHoldOnlyWhereTheBandIs) {
    const struct {
        int key;
        VIEW_COMMAND command;
    } keys[] = {{'0', VIEW_COMMAND::kLookAtBand},
                {'B', VIEW_COMMAND::kLookAtBass},
                {'D', VIEW_COMMAND::kLookAtDrums},
                {'L', VIEW_COMMAND::kLookAtLead},
                {'R', VIEW_COMMAND::kLookAtRhythm}};
    for (const auto& entry : keys) {
        KEY_EVENT key;
        key.key = entry.key;
        key.down = true;
        key.flags = kFlagControl;
        EXPECT_EQ(CCommandKeys::Find(key, false, true), entry.command) << entry.key;
        EXPECT_EQ(CCommandKeys::Find(key, false, false), VIEW_COMMAND::kNone) << entry.key;
        key.flags = 0;
        EXPECT_EQ(CCommandKeys::Find(key, false, true), VIEW_COMMAND::kNone) << entry.key;
        key.flags = kFlagControl;
        key.repeat = true;
        EXPECT_EQ(CCommandKeys::Find(key, false, true), VIEW_COMMAND::kNone) << entry.key;
    }
    KEY_EVENT redraw;
    redraw.key = 'A';
    redraw.down = true;
    redraw.flags = kFlagControl;
    EXPECT_EQ(CCommandKeys::Find(redraw, false, true), VIEW_COMMAND::kRedraw);
}

}  // namespace
