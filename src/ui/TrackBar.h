#pragma once

#include "ui/DialogItem.h"

// A slider that shows a value: positions map to values proportionally
// through zero, so a range is either symmetric (a pan slider: positions
// -50..50 for values -1.0..1.0) or starts at 0 (a volume slider).
class CTrackBar : public CDialogItem {
public:
    bool SetRange(int minPosition, int maxPosition, int pageSize, double minValue, double maxValue);
    // Moves the knob to the nearest position; values beyond the range stop
    // at its ends.
    bool SetValue(double value);
    // The value of the knob's position; 0 when the item is missing.
    double GetValue() const;
    bool SetTick(int position) {
        return m_dialog != nullptr && m_dialog->SetSliderTick(m_id, position);
    }

    // The position that shows value, and the value of a position.
    int ToPosition(double value) const;
    double ToValue(int position) const;

private:
    int m_minPosition = 0;
    int m_maxPosition = 100;
    double m_minValue = 0.0;
    double m_maxValue = 1.0;
};
