#include "ui/EditBox.h"

#include <string>

#include "common/NumberFormat.h"

bool CEditBox::GetText(CCharString& text) const {
    std::string line;
    if (m_dialog == nullptr || !m_dialog->GetItemText(m_id, line)) {
        return false;
    }
    if (line.size() > kMaxLine) {
        line.resize(kMaxLine);
    }
    text = line.c_str();
    return true;
}

bool CEditBox::SetInt(int value) {
    return SetText(NumberFormat::FormatInt(value).c_str());
}

bool CEditBox::GetInt(int& value) const {
    CCharString text;
    // Spaces typed around a number are no reason to refuse it.
    return GetText(text) &&
           NumberFormat::ParseInt(text.Str(), value,
                                  NumberFormat::kSurroundingSpace | NumberFormat::kPlusSign);
}

bool CEditBox::SetReal(double value, int decimals) {
    return SetText(NumberFormat::FormatDouble(value, decimals).c_str());
}

bool CEditBox::GetReal(double& value) const {
    CCharString text;
    return GetText(text) &&
           NumberFormat::ParseDouble(text.Str(), value,
                                     NumberFormat::kSurroundingSpace | NumberFormat::kPlusSign);
}
