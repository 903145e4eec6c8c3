#include "editors/SongHistory.h"

#include <utility>

void CSongHistory::Reset(const CComposition& song) {
    m_undo.clear();
    m_redo.clear();
    m_pending = false;
    song.SaveState(m_current);
}

bool CSongHistory::Changed() {
    if (m_pending) {
        return false;
    }
    m_undo.push_back(std::move(m_current));
    m_current = SONG_STATE();
    m_redo.clear();
    m_pending = true;
    return true;
}

void CSongHistory::Settle(const CComposition& song) {
    if (m_pending) {
        song.SaveState(m_current);
        m_pending = false;
    }
}

bool CSongHistory::Undo(CComposition& song) {
    Settle(song);
    return Move(song, m_undo, m_redo);
}

bool CSongHistory::Redo(CComposition& song) {
    Settle(song);
    return Move(song, m_redo, m_undo);
}

// The song takes the last state of from; the state it had goes onto to.
bool CSongHistory::Move(CComposition& song, std::vector<SONG_STATE>& from,
                        std::vector<SONG_STATE>& to) {
    if (from.empty()) {
        return false;
    }
    if (!song.RestoreState(from.back())) {
        return false;
    }
    to.push_back(std::move(m_current));
    m_current = std::move(from.back());
    from.pop_back();
    return true;
}
