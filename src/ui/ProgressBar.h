#pragma once

#include <cstdint>

#include "ui/DialogItem.h"

// A meter that shows a value, mapped to positions as a track bar's is, in
// the normal colour up to a threshold and in the alarm colour above it.
class CProgressBar : public CDialogItem {
public:
    // The level meters' look: positions 0..20 for values 0..1.0, dark blue,
    // red above 0.9 (colour values as the platform stores them, 0x00BBGGRR).
    static constexpr int kLevelPositions = 20;
    static constexpr uint32_t kLevelColor = 0xC00000;
    static constexpr uint32_t kLevelAlarmColor = 192;
    static constexpr double kLevelThreshold = 0.9;

    bool SetRange(int minPosition, int maxPosition, int step, double minValue, double maxValue);
    bool SetColors(uint32_t normalColor, uint32_t alarmColor, double threshold);
    bool SetValue(double value);
    double GetValue() const { return m_value; }
    // The range and colours of a level meter.
    bool SetLevelMeter();

private:
    int m_minPosition = 0;
    int m_maxPosition = 100;
    double m_minValue = 0.0;
    double m_maxValue = 1.0;
    uint32_t m_normalColor = kLevelColor;
    uint32_t m_alarmColor = kLevelAlarmColor;
    double m_threshold = 1.0;
    double m_value = 0.0;
    bool m_alarm = false;
};
