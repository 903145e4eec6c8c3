#include "platform/null/NullControlDialog.h"

#include <algorithm>

#include "platform/null/NullJournal.h"

CNullControlDialog::CNullControlDialog(const DIALOG_TEMPLATE& dialog, IEventLoop& loop,
                                       IWindowHandler* handler,
                                       IControlDialogHandler* controlHandler, CNullJournal* journal)
    // The frame keeps no journal of its own: the journal tells the dialog's
    // life apart from the top-level windows'.
    : m_frame(loop, handler, nullptr),
      m_controlHandler(controlHandler),
      m_journal(journal),
      m_template(dialog) {
    for (const CONTROL_ITEM& control : dialog.items) {
        if (control.id != 0) {
            m_items[control.id].control = control;
        }
    }
    m_frame.SetTitle(dialog.title.c_str());
    m_frame.SetRect(WINDOW_RECT{0, 0, dialog.width, dialog.height});
    if (m_journal != nullptr) {
        m_journal->Add("CreateControlDialog " + dialog.title);
    }
}

CNullControlDialog::~CNullControlDialog() {
    if (m_journal != nullptr) {
        m_journal->Add("DestroyControlDialog " + m_template.title);
    }
}

IGlDevice* CNullControlDialog::GetGlView(std::string& error) {
    error = "a dialog has no 3D view";
    return nullptr;
}

const CNullControlDialog::ITEM* CNullControlDialog::FindItem(int id) const {
    const auto found = m_items.find(id);
    return found != m_items.end() ? &found->second : nullptr;
}

CNullControlDialog::ITEM* CNullControlDialog::Find(int id, ControlKind kind) {
    const auto found = m_items.find(id);
    return found != m_items.end() && found->second.control.kind == kind ? &found->second : nullptr;
}

const CNullControlDialog::ITEM* CNullControlDialog::Find(int id, ControlKind kind) const {
    const auto found = m_items.find(id);
    return found != m_items.end() && found->second.control.kind == kind ? &found->second : nullptr;
}

CNullControlDialog::ITEM* CNullControlDialog::Find(int id, ControlKind kind, ControlKind other) {
    ITEM* item = Find(id, kind);
    return item != nullptr ? item : Find(id, other);
}

const CNullControlDialog::ITEM* CNullControlDialog::Find(int id, ControlKind kind,
                                                         ControlKind other) const {
    const ITEM* item = Find(id, kind);
    return item != nullptr ? item : Find(id, other);
}

void CNullControlDialog::CheckRadio(ITEM& radio) {
    for (auto& [id, item] : m_items) {
        if (item.control.kind == ControlKind::kRadioButton &&
            item.control.group == radio.control.group) {
            item.checked = false;
        }
    }
    radio.checked = true;
}

bool CNullControlDialog::GetItemText(int id, std::string& text) const {
    const ITEM* item = FindItem(id);
    if (item != nullptr) {
        text = item->control.text;
    }
    return item != nullptr;
}

bool CNullControlDialog::SetItemText(int id, const char* text) {
    const auto found = m_items.find(id);
    if (found == m_items.end()) {
        return false;
    }
    found->second.control.text = text != nullptr ? text : "";
    return true;
}

bool CNullControlDialog::EnableItem(int id, bool enabled) {
    const auto found = m_items.find(id);
    if (found == m_items.end()) {
        return false;
    }
    found->second.enabled = enabled;
    return true;
}

bool CNullControlDialog::SetChecked(int id, bool checked) {
    ITEM* item = Find(id, ControlKind::kCheckBox, ControlKind::kRadioButton);
    if (item != nullptr && checked && item->control.kind == ControlKind::kRadioButton) {
        CheckRadio(*item);
    } else if (item != nullptr) {
        item->checked = checked;
    }
    return item != nullptr;
}

bool CNullControlDialog::GetChecked(int id, bool& checked) const {
    const ITEM* item = Find(id, ControlKind::kCheckBox, ControlKind::kRadioButton);
    if (item != nullptr) {
        checked = item->checked;
    }
    return item != nullptr;
}

bool CNullControlDialog::ClearList(int id) {
    ITEM* item = Find(id, ControlKind::kComboBox, ControlKind::kListBox);
    if (item != nullptr) {
        item->list.clear();
        item->selection = -1;
    }
    return item != nullptr;
}

bool CNullControlDialog::AddListItem(int id, const char* text) {
    ITEM* item = Find(id, ControlKind::kComboBox, ControlKind::kListBox);
    if (item != nullptr) {
        item->list.emplace_back(text != nullptr ? text : "");
    }
    return item != nullptr;
}

bool CNullControlDialog::SelectListItem(int id, int index) {
    ITEM* item = Find(id, ControlKind::kComboBox, ControlKind::kListBox);
    if (item == nullptr) {
        return false;
    }
    item->selection = index >= 0 && index < static_cast<int>(item->list.size()) ? index : -1;
    return true;
}

bool CNullControlDialog::GetListSelection(int id, int& index) const {
    const ITEM* item = Find(id, ControlKind::kComboBox, ControlKind::kListBox);
    if (item != nullptr) {
        index = item->selection;
    }
    return item != nullptr;
}

bool CNullControlDialog::SetSliderRange(int id, int minPosition, int maxPosition, int page) {
    ITEM* item = Find(id, ControlKind::kTrackBar);
    if (item == nullptr || minPosition > maxPosition) {
        return false;
    }
    item->minPosition = minPosition;
    item->maxPosition = maxPosition;
    item->page = page;
    item->position = std::clamp(item->position, minPosition, maxPosition);
    return true;
}

