#pragma once

#include "ui/CustomButton.h"

// The record button: a dim dot while off, a bright red one while recording.
class CRecordButton : public CCustomButton {
protected:
    ButtonGlyph GlyphFor(bool) const override { return ButtonGlyph::kRecord; }
    bool HasTwoSets() const override { return true; }
};
