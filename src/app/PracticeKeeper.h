#pragma once

#include <functional>
#include <string>

#include "exercise/DrillSchedule.h"
#include "exercise/TeacherView.h"
#include "foundation/CharString.h"
#include "history/PracticeHistory.h"
#include "theory/NoteSubscriber.h"

class Teacher;

// Keeps the learner's practice across runs: on the note road, after the
// exercise, every answer the exercise gave becomes a row of the history, a drill draws the lesson's
// notes by what the history says is weakest, and a lesson that reaches its goal is handed on to be
// reported. Without a history (none could be made) the lessons run as before and the drill starts
// from nothing.
class CPracticeKeeper : public ITeacherView, public INoteSubscriber {
public:
    static constexpr const char* kFileName = "Practice History.db";
    static constexpr int kDefaultGoal = 20;  // notes in a lesson
    static constexpr int kMaxGoal = 10000;

    // teacher must outlive the keeper.
    explicit CPracticeKeeper(Teacher& teacher);
    ~CPracticeKeeper() override;
    CPracticeKeeper(const CPracticeKeeper&) = delete;
    CPracticeKeeper& operator=(const CPracticeKeeper&) = delete;

    // Opens (or starts) the history in folder. False when none can be kept;
    // GetNotice tells of a damaged file that was kept aside.
    bool Open(const std::string& folder);
    bool IsOpen() const { return m_history.IsOpen(); }
    CPracticeHistory& GetHistory() { return m_history; }
    const char* GetNotice() const { return m_history.GetNotice(); }
    // Closes the history; false with the reason in problem when answers of
    // this run could not be written.
    bool CloseHistory(CCharString& problem);
    const char* GetError() const { return m_error; }

    // The lesson the next rows belong to.
    void SetLessonName(const char* name) { m_lesson = name != nullptr ? name : ""; }
    // On: the teacher draws by need, the boxes filled from the history.
    void SetDrill(bool on);
    bool IsDrill() const { return m_drillOn; }
    CDrillSchedule& GetDrill() { return m_drill; }
    // Called when a lesson reaches its goal.
    void SetFinishedHandler(std::function<void()> handler) { m_finished = std::move(handler); }

    void OnNoteShown(const CNote&, int) override {}
    void OnWrongNote(const CNote&, bool) override {}
    void OnRightNote(const CNote&) override {}
    void OnLessonFinished() override;
    // The road's history stage: the exercise's answer to the note, if any,
    // is kept. Every note goes on.
    bool OnNote(ROUTED_NOTE& note) override;

private:
    void Keep(const NOTE_JUDGEMENT& judgement);
    Teacher& m_teacher;
    CPracticeHistory m_history;
    CDrillSchedule m_drill;
    bool m_drillOn = false;
    std::string m_lesson;
    std::function<void()> m_finished;
    CCharString m_error;
};
