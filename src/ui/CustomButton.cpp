#include "ui/CustomButton.h"

#include <memory>

#include "platform/ImagePainter.h"

bool CCustomButton::Create(IWindowSystem& windowSystem, int width, int height, const char* caption,
                           std::string& error) {
    std::unique_ptr<IImagePainter> painter = windowSystem.CreateImagePainter();
    if (!painter) {
        error = "this platform paints no pictures";
        return false;
    }
    for (const bool on : {false, true}) {
        if (!CButtonImages::Paint(*painter, width, height, GlyphFor(on), on, caption,
                                  m_sets[on ? 1 : 0], error)) {
            return false;
        }
    }
    if (!ShowRest()) {
        error = "the button's item is missing";
        return false;
    }
    return true;
}

bool CCustomButton::Enable(bool enabled) {
    m_disabled = !enabled;
    m_state = kStateUp;
    return ShowRest();
}

bool CCustomButton::SetState(bool on) {
    m_on = on;
    return Enable(!m_disabled);  // the enabled state applies to the new set
}

bool CCustomButton::OnEvent(ControlEvent event) {
    switch (event) {
        case ControlEvent::kPressed:
            if (m_disabled) {
                return false;
            }
            m_state = kStateDown;
            ShowImage(Shown().down);
            return m_commandOnPress;
        case ControlEvent::kReleased:
            if (m_disabled) {
                return false;
            }
            m_state = kStateUp;
            ShowImage(Shown().up);
            return !m_commandOnPress;
        case ControlEvent::kLeft:
            // A button left while held comes up without its command.
            m_state = kStateUp;
            ShowRest();
            return false;
        default:
            return false;
    }
}

bool CCustomButton::ShowRest() {
    return ShowImage(m_disabled ? Shown().disabled : Shown().up);
}

bool CCustomButton::ShowImage(const std::vector<uint32_t>& argb) {
    const BUTTON_IMAGES& images = Shown();
    return m_dialog != nullptr && !argb.empty() &&
           m_dialog->SetPicture(m_id, images.width, images.height, argb);
}
