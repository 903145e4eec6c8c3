#pragma once

#include "foundation/CharString.h"

// One line of a tutorial document as the document display reads it. A line
// that begins with "<" carries a tag, the text up to the next ">"; the rest
// is its content. Tag "b" is an action button whose content is the caption,
// "~^" and the parameter text handed on when the button is clicked. Tags "1",
// "2" and "3" are headings; a line with any other tag is not shown.
struct DOCUMENT_LINE {
    static constexpr const char* kButtonTag = "b";
    static constexpr const char* kParameterMark = "~^";

    // Splits line; a "<" without a closing ">" leaves the whole line as
    // untagged content.
    void Parse(const char* line);
    bool IsButton() const { return tag == kButtonTag; }
    // Shown lines are untagged or headings.
    bool IsShown() const { return tag.IsEmpty() || tag == "1" || tag == "2" || tag == "3"; }

    CCharString tag;
    CCharString content;
    // For buttons: the content before and after "~^".
    CCharString caption;
    CCharString parameters;
};
