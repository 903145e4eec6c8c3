// The controls over a dialog's items on the null platform: radio groups,
// edit boxes read as numbers, list boxes with data, and the program's own
// buttons with their images and the moment their command runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/WindowHandler.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "ui/CmdButton.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/PlayButton.h"
#include "ui/RadioButton.h"
#include "ui/RecordButton.h"

namespace {

enum { kSlow = 10, kFast, kSwing, kStraight, kTempo, kStyles, kPlay, kRecord, kApply };

struct HANDLER : IControlDialogHandler, IWindowHandler {
    void OnControl(int id, ControlEvent event) override { heard.push_back({id, event}); }
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}
    std::vector<std::pair<int, ControlEvent>> heard;
};

CONTROL_ITEM Item(ControlKind kind, int id, const char* text, int group = 0) {
    CONTROL_ITEM item{kind, id, text, WINDOW_RECT{0, 0, 40, 24}, ""};
    item.group = group;
    return item;
}

DIALOG_TEMPLATE Template() {
    DIALOG_TEMPLATE dialog;
    dialog.title = "Groove";
    dialog.width = 300;
    dialog.height = 200;
    dialog.items = {Item(ControlKind::kRadioButton, kSlow, "Slow", 1),
                    Item(ControlKind::kRadioButton, kFast, "Fast", 1),
                    Item(ControlKind::kRadioButton, kSwing, "Swing", 2),
                    Item(ControlKind::kRadioButton, kStraight, "Straight", 2),
                    Item(ControlKind::kEditBox, kTempo, "120"),
                    Item(ControlKind::kListBox, kStyles, ""),
                    Item(ControlKind::kImageButton, kPlay, ""),
                    Item(ControlKind::kImageButton, kRecord, ""),
                    Item(ControlKind::kImageButton, kApply, "")};
    return dialog;
}

class CControls : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto made = m_backend.GetWindowSystem().CreateControlDialog(Template(), &m_handler,
                                                                    &m_handler, nullptr, error);
        ASSERT_TRUE(made) << error;
        m_owned = std::move(made);
        m_dialog = static_cast<CNullControlDialog*>(m_owned.get());
    }

    std::vector<uint32_t> Shown(int id) const {
        int width = 0, height = 0;
        std::vector<uint32_t> argb;
        m_dialog->GetPicture(id, width, height, argb);
        return argb;
    }

    CNullBackend m_backend;
    HANDLER m_handler;
    std::unique_ptr<IControlDialog> m_owned;
    CNullControlDialog* m_dialog = nullptr;
};

TEST_F(CControls, ARadioButtonUnchecksTheOthersOfItsGroupOnly) {
    CRadioButton slow, fast, swing;
    slow.Attach(m_dialog, kSlow);
    fast.Attach(m_dialog, kFast);
    swing.Attach(m_dialog, kSwing);
    ASSERT_TRUE(slow.SetCheck(true));
    ASSERT_TRUE(swing.SetCheck(true));
    ASSERT_TRUE(m_dialog->Click(kFast));
    EXPECT_FALSE(slow.GetCheck());
    EXPECT_TRUE(fast.GetCheck());
    EXPECT_TRUE(swing.GetCheck()) << "another group's choice was taken away";
    ASSERT_EQ(m_handler.heard.size(), 1u);
    EXPECT_EQ(m_handler.heard[0].second, ControlEvent::kClicked);
    CRadioButton missing;
    missing.Attach(m_dialog, kTempo);  // an edit box, not a radio button
    EXPECT_FALSE(missing.SetCheck(true));
}

