#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "foundation/CharString.h"
#include "grids/NoteGrid.h"
#include "songs/Song.h"

class CNoteManager;
class CNoteList;
struct GROOVE_INFO;

// The groove the Song Editor shows, and its five grids: top row (markers),
// lead guitar, rhythm guitar, bass guitar and drums, in that order. The
// grids edit the groove's tracks in place. Undo and redo follow the order
// in which the grids were edited. Failures return false with a "Can't ..."
// text for GetError.
class CGrooveGrids {
public:
    enum GRID { kTop, kLead, kRhythm, kBass, kDrums, kGridCount };
    static constexpr double kNewTempo = 120.0;
    static constexpr double kSecondsPerMinute = 60.0;

    // manager must be initialised and outlive the grids.
    explicit CGrooveGrids(CNoteManager& manager);
    ~CGrooveGrids();

    // Reads the groove at path and shows it.
    bool Load(const char* path, const char* style, const char* name);
    // A new empty groove of info's time, at kNewTempo.
    bool MakeNew(const GROOVE_INFO& info);
    // Writes the groove to path; the grids are unchanged afterwards.
    bool Save(const char* path);
    // Writes the groove to path and leaves the grids changed (a copy kept
    // for recovery).
    bool SaveCopy(const char* path);
    // Shows the groove's tracks in the grids (once more).
    bool Show();
    // Takes the groove's time and notes from other.
    bool ShowGroove(const CSong& other);

    bool HasGroove() const { return m_loaded; }
    CSong& GetGroove() { return m_groove; }
    const CSong& GetGroove() const { return m_groove; }
    CNoteGrid& GetGrid(int grid) { return *m_grids[static_cast<size_t>(grid)]; }
    const CNoteGrid& GetGrid(int grid) const { return *m_grids[static_cast<size_t>(grid)]; }
    const CCharString& GetStyle() const { return m_style; }
    const CCharString& GetName() const { return m_name; }
    void SetPlace(const char* style, const char* name);
    int GetMeasures() const { return m_groove.m_info.measures; }
    // One measure, in seconds: beats / beat unit x 4 beats of a quarter.
    double GetMeasureLength() const;

    // Changed by any grid since it was shown or saved.
    bool IsChanged() const;
    void ClearChanged();
    // Plays the groove at tempo (beats a minute): its notes keep their
    // beats; the groove is changed. False with the reason.
    bool SetTempo(double tempo);
    // Marks the groove as changed, as a recovered one is.
    void MarkChanged();
    // The grid view tells each completed edit of a grid here, for undo.
    void GridEdited(int grid);
    // Hears of every undo step GridEdited records.
    void SetEditListener(std::function<void()> listener) { m_edited = std::move(listener); }
    // Forgets the steps undone, as a new edit elsewhere does.
    void DropRedo() { m_undone.clear(); }
    // Removes the last measure from every grid; refused for one measure
    // with the grid's "Can't delete the only measure".
    bool DeleteLastMeasure();
    bool AddMeasure();
    bool Undo();
    bool Redo();
    // Shows or hides the note names of the grids that have them.
    void ShowNoteNames(bool show) { m_noteNames = show; }
    bool ShowsNoteNames() const { return m_noteNames; }

    // The notes of the enabled instruments (things) in time order.
    bool GetNotes(const std::vector<int>& things, CNoteList& notes) const;

    const char* GetError() const { return m_error; }

private:
    bool SetError(const char* format, ...) const NOTARA_PRINTF(2, 3);
    bool EnsureTracks();
    bool SizeGrids();
    void FollowLayout();
    // Changes every grid alike, one undoable edit; a grid that refuses
    // puts the ones before it back.
    bool ChangeAllGrids(const std::function<bool(CNoteGrid&)>& change);
    // An edit that every grid made at once (a measure added or removed).
    static constexpr int kAllGrids = -1;

    CNoteManager& m_manager;
    CSong m_groove;
    std::vector<std::unique_ptr<CNoteGrid>> m_grids;
    std::vector<int> m_undone;  // grids (or kAllGrids) in the order of their redo steps
    std::function<void()> m_edited;
    std::vector<int> m_edits;  // grids (or kAllGrids) in the order of their undo steps
    CCharString m_style;
    CCharString m_name;
    bool m_loaded = false;
    bool m_noteNames = false;
    mutable CCharString m_error;
};
