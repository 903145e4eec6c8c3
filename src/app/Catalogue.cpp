#include "app/Catalogue.h"

namespace {

constexpr APP_KIND kCatalogue[] = {
    {1, "Workbench", 1009, 1131, true},       {2, "Rumblo Demo", 1139, 1241, false},
    {3, "Rumblo", 1139, 1241, false},         {4, "Modewise", 1587, 1436, false},
    {5, "Modewise Demo", 1587, 1436, false},  {6, "Tunesmith", 1589, 1441, false},
    {7, "Tunesmith Demo", 1589, 1452, false}, {8, "Auralis", 1591, 1443, false},
    {9, "Auralis Demo", 1591, 1449, false},   {10, "Notara", 1593, 1445, false},
    {11, "Notara Demo", 1593, 1447, false},   {12, "Huedance", 1137, 1134, false},
    {13, "Huecraft", 1120, 1138, false},
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