TEST_F(CControls, AnEditBoxReadsNumbersWithAPointAndRefusesOtherText) {
    CEditBox tempo;
    tempo.Attach(m_dialog, kTempo);
    int whole = 0;
    ASSERT_TRUE(tempo.GetInt(whole));
    EXPECT_EQ(whole, 120);
    ASSERT_TRUE(tempo.SetReal(0.3, 2));
    CCharString text;
    ASSERT_TRUE(tempo.GetText(text));
    EXPECT_EQ(text, "0.30");
    ASSERT_TRUE(m_dialog->Type(kTempo, " 96.5 "));
    EXPECT_EQ(m_handler.heard.back().second, ControlEvent::kEdited);
    double real = 0.0;
    ASSERT_TRUE(tempo.GetReal(real));
    EXPECT_DOUBLE_EQ(real, 96.5);
    EXPECT_FALSE(tempo.GetInt(whole)) << "96.5 is no whole number";
    EXPECT_EQ(whole, 120) << "a refused number leaves the value";
    for (const char* bad : {"", "12a", "1,5", "--3", "0x10"}) {
        ASSERT_TRUE(m_dialog->Type(kTempo, bad));
        EXPECT_FALSE(tempo.GetReal(real)) << bad;
    }
    ASSERT_TRUE(m_dialog->Type(kTempo, std::string(CEditBox::kMaxLine + 50, '7').c_str()));
    ASSERT_TRUE(tempo.GetText(text));
    EXPECT_EQ(text.Str().size(), CEditBox::kMaxLine) << "a line is read up to its limit";
    ASSERT_TRUE(tempo.SetInt(-4));
    ASSERT_TRUE(tempo.GetInt(whole));
    EXPECT_EQ(whole, -4);
}

TEST_F(CControls, AListBoxKeepsEachItemsDataAndAComboBoxIsOne) {
    CListBox styles;
    styles.Attach(m_dialog, kStyles);
    ASSERT_TRUE(styles.AddItem("Blues", "Grooves/Blues"));
    ASSERT_TRUE(styles.AddItem("Rock", "Grooves/Rock"));
    EXPECT_EQ(styles.GetSelection(), -1);
    ASSERT_TRUE(styles.SelectByData("Grooves/Rock"));
    CCharString data;
    ASSERT_TRUE(styles.GetSelectionText(data));
    EXPECT_EQ(data, "Rock");
    ASSERT_TRUE(m_dialog->Choose(kStyles, 0));
    EXPECT_EQ(m_handler.heard.back().second, ControlEvent::kSelectionChanged);
    ASSERT_TRUE(styles.GetSelectionData(data));
    EXPECT_EQ(data, "Grooves/Blues");
    EXPECT_FALSE(styles.SelectByData("Grooves/Waltz"));
    ASSERT_TRUE(styles.Clear());
    EXPECT_EQ(styles.GetCount(), 0);
    CComboBox notAList;
    notAList.Attach(m_dialog, kTempo);
    EXPECT_FALSE(notAList.AddItem("x", "y"));
}

TEST_F(CControls, AButtonsCommandRunsWhenItGoesDownOrWhenSetSoWhenItComesUp) {
    std::string error;
    CCmdButton apply;
    apply.Attach(m_dialog, kApply);
    ASSERT_TRUE(apply.Create(m_backend.GetWindowSystem(), 60, 22, "Apply", error)) << error;
    const std::vector<uint32_t> up = Shown(kApply);
    ASSERT_FALSE(up.empty());
    EXPECT_TRUE(apply.OnEvent(ControlEvent::kPressed)) << "the command runs on the press";
    EXPECT_EQ(apply.GetState(), CCustomButton::kStateDown);
    EXPECT_NE(Shown(kApply), up) << "no down image";
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kReleased));
    EXPECT_EQ(Shown(kApply), up);
    apply.SetCommandOnPress(false);
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kPressed));
    EXPECT_TRUE(apply.OnEvent(ControlEvent::kReleased)) << "set so, it runs on the release";
    // Pressed, then left: up again and no command.
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kPressed));
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kLeft));
    EXPECT_EQ(apply.GetState(), CCustomButton::kStateUp);
    // Greyed: its own image, and no command whatever the mouse does.
    ASSERT_TRUE(apply.Enable(false));
    const std::vector<uint32_t> greyed = Shown(kApply);
    EXPECT_NE(greyed, up);
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kPressed));
    EXPECT_FALSE(apply.OnEvent(ControlEvent::kReleased));
    EXPECT_EQ(Shown(kApply), greyed);
    ASSERT_TRUE(apply.Enable(true));
    EXPECT_EQ(Shown(kApply), up);
}

