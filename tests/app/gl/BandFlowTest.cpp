// The groove kind on Qt opens on the band: a groove started in the Song
// Editor reaches its players note by note while the picture moves, and the
// Picture menu's commands and a lesson's LookAt move the camera.
#include <gtest/gtest.h>

#include <QApplication>
#include <QOpenGLWidget>

#include <filesystem>
#include <system_error>

#include "../../TempFolder.h"
#include "../PrivateFolders.h"
#include "RunUntil.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/PictureKeeper.h"
#include "app/SongKeeper.h"
#include "characters/Band.h"
#include "characters/Drummer.h"
#include "characters/Guitarist.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorLayout.h"
#include "platform/null/NullAudioOut.h"
#include "platform/qt/QtBackend.h"
#include "scene/SpacePainter.h"
#include "theory/Note.h"

namespace {

QOpenGLWidget* FindView() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* view = top->findChild<QOpenGLWidget*>()) {
            if (top->isVisible()) {
                return view;
            }
        }
    }
    return nullptr;
}

TEST(BandFlow, TheBandPlaysTheGrooveStartedInTheSongEditorAndTheCameraFollowsTheMenu) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    platform.createAudioOut = []() -> std::unique_ptr<IAudioOut> {
        return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
    };
    CCenter center(3, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    center.GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    // The rendered samples, linked into a sound folder of this test's own.
    CTempFolder sound("band-sound");
    std::error_code error;
    std::filesystem::copy(
        NOTARA_BINARY_DIR "/Sound", sound.Get(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::create_hard_links,
        error);
    ASSERT_FALSE(error) << error.message();
    center.GetSettings()->soundFolder = (sound.Get() + "/").c_str();
    CBand* band = nullptr;
    ASSERT_TRUE(RunUntil([&] {
        band = center.GetPicture() != nullptr ? center.GetPicture()->GetBand() : nullptr;
        return band != nullptr && center.GetSongs() != nullptr && center.GetSound() != nullptr;
    })) << "the groove kind does not open on the band";
    CSpacePainter& scene = *center.GetSpacePainter();
    EXPECT_FLOAT_EQ(scene.GetCameraDistance(), 8.0f);

    // A groove started in the Song Editor: the drummer and the bassist
    // play its notes as they sound.
    CSongEditorDlg& editor = *center.GetSongs()->GetEditor();
    ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
    editor.RunCommand(CSongEditorLayout::kPlayGroove);
    ASSERT_TRUE(editor.IsPlaying());
    ASSERT_TRUE(RunUntil([&] {
        return band->GetDrummer()->GetNotesPlayed() >= 4 &&
               band->GetBassist()->GetNotesPlayed() >= 1;
    })) << "drums "
        << band->GetDrummer()->GetNotesPlayed() << ", bass "
        << band->GetBassist()->GetNotesPlayed();
    QOpenGLWidget* view = FindView();
    ASSERT_NE(view, nullptr);
    const QImage first = view->grabFramebuffer();
    QImage later;
    ASSERT_TRUE(RunUntil([&] {
        later = view->grabFramebuffer();
        return later != first;
    })) << "the band stands still while the groove plays";
    later.save(NOTARA_BINARY_DIR "/tests/rumblo-band-playing.png");

    // The Picture menu's camera targets.
    ASSERT_TRUE(center.OnCommand(kCommandLookAtDrums)) << center.GetError();
    glm::vec3 eye, lookAt;
    float yaw, pitch, distance;
    ASSERT_TRUE(band->GetCameraTarget(THING_DRUM_SET, CBand::kCameraPositions / 2, eye, lookAt, yaw,
                                      pitch, distance));
    EXPECT_LT(glm::distance(scene.GetEye(), eye), 1e-3);
    ASSERT_TRUE(center.OnCommand(kCommandLookAtBass));
    const glm::vec3 bass0 = scene.GetEye();
    ASSERT_TRUE(center.OnCommand(kCommandLookAtBass));
    EXPECT_GT(glm::distance(scene.GetEye(), bass0), 0.1f) << "Ctrl+B does not walk round";
    ASSERT_TRUE(center.OnCommand(kCommandLookAtBand));
    EXPECT_FLOAT_EQ(scene.GetCameraYaw(), 210.0f);
    // A lesson button's LookAt by name.
    EXPECT_TRUE(center.GetPicture()->LookAt("Crash cymbal"));
    EXPECT_FALSE(center.GetPicture()->LookAt("Tuba"));
    EXPECT_NE(std::string(center.GetPicture()->GetError()).find("Can't look at \"Tuba\""),
              std::string::npos);

    editor.RunCommand(CSongEditorLayout::kPlayGroove);  // stops
    // Built anew, the band stands in its starting poses again, with
    // skinned figures when asked.
    ASSERT_TRUE(center.OnCommand(kCommandBand));
    EXPECT_NE(center.GetPicture()->GetBand(), nullptr);
    ASSERT_TRUE(center.OnCommand(kCommandSkinnedFigures)) << center.GetError();
    EXPECT_TRUE(center.GetPicture()->HasSkinnedFigures());
    ASSERT_NE(center.GetPicture()->GetBand(), nullptr);
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
}

}  // namespace
