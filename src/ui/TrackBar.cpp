#include "ui/TrackBar.h"

#include <algorithm>
#include <cmath>

bool CTrackBar::SetRange(int minPosition, int maxPosition, int pageSize, double minValue,
                         double maxValue) {
    if (minPosition >= maxPosition || !(minValue < maxValue)) {
        return false;
    }
    m_minPosition = minPosition;
    m_maxPosition = maxPosition;
    m_minValue = minValue;
    m_maxValue = maxValue;
    return m_dialog != nullptr &&
           m_dialog->SetSliderRange(m_id, minPosition, maxPosition, pageSize);
}

int CTrackBar::ToPosition(double value) const {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    const double position =
        value / (m_maxValue - m_minValue) * static_cast<double>(m_maxPosition - m_minPosition);
    return std::clamp(static_cast<int>(std::lround(position)), m_minPosition, m_maxPosition);
}

double CTrackBar::ToValue(int position) const {
    return (m_maxValue - m_minValue) * static_cast<double>(position) /
           static_cast<double>(m_maxPosition - m_minPosition);
}

bool CTrackBar::SetValue(double value) {
    return m_dialog != nullptr && m_dialog->SetSliderPosition(m_id, ToPosition(value));
}

double CTrackBar::GetValue() const {
    int position = 0;
    if (m_dialog == nullptr || !m_dialog->GetSliderPosition(m_id, position)) {
        return 0.0;
    }
    return ToValue(position);
}
