#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "platform/null/NullImagePainter.h"

namespace {

constexpr int kPicture = 21;
constexpr int kCaption = 22;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kHalfWhite = 0x80FFFFFF;

class CQuietHandler : public IWindowHandler, public IControlDialogHandler {
public:
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}
    void OnControl(int, ControlEvent) override {}
};

DIALOG_TEMPLATE PictureDialog() {
    DIALOG_TEMPLATE dialog;
    dialog.title = "Pictures";
    dialog.width = 200;
    dialog.height = 100;
    dialog.items = {
        {ControlKind::kPicture, kPicture, "", {10, 10, 40, 20}, ""},
        {ControlKind::kLabel, kCaption, "Caption", {10, 40, 80, 20}, ""},
    };
    return dialog;
}

uint32_t At(const std::vector<uint32_t>& argb, int width, int x, int y) {
    return argb[static_cast<size_t>(y) * width + x];
}

}  // namespace

TEST(NullPicture, ASetPictureReadsBackAndOnlyPictureItemsTakeOne) {
    CNullBackend backend;
    CQuietHandler handler;
    std::string error;
    auto made = backend.GetWindowSystem().CreateControlDialog(PictureDialog(), &handler, &handler,
                                                              nullptr, error);
    ASSERT_TRUE(made) << error;
    auto& dialog = static_cast<CNullControlDialog&>(*made);
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    EXPECT_FALSE(dialog.GetPicture(kPicture, width, height, argb)) << "nothing set yet";

    const std::vector<uint32_t> pixels = {kRed, kBlue, kBlue, kRed, kRed, kBlue};
    ASSERT_TRUE(dialog.SetPicture(kPicture, 3, 2, pixels));
    ASSERT_TRUE(dialog.GetPicture(kPicture, width, height, argb));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(argb, pixels);

    EXPECT_FALSE(dialog.SetPicture(kPicture, 4, 2, pixels)) << "size and pixels disagree";
    EXPECT_FALSE(dialog.SetPicture(kCaption, 3, 2, pixels)) << "a label takes no picture";
    EXPECT_FALSE(dialog.SetPicture(99, 3, 2, pixels));
    ASSERT_TRUE(dialog.GetPicture(kPicture, width, height, argb));
    EXPECT_EQ(width, 3) << "a refused picture changes nothing";
}

TEST(NullPicture, TheWindowSystemsPainterFillsShapesAndMeasuresText) {
    CNullBackend backend;
    std::unique_ptr<IImagePainter> painter = backend.GetWindowSystem().CreateImagePainter();
    ASSERT_TRUE(painter);
    std::string error;
    EXPECT_FALSE(painter->Begin(0, 10, error));
    EXPECT_FALSE(error.empty());
    constexpr int kSide = 40;
    ASSERT_TRUE(painter->Begin(kSide, kSide, error)) << error;
    painter->FillRect(0, 0, 20, 20, kRed);
    painter->FillEllipse(30, 30, 5, 5, kBlue);
    painter->DrawLine(0, 35, 20, 35, 2, kBlue);
    painter->FillRect(0, 0, 10, 10, kHalfWhite);
    painter->DrawText("Sans", 12, 0, 30, "Hello", kRed);
    const float width = painter->MeasureText("Sans", 12, "Hello");
    EXPECT_GT(width, 20.0f);
    EXPECT_LT(width, 60.0f);
    EXPECT_GT(painter->MeasureText("Sans", 12, "Hello, world"), width);
    std::vector<uint32_t> argb;
    ASSERT_TRUE(painter->End(argb, error)) << error;
    ASSERT_EQ(argb.size(), static_cast<size_t>(kSide * kSide));
    EXPECT_EQ(At(argb, kSide, 15, 15), kRed);
    EXPECT_EQ(At(argb, kSide, 30, 30), kBlue);
    EXPECT_EQ(At(argb, kSide, 10, 35), kBlue);
    EXPECT_EQ(At(argb, kSide, 25, 5), 0u) << "untouched pixels stay transparent";
    EXPECT_EQ(At(argb, kSide, 34, 26), 0u) << "outside the circle";
    const uint32_t blended = At(argb, kSide, 5, 5);
    EXPECT_EQ(blended >> 24, 0xFFu);
    EXPECT_GT((blended >> 8) & 0xFF, 0x70u) << "half white over red";
    EXPECT_LT((blended >> 8) & 0xFF, 0x90u);
    const auto& texts = static_cast<CNullImagePainter&>(*painter).GetTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Hello");
    EXPECT_FALSE(painter->End(argb, error)) << "painting ended already";
}

TEST(NullPicture, AnImageButtonTellsThePointerAndOtherItemsRefuseIt) {
    class CPointerHandler : public CQuietHandler {
    public:
        void OnPointer(int id, const POINTER_EVENT& event) override {
            heard.emplace_back(id, event);
        }
        std::vector<std::pair<int, POINTER_EVENT>> heard;
    };
    constexpr int kButton = 23;
    CNullBackend backend;
    CPointerHandler handler;
    DIALOG_TEMPLATE template_ = PictureDialog();
    template_.items.push_back({ControlKind::kImageButton, kButton, "", {60, 10, 40, 20}, ""});
    std::string error;
    auto made = backend.GetWindowSystem().CreateControlDialog(template_, &handler, &handler,
                                                              nullptr, error);
    ASSERT_TRUE(made) << error;
    auto& dialog = static_cast<CNullControlDialog&>(*made);
    POINTER_EVENT event;
    event.kind = POINTER_EVENT::kPress;
    event.x = 7;
    event.y = 3;
    event.button = POINTER_EVENT::kRight;
    event.ctrl = true;
    ASSERT_TRUE(dialog.Point(kButton, event));
    EXPECT_FALSE(dialog.Point(kPicture, event)) << "a plain picture tells nothing";
    EXPECT_FALSE(dialog.Point(99, event));
    ASSERT_EQ(handler.heard.size(), 1u);
    EXPECT_EQ(handler.heard[0].first, kButton);
    EXPECT_EQ(handler.heard[0].second.kind, POINTER_EVENT::kPress);
    EXPECT_EQ(handler.heard[0].second.x, 7);
    EXPECT_EQ(handler.heard[0].second.y, 3);
    EXPECT_EQ(handler.heard[0].second.button, POINTER_EVENT::kRight);
    EXPECT_TRUE(handler.heard[0].second.ctrl);
}
