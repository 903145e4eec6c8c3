#pragma once

#include "ui/CustomButton.h"

// A play button: a triangle while stopped, a lit square while it plays,
// which a second click stops.
class CPlayButton : public CCustomButton {
protected:
    ButtonGlyph GlyphFor(bool on) const override {
        return on ? ButtonGlyph::kStop : ButtonGlyph::kPlay;
    }
    bool HasTwoSets() const override { return true; }
};
