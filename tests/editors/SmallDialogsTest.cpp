#include <gtest/gtest.h>

#include "editors/EditDlg.h"
#include "editors/GrooveInfoDlg.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"

class GrooveInfoTest : public testing::Test {
protected:
    void SetUp() override {
        GROOVE_INFO info;
        info.name = "Shuffle";
        ASSERT_TRUE(m_dialog.Ask(nullptr, {"Blues", "Rock"}, info, [this](const GROOVE_INFO& got) {
            m_accepted = got;
            return true;
        }));
        m_items = static_cast<CNullControlDialog*>(m_dialog.GetDialog());
    }
    std::string Refusal() {
        ASSERT_OK();
        return m_backend.GetWindowSystem().GetBoxes().back().text;
    }
    void ASSERT_OK() { m_items->Click(IControlDialog::kIdOk); }

    CNullBackend m_backend;
    CGrooveInfoDlg m_dialog{m_backend.GetWindowSystem(), m_backend.GetEventLoop()};
    CNullControlDialog* m_items = nullptr;
    GROOVE_INFO m_accepted;
};

TEST_F(GrooveInfoTest, NineBarsAreRefused) {
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kBarsId, "9"));
    EXPECT_EQ(Refusal(), "The maximum number of measures is 8");
    EXPECT_EQ(m_backend.GetWindowSystem().GetBoxes().back().caption, "Required Field");
    EXPECT_FALSE(m_dialog.IsFinished());
}

TEST_F(GrooveInfoTest, ThreeTwoTimeIsRefused) {
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kNumeratorId, "3"));
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kDenominatorId, "2"));
    EXPECT_EQ(Refusal(),
              "Denominator in the time signature\ncan be only 4 or 8:\n4/4, 3/4, 7/8, etc.");
    EXPECT_FALSE(m_dialog.IsFinished());
}

TEST_F(GrooveInfoTest, ChecksComeInOrderBarsDenominatorStyleName) {
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kBarsId, "9"));
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kDenominatorId, "2"));
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kNameId, ""));
    EXPECT_EQ(Refusal(), CGrooveInfoDlg::kTooManyBars);
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kBarsId, "2"));
    EXPECT_EQ(Refusal(), CGrooveInfoDlg::kBadDenominator);
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kDenominatorId, "8"));
    EXPECT_EQ(Refusal(), "Groove style is required.");
    ASSERT_TRUE(m_items->Choose(CGrooveInfoDlg::kStyleId, 0));
    EXPECT_EQ(Refusal(), "Groove name is required.");
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kNameId, "Slow"));
    ASSERT_TRUE(m_items->Type(CGrooveInfoDlg::kNumeratorId, "7"));
    ASSERT_OK();
    EXPECT_TRUE(m_dialog.IsFinished());
    EXPECT_EQ(m_accepted.style, "Blues");
    EXPECT_EQ(m_accepted.name, "Slow");
    EXPECT_EQ(m_accepted.measureBeats, 7);
    EXPECT_EQ(m_accepted.beatNote, 8);
    EXPECT_EQ(m_accepted.measures, 2);
}

TEST(EditDlgTest, EmptyTextIsRefusedUntilCancel) {
    CNullBackend backend;
    CEditDlg dialog(backend.GetWindowSystem(), backend.GetEventLoop());
    int answers = 0;
    ASSERT_TRUE(dialog.Ask(nullptr, "New song's name", "", [&answers](const CCharString&) {
        ++answers;
        return true;
    }));
    auto* items = static_cast<CNullControlDialog*>(dialog.GetDialog());
    EXPECT_EQ(items->GetTitle(), "New song's name");
    ASSERT_TRUE(items->Click(IControlDialog::kIdOk));
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text,
              "Please enter some text\nor press 'Cancel' to exit.");
    EXPECT_FALSE(dialog.IsFinished());
    ASSERT_TRUE(items->Click(IControlDialog::kIdCancel));
    EXPECT_TRUE(dialog.IsFinished());
    EXPECT_FALSE(dialog.WasAccepted());
    EXPECT_EQ(answers, 0);
}
