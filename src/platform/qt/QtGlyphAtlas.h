#pragma once

#include <string>

#include "platform/GlDevice.h"

// Renders the Latin-1 characters of a font face into a coverage atlas with
// QPainter.
class CQtGlyphAtlas {
public:
    static bool Make(const char* face, int pixelHeight, GLYPH_ATLAS& atlas, std::string& error);
};
