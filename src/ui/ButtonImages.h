#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IImagePainter;

// The images of a button: up, down and greyed, each width x height ARGB
// pixels, top row first.
struct BUTTON_IMAGES {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> up;
    std::vector<uint32_t> down;
    std::vector<uint32_t> disabled;
};

// What a button's face shows.
enum class ButtonGlyph {
    kRecord,   // a round dot
    kPlay,     // a triangle pointing right
    kStop,     // a square
    kCaption,  // the button's caption
};

// Paints the images of the program's own buttons: a raised face in the
// light colour (up), a sunken face in the dark one (down) and a grey face
// (greyed), each with its glyph; lit glyphs are drawn in their bright
// colour, unlit ones in a dim one.
class CButtonImages {
public:
    // The faces' colours as the platform keeps them (0x00BBGGRR).
    static constexpr uint32_t kLightColor = 0xC0C0FF;
    static constexpr uint32_t kDarkColor = 0x8080FF;

    // False with the painter's reason in error.
    static bool Paint(IImagePainter& painter, int width, int height, ButtonGlyph glyph, bool lit,
                      const char* caption, BUTTON_IMAGES& images, std::string& error);
    // A colour kept as 0x00BBGGRR, as opaque ARGB.
    static uint32_t ToArgb(uint32_t colorRef);
};
