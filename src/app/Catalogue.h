#pragma once

#include "foundation/CharString.h"

// One application kind of the catalogue: what the kind is called and which
// icon and menu it carries.
struct APP_KIND {
    int kind = 0;
    const char* title = "";
    int iconId = 0;
    int menuId = 0;
    bool startInTray = false;
};

constexpr int kNotaraDemoKind = 11;

// Looks kind up; false with "Unknown application %d" in error otherwise.
bool FindApplicationKind(int kind, APP_KIND& info, CCharString& error);