// A caption too wide for its button is not drawn cut: the button shows the
// menu mark, three short lines across its middle.
TEST_F(CControls, ANarrowCommandButtonShowsTheMenuMarkInPlaceOfACutCaption) {
    std::string error;
    CCmdButton commands;
    commands.Attach(m_dialog, kApply);
    constexpr int kSide = 28;
    ASSERT_TRUE(
        commands.Create(m_backend.GetWindowSystem(), kSide, kSide, "Groove commands", error))
        << error;
    const std::vector<uint32_t> face = Shown(kApply);
    ASSERT_EQ(face.size(), static_cast<size_t>(kSide * kSide));
    int runs = 0;
    bool inInk = false;
    for (int y = 2; y < kSide - 2; ++y) {
        const uint32_t pixel = face[static_cast<size_t>(y * kSide + kSide / 2)];
        const bool ink = ((pixel >> 16) & 0xFF) < 100 && ((pixel >> 8) & 0xFF) < 100;
        runs += ink && !inInk ? 1 : 0;
        inInk = ink;
    }
    EXPECT_EQ(runs, 3) << "no menu mark on a narrow command button";
}

TEST_F(CControls, ToggleButtonsShowTheImagesOfTheirState) {
    std::string error;
    CPlayButton play;
    play.Attach(m_dialog, kPlay);
    CRecordButton record;
    record.Attach(m_dialog, kRecord);
    ASSERT_TRUE(play.Create(m_backend.GetWindowSystem(), 32, 32, "", error)) << error;
    ASSERT_TRUE(record.Create(m_backend.GetWindowSystem(), 32, 32, "", error)) << error;
    const std::vector<uint32_t> stopped = Shown(kPlay);
    ASSERT_TRUE(play.SetState(true));
    EXPECT_TRUE(play.IsOn());
    EXPECT_NE(Shown(kPlay), stopped) << "a playing button looks as when stopped";
    ASSERT_TRUE(play.SetState(false));
    EXPECT_EQ(Shown(kPlay), stopped);
    // The state keeps the greyed look of a disabled button.
    ASSERT_TRUE(record.Enable(false));
    const std::vector<uint32_t> greyedOff = Shown(kRecord);
    ASSERT_TRUE(record.SetState(true));
    EXPECT_FALSE(record.IsEnabled());
    EXPECT_FALSE(record.OnEvent(ControlEvent::kPressed));
    EXPECT_NE(Shown(kRecord), Shown(kPlay));
    // A button without an item to show on says so.
    CCmdButton lost;
    lost.Attach(m_dialog, 999);
    EXPECT_FALSE(lost.Create(m_backend.GetWindowSystem(), 20, 20, "?", error));
    EXPECT_FALSE(lost.Create(m_backend.GetWindowSystem(), 2, 2, "?", error));
    EXPECT_NE(error.find("3 by 3"), std::string::npos) << error;
    (void)greyedOff;
}

TEST_F(CControls, ImageButtonsAndEditBoxesAreToldByTheNullPlatformAsAUsersHand) {
    EXPECT_TRUE(m_dialog->Press(kPlay, ControlEvent::kPressed));
    EXPECT_TRUE(m_dialog->Press(kPlay, ControlEvent::kReleased));
    EXPECT_FALSE(m_dialog->Press(kPlay, ControlEvent::kMoved));
    EXPECT_FALSE(m_dialog->Press(kTempo, ControlEvent::kPressed)) << "not an image button";
    EXPECT_FALSE(m_dialog->Type(kStyles, "text")) << "not an edit box";
    ASSERT_EQ(m_handler.heard.size(), 2u);
    std::string text;
    ASSERT_TRUE(m_dialog->GetItemText(kTempo, text));
    EXPECT_EQ(text, "120");
}

}  // namespace
