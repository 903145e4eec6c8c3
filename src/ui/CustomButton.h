#pragma once

#include "platform/WindowSystem.h"
#include "ui/ButtonImages.h"
#include "ui/DialogItem.h"

// A button drawn with the program's own images over an image-button item
// of a dialog: the down image while a mouse button holds it, the up image
// otherwise, the greyed image while disabled. Its command runs when it goes
// down (the default) or, set so, when it comes up. Toggle buttons (record,
// play) have two sets of images, one for each state.
class CCustomButton : public CDialogItem {
public:
    enum { kStateUp = 1, kStateDown = 2 };

    virtual ~CCustomButton() = default;

    // Paints the images for a button of width x height with windowSystem's
    // painter and shows the up one; false with the reason in error.
    bool Create(IWindowSystem& windowSystem, int width, int height, const char* caption,
                std::string& error);
    void SetCommandOnPress(bool onPress) { m_commandOnPress = onPress; }
    // Shows the up or the greyed image; a greyed button runs no command.
    bool Enable(bool enabled);
    bool IsEnabled() const { return !m_disabled; }
    // A toggle button's state: picks its set of images and shows it again.
    bool SetState(bool on);
    bool IsOn() const { return m_on; }
    int GetState() const { return m_state; }

    // What the dialog heard of this button's item; true when the button's
    // command runs now.
    bool OnEvent(ControlEvent event);

protected:
    // What each set shows: a plain button has one set with its caption.
    virtual ButtonGlyph GlyphFor(bool on) const {
        (void)on;
        return ButtonGlyph::kCaption;
    }
    virtual bool HasTwoSets() const { return false; }

private:
    const BUTTON_IMAGES& Shown() const { return m_sets[m_on && HasTwoSets() ? 1 : 0]; }
    bool ShowImage(const std::vector<uint32_t>& argb);
    bool ShowRest();

    BUTTON_IMAGES m_sets[2];  // off, on
    bool m_on = false;
    bool m_disabled = false;
    bool m_commandOnPress = true;
    int m_state = kStateUp;
};
