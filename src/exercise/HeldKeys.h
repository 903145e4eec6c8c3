#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "theory/NoteEvent.h"
#include "theory/NoteSubscriber.h"

// What a view of the held keys hears: a key went down or came up.
class IHeldKeysView {
public:
    virtual ~IHeldKeysView() = default;
    virtual void OnKeyChanged(const NOTE_EVENT& event) = 0;
};

// The keys held now, per input source, fed by every input through the note
// road and observed by the views. A press of a held key and a release of a
// key that is up change nothing and are not passed on.
class CHeldKeys : public INoteSubscriber {
public:
    // The road's stage: every note goes on.
    bool OnNote(ROUTED_NOTE& note) override {
        Apply(note.event);
        return true;
    }
    // True when the event changed what is held.
    bool Apply(const NOTE_EVENT& event);
    bool IsHeld(int note) const;
    bool IsHeld(int note, int source) const;
    int GetHeldCount() const;
    void Clear() { m_held.fill(0); }

    // A view is told of every change from now on; ShowTo tells a view that
    // comes late of the keys held now.
    void AddView(IHeldKeysView* view);
    void RemoveView(IHeldKeysView* view);
    void ShowTo(IHeldKeysView& view) const;

private:
    static constexpr int kKeys = NOTE_EVENT::kMaxNote + 1;
    static constexpr int kSources = 32;  // one bit per source code

    static uint32_t SourceBit(int source);

    std::array<uint32_t, kKeys> m_held{};
    std::vector<IHeldKeysView*> m_views;
};
