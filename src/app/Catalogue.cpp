#include "app/Catalogue.h"

#include "theory/Note.h"

namespace {

constexpr const char* kGrooves = "Grooves/Grooves Content.txt";
constexpr const char* kScales = "Scales/Scales Content.txt";
constexpr const char* kNotara = "Notara/Notara Content.txt";

constexpr int kGuitar = THING_LEAD_GUITAR;
constexpr int kKeys = THING_KEYBOARD;

// kind, title, icon, menu, tray, product word, log, scene, picture,
// instrument, content files
const APP_KIND kCatalogue[] = {
    {1, "Workbench", 1009, 1131, true, "Workbench", true, true, kPictureNotes, kGuitar, {kNotara}},
    {2,
     "Rumblo Demo",
     1139,
     1241,
     false,
     "Rumblo",
     false,
     true,
     kPictureGrooves,
     kGuitar,
     {kGrooves}},
    {3, "Rumblo", 1139, 1241, false, "Rumblo", false, true, kPictureGrooves, kGuitar, {kGrooves}},
    {4,
     "Modewise",
     1587,
     1436,
     false,
     "Modewise",
     false,
     true,
     kPictureNotes,
     kGuitar,
     {kScales, kGrooves}},
    {5,
     "Modewise Demo",
     1587,
     1436,
     false,
     "Modewise",
     false,
     true,
     kPictureNotes,
     kGuitar,
     {kScales, kGrooves}},
    {6, "Tunesmith", 1589, 1441, false, "Tunesmith", false, false, kPictureNone, kGuitar, {}},
    {7, "Tunesmith Demo", 1589, 1452, false, "Tunesmith", false, false, kPictureNone, kGuitar, {}},
    {8, "Auralis", 1591, 1443, false, "Auralis", false, false, kPictureNone, kGuitar, {}},
    {9, "Auralis Demo", 1591, 1449, false, "Auralis", false, false, kPictureNone, kGuitar, {}},
    {10, "Notara", 1593, 1445, false, "Notara", false, true, kPictureNotes, kKeys, {kNotara}},
    {11, "Notara Demo", 1593, 1447, false, "Notara", false, true, kPictureNotes, kKeys, {kNotara}},
    {12, "Huedance", 1137, 1134, false, "Huedance", false, false, kPictureNone, kGuitar, {}},
    {13, "Huecraft", 1120, 1138, false, "Huegallery", false, false, kPictureNone, kGuitar, {}},
};

}  // namespace

bool FindApplicationKind(int kind, APP_KIND& info, CCharString& error) {
    for (const APP_KIND& entry : kCatalogue) {
        if (entry.kind == kind) {
            info = entry;
            return true;
        }
    }
    error.Format("Unknown application %d", kind);
    return false;
}
