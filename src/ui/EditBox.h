#pragma once

#include "foundation/CharString.h"
#include "ui/DialogItem.h"

// A line of text the user types into a dialog, read and written as text,
// as a whole number or as a real number (with a point before the decimals
// whatever the locale).
class CEditBox : public CDialogItem {
public:
    static constexpr size_t kMaxLine = 10240;  // characters read at most

    bool GetText(CCharString& text) const;
    bool SetInt(int value);
    // False when the text is no whole number; value is left as it was.
    bool GetInt(int& value) const;
    bool SetReal(double value, int decimals);
    // False when the text is no number; value is left as it was.
    bool GetReal(double& value) const;
};
