#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Window.h"

// The kinds of item a control dialog is built from.
enum class ControlKind {
    kLabel,        // fixed text
    kGroup,        // a framed group box captioned with its text
    kButton,       // a push button; ids 1 (OK) and 2 (Cancel) answer Enter and Esc
    kCheckBox,     // a check box captioned with its text
    kComboBox,     // a drop-down list
    kTrackBar,     // a horizontal slider
    kProgressBar,  // a horizontal meter
    kPicture,      // a picture the owner paints, shown at its natural size
    kRadioButton,  // one choice of the radio buttons of its group
    kEditBox,      // one line of text the user types
    kListBox,      // a list of texts, one of them selected
    kImageButton,  // a picture the owner paints that tells when it is pressed
};

// One item of a dialog: where it goes in the dialog's client area, in pixels.
struct CONTROL_ITEM {
    ControlKind kind = ControlKind::kLabel;
    int id = 0;  // 0 for items nobody talks to (group boxes, fixed labels)
    std::string text;
    WINDOW_RECT rect;
    std::string toolTip;  // shown when the pointer rests on the item
    int group = 0;        // radio buttons of one group exclude each other
};

// A text shown when the pointer rests on a rectangle of a picture, in the
// picture's pixels.
struct PICTURE_TIP {
    WINDOW_RECT rect;
    std::string text;
};

// What a dialog is made of, as a dialog resource describes it.
struct DIALOG_TEMPLATE {
    std::string title;
    int width = 0;  // client area
    int height = 0;
    std::vector<CONTROL_ITEM> items;
};

enum class ControlEvent {
    kClicked,           // a button pressed, a check box turned over
    kSelectionChanged,  // the user chose another item of a combo box
    kMoved,             // the user moved a slider (by dragging, a click or a key)
    kEdited,            // the user changed the text of an edit box
    kPressed,           // a mouse button went down on an image button
    kReleased,          // ... and came up again
    kLeft,              // the pointer left an image button
    kContextMenu,       // the user asked for a list box's menu (right click, menu key)
};

// The pointer on an image button, for owners that draw into it.
struct POINTER_EVENT {
    enum Kind { kPress, kMove, kRelease, kLeave };
    enum Button { kNone, kLeft, kRight };
    Kind kind = kMove;
    int x = 0;  // in the picture's pixels from its top left
    int y = 0;
    Button button = kNone;  // the one that went down or up; held ones for a move
    bool ctrl = false;
};

// What a control dialog's owner hears besides the window events. Only what
// the user does is told: the owner's own Set calls tell nothing.
class IControlDialogHandler {
public:
    virtual ~IControlDialogHandler() = default;
    virtual void OnControl(int id, ControlEvent event) = 0;
    // Where the pointer is on an image button and what its buttons do;
    // told beside OnControl's kPressed, kReleased and kLeft.
    virtual void OnPointer(int id, const POINTER_EVENT& event) {
        (void)id;
        (void)event;
    }
};

// A dialog of standard controls, made from a DIALOG_TEMPLATE. Each item is
// reached by its id; a call on an id that names no item of the kind the call
// needs returns false and changes nothing. The close box and Esc ask the
// window handler to close; the dialog stays until its owner destroys it.
class IControlDialog : public IWindow {
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

    // Any item: its text (a label's, a button's or a check box's caption,
    // an edit box's contents).
    virtual bool SetItemText(int id, const char* text) = 0;
    virtual bool GetItemText(int id, std::string& text) const = 0;
    virtual bool EnableItem(int id, bool enabled) = 0;

    // Check boxes and radio buttons; checking a radio button unchecks the
    // others of its group.
    virtual bool SetChecked(int id, bool checked) = 0;
    virtual bool GetChecked(int id, bool& checked) const = 0;

    // Combo boxes and list boxes. An index of -1 selects nothing.
    virtual bool ClearList(int id) = 0;
    virtual bool AddListItem(int id, const char* text) = 0;
    virtual bool SelectListItem(int id, int index) = 0;
    virtual bool GetListSelection(int id, int& index) const = 0;

    // Track bars, in positions; page is the step of a click beside the knob.
    virtual bool SetSliderRange(int id, int minPosition, int maxPosition, int page) = 0;
    virtual bool SetSliderPosition(int id, int position) = 0;
    virtual bool GetSliderPosition(int id, int& position) const = 0;
    // A tick mark at position, beside the ones at both ends.
    virtual bool SetSliderTick(int id, int position) = 0;

    // Progress bars: the bar's colour is a platform colour value (0x00BBGGRR).
    virtual bool SetMeterRange(int id, int minPosition, int maxPosition) = 0;
    virtual bool SetMeterPosition(int id, int position) = 0;
    virtual bool SetMeterColor(int id, uint32_t color) = 0;

    // Pictures and image buttons: width x height ARGB pixels, top row first, with straight
    // alpha, as IImagePainter::End gives them. False for a size that does
    // not match the pixels.
    virtual bool SetPicture(int id, int width, int height, const std::vector<uint32_t>& argb) = 0;
    // Replaces the picture's tips; the first tip whose rectangle holds the
    // pointer is shown.
    virtual bool SetPictureTips(int id, const std::vector<PICTURE_TIP>& tips) = 0;

    // A modal dialog keeps the user off its owner while it is shown; Show
    // returns at once either way.
    virtual void SetModal(bool modal) = 0;
    // The wait cursor over the dialog while busy.
    virtual void SetBusy(bool busy) = 0;
};