bool CNullControlDialog::SetSliderPosition(int id, int position) {
    ITEM* item = Find(id, ControlKind::kTrackBar);
    if (item != nullptr) {
        item->position = std::clamp(position, item->minPosition, item->maxPosition);
    }
    return item != nullptr;
}

bool CNullControlDialog::GetSliderPosition(int id, int& position) const {
    const ITEM* item = Find(id, ControlKind::kTrackBar);
    if (item != nullptr) {
        position = item->position;
    }
    return item != nullptr;
}

bool CNullControlDialog::SetSliderTick(int id, int position) {
    ITEM* item = Find(id, ControlKind::kTrackBar);
    if (item != nullptr) {
        item->ticks.push_back(position);
    }
    return item != nullptr;
}

bool CNullControlDialog::SetMeterRange(int id, int minPosition, int maxPosition) {
    ITEM* item = Find(id, ControlKind::kProgressBar);
    if (item == nullptr || minPosition > maxPosition) {
        return false;
    }
    item->minPosition = minPosition;
    item->maxPosition = maxPosition;
    item->position = std::clamp(item->position, minPosition, maxPosition);
    return true;
}

bool CNullControlDialog::SetMeterPosition(int id, int position) {
    ITEM* item = Find(id, ControlKind::kProgressBar);
    if (item != nullptr) {
        item->position = std::clamp(position, item->minPosition, item->maxPosition);
    }
    return item != nullptr;
}

bool CNullControlDialog::SetMeterColor(int id, uint32_t color) {
    ITEM* item = Find(id, ControlKind::kProgressBar);
    if (item != nullptr) {
        item->color = color;
    }
    return item != nullptr;
}

bool CNullControlDialog::SetPicture(int id, int width, int height,
                                    const std::vector<uint32_t>& argb) {
    ITEM* item = Find(id, ControlKind::kPicture, ControlKind::kImageButton);
    if (item == nullptr || width <= 0 || height <= 0 ||
        argb.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        return false;
    }
    item->pictureWidth = width;
    item->pictureHeight = height;
    item->picture = argb;
    return true;
}

bool CNullControlDialog::SetPictureTips(int id, const std::vector<PICTURE_TIP>& tips) {
    ITEM* item = Find(id, ControlKind::kPicture);
    if (item == nullptr) {
        return false;
    }
    item->tips = tips;
    return true;
}

std::string CNullControlDialog::GetPictureTip(int id, int x, int y) const {
    const ITEM* item = FindItem(id);
    if (item == nullptr) {
        return std::string();
    }
    for (const PICTURE_TIP& tip : item->tips) {
        const WINDOW_RECT& r = tip.rect;
        if (x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height) {
            return tip.text;
        }
    }
    return std::string();
}

bool CNullControlDialog::GetPicture(int id, int& width, int& height,
                                    std::vector<uint32_t>& argb) const {
    const ITEM* item = Find(id, ControlKind::kPicture, ControlKind::kImageButton);
    if (item == nullptr || item->picture.empty()) {
        return false;
    }
    width = item->pictureWidth;
    height = item->pictureHeight;
    argb = item->picture;
    return true;
}

bool CNullControlDialog::Click(int id) {
    const auto found = m_items.find(id);
    if (found == m_items.end() || !found->second.enabled) {
        return false;
    }
    ITEM& item = found->second;
    if (item.control.kind == ControlKind::kCheckBox) {
        item.checked = !item.checked;
    } else if (item.control.kind == ControlKind::kRadioButton) {
        CheckRadio(item);
    } else if (item.control.kind != ControlKind::kButton) {
        return false;
    }
    m_controlHandler->OnControl(id, ControlEvent::kClicked);
    return true;
}

bool CNullControlDialog::Choose(int id, int index) {
    ITEM* item = Find(id, ControlKind::kComboBox, ControlKind::kListBox);
    if (item == nullptr || !item->enabled || index < 0 ||
        index >= static_cast<int>(item->list.size())) {
        return false;
    }
    item->selection = index;
    m_controlHandler->OnControl(id, ControlEvent::kSelectionChanged);
    return true;
}

bool CNullControlDialog::RequestMenu(int id) {
    const ITEM* item = Find(id, ControlKind::kListBox);
    if (item == nullptr || !item->enabled) {
        return false;
    }
    m_controlHandler->OnControl(id, ControlEvent::kContextMenu);
    return true;
}

bool CNullControlDialog::Type(int id, const char* text) {
    ITEM* item = Find(id, ControlKind::kEditBox);
    if (item == nullptr || !item->enabled) {
        return false;
    }
    item->control.text = text != nullptr ? text : "";
    m_controlHandler->OnControl(id, ControlEvent::kEdited);
    return true;
}

bool CNullControlDialog::Press(int id, ControlEvent event) {
    // An image button tells its owner even while greyed: the owner decides.
    const bool told = event == ControlEvent::kPressed || event == ControlEvent::kReleased ||
                      event == ControlEvent::kLeft;
    if (Find(id, ControlKind::kImageButton) == nullptr || !told) {
        return false;
    }
    m_controlHandler->OnControl(id, event);
    return true;
}

bool CNullControlDialog::Point(int id, const POINTER_EVENT& event) {
    if (Find(id, ControlKind::kImageButton) == nullptr) {
        return false;
    }
    m_controlHandler->OnPointer(id, event);
    return true;
}

bool CNullControlDialog::MoveSlider(int id, int position) {
    ITEM* item = Find(id, ControlKind::kTrackBar);
    if (item == nullptr || !item->enabled) {
        return false;
    }
    item->position = std::clamp(position, item->minPosition, item->maxPosition);
    m_controlHandler->OnControl(id, ControlEvent::kMoved);
    return true;
}
