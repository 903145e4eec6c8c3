#include "app/PictureCommands.h"

#include <string>

#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/CommandTable.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/PictureKeeper.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"
#include "theory/Note.h"

namespace {

constexpr const char* kNoBand = "Can't point the camera: the picture shows no band";

CCommandTable::Handler LookAt(CCenter& center, int thing) {
    return [&center, thing](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr || !picture->LookAt(thing)) {
            error = kNoBand;
            return false;
        }
        return true;
    };
}

// "Load mesh..." and "Load skinned mesh...": any file, shown alone; one
// that can't be shown is told and the picture before stays.
CCommandTable::Handler LoadMesh(CCenter& center, bool skinned) {
    return [&center, skinned](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr) {
            error = "Can't show a mesh: there is no picture";
            return false;
        }
        IWindow* main = center.GetMainWindow()->GetWindow();
        IWindowSystem& windows = *center.GetPlatform().windowSystem;
        std::string path;
        if (!windows.ChooseFileToOpen(
                main, skinned ? "Load skinned mesh" : "Load mesh",
                center.GetSettings()->modelFolder.GetText(),
                "Models (*.x *.obj *.fbx *.dae *.3ds *.ply *.stl);;All files (*)", path)) {
            return true;  // cancelled
        }
        if (!picture->ShowMesh(path.c_str(), skinned)) {
            windows.MessageBox(main, picture->GetError(), center.GetTitle(), BoxIcon::kExclamation,
                               BoxButtons::kOk);
        }
        return true;
    };
}

}  // namespace

void FillPictureCommands(CCenter& center, CCommandTable& table) {
    table.Add(kCommandLookAtBand, LookAt(center, THING_BAND));
    table.Add(kCommandLookAtLead, LookAt(center, THING_LEAD_GUITAR));
    table.Add(kCommandLookAtRhythm, LookAt(center, THING_RHYTHM_GUITAR));
    table.Add(kCommandLookAtDrums, LookAt(center, THING_DRUM_SET));
    table.Add(kCommandLookAtBass, [&center](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr || !picture->LookAtBassistNext()) {
            error = kNoBand;
            return false;
        }
        return true;
    });
    table.Add(kCommandSkinnedFigures, [&center](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr || !picture->SetSkinnedFigures(!picture->HasSkinnedFigures())) {
            error =
                picture != nullptr ? picture->GetError() : "Can't change the figures: no picture";
            return false;
        }
        center.ShowMenu();
        return true;
    });
    table.Add(kCommandLoadMesh, LoadMesh(center, false));
    table.Add(kCommandLoadSkinnedMesh, LoadMesh(center, true));
    table.Add(kCommandBand, [&center](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr || !picture->ShowBand()) {
            error = picture != nullptr ? picture->GetError() : "Can't show the band: no picture";
            return false;
        }
        return true;
    });
}
