#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exercise/Hints.h"
#include "foundation/BackgroundTask.h"
#include "foundation/CharString.h"
#include "theory/KeySignature.h"

class CNoteManager;
class CPracticeKeeper;
class ILessonHost;
class Teacher;
struct LESSON_SETTINGS;

// The lesson flow: starts the lessons the learner chooses (a scale and a
// note range, a tune from a song file, a drill of the weakest notes), sets
// their goal and their hints, and when a lesson reaches its goal shows its
// report and goes on as the learner chooses. It knows the windows only
// through its host, so a test drives it without any.
class CLessonController {
public:
    // The drill of the weakest notes without a lesson: both staves.
    static constexpr int kDrillLowNote = 43;   // G2
    static constexpr int kDrillHighNote = 79;  // G5
    // How long the close waits for a song still being read.
    static constexpr double kCloseWaitSeconds = 2.0;
    // The choices of the lesson report.
    enum class CHOICE { kNext, kAgain };

    // learnerHints are the learner's own (kept in the settings); notes,
    // host and learnerHints must outlive the controller.
    CLessonController(CNoteManager& notes, ILessonHost& host, HINTS& learnerHints);
    ~CLessonController();
    CLessonController(const CLessonController&) = delete;
    CLessonController& operator=(const CLessonController&) = delete;

    // The exercise and the history the lessons run on, both outliving their
    // use here (null detaches). A lesson chosen before runs on them at once.
    void Attach(Teacher* teacher, CPracticeKeeper* practice);
    // A folder, asked for whenever it is needed: the settings may move it.
    using FolderSource = std::function<std::string()>;
    // Where a lesson button's files are found (the folder of the content
    // file) and the grooves that song documents play over.
    void SetFolders(FolderSource lessonFolder, FolderSource grooveFolder);

    // A lesson of an action button. A lesson without a known scale or with
    // a note range that is empty or off the keyboard is refused with the
    // reason in GetError, and the lesson that runs stays. Before an exercise
    // is attached the lesson is kept for it.
    bool StartLesson(const LESSON_SETTINGS& lesson);
    // A lesson started from a button: confirmed in the status line, the
    // keys back on the picture.
    void ConfirmLesson();
    // A song file's melody as the lesson. The file is read on a thread of
    // its own, so the window stays live however long it takes; the running
    // lesson goes on until TakeTune takes the tune. A file that can't be
    // played is told in a box then and the running lesson stays. True when
    // the reading started.
    bool OpenTune(const char* path);
    // The frame timer: takes the tune when its reading is done; true when
    // it was taken, false while none is read or it can't be played.
    bool TakeTune();
    // Waits up to seconds for the tune being read and takes it (start-up
    // and tests); false with the reason when it can't be played.
    bool WaitForTune(double seconds);
    bool IsReadingTune() const { return m_tuneTask != nullptr; }
    // A tune that ran when the program last closed: read again and taken at
    // its note.
    bool ResumeTune(const char* path, int note);
    // The tune that runs and the note it is at; false while a lesson runs.
    bool GetRunningTune(CCharString& path, int& note) const;
    // Practise my weakest notes: the current lesson's notes as a drill.
    void StartDrill();
    // The lesson reached its goal: its report, and what comes next.
    void OnLessonFinished();
    void OnLessonChoice(CHOICE choice);

    // Turns one of the learner's hints over (noteNames, expectedKey or
    // keyLetters); the choice holds over a lesson's own from now on.
    void ToggleHint(bool HINTS::*hint);
    // The hints in force: the learner's, or the running lesson's own.
    const HINTS& GetHints() const { return m_hints; }
    // The lesson that runs (or waits for the exercise), or null.
    const LESSON_SETTINGS* GetLesson() const { return m_lesson.get(); }
    // A lesson button's file: absolute, or below the lesson folder.
    CCharString GetLessonFilePath(const char* file) const;
    const char* GetError() const { return m_error; }

private:
    // Starts lesson with its rows kept under name; an empty name takes the
    // title the Lessons window shows.
    bool Start(const LESSON_SETTINGS& lesson, const CCharString& name);
    // The lesson's length and way of drawing, set before its notes are.
    bool ApplyGoal(const LESSON_SETTINGS& lesson, const CCharString& name);
    HINTS HintsFor(const LESSON_SETTINGS& lesson) const;
    // What the reading of a tune gave.
    struct TUNE_READING {
        bool opened = false;
        std::vector<int> melody;
        CCharString name;
        CKeySignature key;
        CCharString error;
    };
    // "C4, D3 and F3".
    std::string NameList(const std::vector<int>& midiNotes) const;
    // Plays a tune that was read as the lesson, or tells why it can't.
    bool ApplyTune(const TUNE_READING& reading);
    void ApplyHints();

    CNoteManager& m_notes;
    ILessonHost& m_host;
    HINTS& m_learnerHints;
    HINTS m_hints;
    Teacher* m_teacher = nullptr;
    CPracticeKeeper* m_practice = nullptr;
    std::unique_ptr<LESSON_SETTINGS> m_lesson;
    CCharString m_lessonName;       // what m_lesson's rows are kept under; empty: the shown title
    std::vector<int> m_drillNotes;  // the menu's drill: the weakest notes of the history
    FolderSource m_lessonFolder;
    FolderSource m_grooveFolder;
    std::unique_ptr<CBackgroundTask<TUNE_READING>> m_tuneTask;
    CCharString m_tunePath;     // the file being read
    CCharString m_runningTune;  // the file of the tune that runs
    int m_resumeNote = 0;       // the note the tune being read goes on at
    CCharString m_error;
};
