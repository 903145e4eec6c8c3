#include "app/PictureFade.h"

bool CPictureFade::Step() {
    switch (m_state) {
        case kFadingOut:
            m_level -= kStep;
            if (m_level <= 0.0f) {
                m_level = 0.0f;
                m_state = kRebuild;
            }
            return true;
        case kRebuild:
            m_state = kFadingIn;
            return true;
        case kFadingIn:
            m_level += kStep;
            if (m_level >= 1.0f) {
                m_level = 1.0f;
                m_state = kIdle;
            }
            return true;
        default:
            return false;
    }
}
