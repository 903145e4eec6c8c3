#include "exercise/HeldKeys.h"

#include <algorithm>

uint32_t CHeldKeys::SourceBit(int source) {
    return source >= 0 && source < kSources ? 1u << source : 0u;
}

bool CHeldKeys::Apply(const NOTE_EVENT& event) {
    const uint32_t bit = SourceBit(event.source);
    if (!event.IsValid() || bit == 0) {
        return false;
    }
    uint32_t& held = m_held[static_cast<size_t>(event.note)];
    const bool wasHeld = (held & bit) != 0;
    if (wasHeld == event.IsOn()) {
        return false;
    }
    held = event.IsOn() ? held | bit : held & ~bit;
    for (IHeldKeysView* view : m_views) {
        view->OnKeyChanged(event);
    }
    return true;
}

bool CHeldKeys::IsHeld(int note) const {
    return note >= 0 && note < kKeys && m_held[static_cast<size_t>(note)] != 0;
}

bool CHeldKeys::IsHeld(int note, int source) const {
    return note >= 0 && note < kKeys &&
           (m_held[static_cast<size_t>(note)] & SourceBit(source)) != 0;
}

int CHeldKeys::GetHeldCount() const {
    return static_cast<int>(
        std::count_if(m_held.begin(), m_held.end(), [](uint32_t held) { return held != 0; }));
}

void CHeldKeys::AddView(IHeldKeysView* view) {
    if (view != nullptr && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
    }
}

void CHeldKeys::RemoveView(IHeldKeysView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CHeldKeys::ShowTo(IHeldKeysView& view) const {
    for (int note = 0; note < kKeys; ++note) {
        for (int source = 0; source < kSources; ++source) {
            if (IsHeld(note, source)) {
                view.OnKeyChanged(NOTE_EVENT{note, NOTE_EVENT::kMaxVelocity, source, 0.0});
            }
        }
    }
}
