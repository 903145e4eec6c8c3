#include "ui/ProgressBar.h"

#include <algorithm>
#include <cmath>

bool CProgressBar::SetRange(int minPosition, int maxPosition, int step, double minValue,
                            double maxValue) {
    (void)step;  // the meter moves to every value it is given
    if (minPosition >= maxPosition || !(minValue < maxValue)) {
        return false;
    }
    m_minPosition = minPosition;
    m_maxPosition = maxPosition;
    m_minValue = minValue;
    m_maxValue = maxValue;
    return m_dialog != nullptr && m_dialog->SetMeterRange(m_id, minPosition, maxPosition);
}

bool CProgressBar::SetColors(uint32_t normalColor, uint32_t alarmColor, double threshold) {
    m_normalColor = normalColor;
    m_alarmColor = alarmColor;
    m_threshold = threshold;
    m_alarm = m_value > m_threshold;
    return m_dialog != nullptr &&
           m_dialog->SetMeterColor(m_id, m_alarm ? m_alarmColor : m_normalColor);
}

bool CProgressBar::SetValue(double value) {
    if (m_dialog == nullptr) {
        return false;
    }
    m_value = std::isfinite(value) ? value : 0.0;
    const double position =
        m_value / (m_maxValue - m_minValue) * static_cast<double>(m_maxPosition - m_minPosition);
    const int shown =
        std::clamp(static_cast<int>(std::lround(position)), m_minPosition, m_maxPosition);
    bool done = m_dialog->SetMeterPosition(m_id, shown);
    // The colour changes only when the value crosses the threshold.
    const bool alarm = m_value > m_threshold;
    if (alarm != m_alarm) {
        m_alarm = alarm;
        done = m_dialog->SetMeterColor(m_id, alarm ? m_alarmColor : m_normalColor) && done;
    }
    return done;
}

bool CProgressBar::SetLevelMeter() {
    const bool ranged = SetRange(0, kLevelPositions, 1, 0.0, 1.0);
    return SetColors(kLevelColor, kLevelAlarmColor, kLevelThreshold) && ranged;
}
