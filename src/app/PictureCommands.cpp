#include "app/PictureCommands.h"

#include "app/Center.h"
#include "app/CommandTable.h"
#include "app/Menus.h"
#include "app/PictureKeeper.h"
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
    table.Add(kCommandBand, [&center](CCharString& error) {
        CPictureKeeper* picture = center.GetPicture();
        if (picture == nullptr || !picture->ShowBand()) {
            error = picture != nullptr ? picture->GetError() : "Can't show the band: no picture";
            return false;
        }
        return true;
    });
}
