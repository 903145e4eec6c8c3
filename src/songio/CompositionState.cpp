// The song's states kept for undo, and the change notice that asks for them.
#include <algorithm>

#include "songio/Composition.h"

void CComposition::SetModified() {
    m_modified = true;
    if (m_changed) {
        m_changed();
    }
}

bool CComposition::SaveState(SONG_STATE& state) const {
    state.name = m_name;
    state.info = m_info;
    state.parts.clear();
    state.playList.clear();
    for (const auto& part : m_parts) {
        auto copy = std::make_unique<CSongPart>();
        if (!copy->CopyFrom(*part)) {
            return false;
        }
        state.parts.push_back(std::move(copy));
    }
    for (const CSongPart* entry : m_playList) {
        const auto found = std::find_if(
            m_parts.begin(), m_parts.end(),
            [entry](const std::unique_ptr<CSongPart>& part) { return part.get() == entry; });
        state.playList.push_back(static_cast<int>(found - m_parts.begin()));
    }
    return true;
}

bool CComposition::RestoreState(const SONG_STATE& state) {
    std::vector<std::unique_ptr<CSongPart>> parts;
    for (const auto& part : state.parts) {
        auto copy = std::make_unique<CSongPart>();
        if (!copy->CopyFrom(*part)) {
            return SetError("Can't restore song part %s: %s", part->m_name.GetText(),
                            copy->GetError());
        }
        parts.push_back(std::move(copy));
    }
    std::vector<CSongPart*> playList;
    for (const int index : state.playList) {
        if (index < 0 || index >= static_cast<int>(parts.size())) {
            return SetError("Can't restore the play list: it names part %d of %zu", index,
                            parts.size());
        }
        playList.push_back(parts[static_cast<size_t>(index)].get());
    }
    m_parts = std::move(parts);
    m_playList = std::move(playList);
    m_name = state.name;
    m_info = state.info;
    m_modified = true;  // the file holds neither this state nor, maybe, the last
    return true;
}
