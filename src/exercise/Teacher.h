#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "exercise/Hints.h"
#include "exercise/TeacherView.h"
#include "foundation/CharString.h"
#include "theory/KeySignature.h"
#include "theory/NoteEvent.h"
#include "theory/NoteList.h"
#include "theory/NoteSubscriber.h"

class CDrillSchedule;
class CNoteManager;
class ITeacherView;

// What the learner did with one note of the lesson.
struct NOTE_RESULT {
    int shown = 0;             // times it was the expected note
    int rightFirstTry = 0;     // times it was played right with no wrong note before
    int wrong = 0;             // wrong notes pressed while it was expected
    double reactionSum = 0.0;  // seconds from shown to the right key, summed
};

// The note-reading exercise: draws one note of the lesson at random and
// judges every played note. A lesson in a key (a major or minor scale)
// spells every note as its key does; other lessons spell a black key as a
// sharp or a flat at random. A right note is told to the views, and the next
// note follows when it is released; a wrong note is told and counted. The
// exercise belongs to the application and outlives the pictures that show
// it: a view attached late is shown the note on show with ShowTo. On the
// note road it is the stage that judges.
class Teacher : public INoteSubscriber {
public:
    static constexpr int kDefaultScale = 31;  // "Chromatic"
    // Wrong notes are written inside the staff's range.
    static constexpr int kLowestWritten = 36;
    static constexpr int kHighestWritten = 95;

    explicit Teacher(CNoteManager* noteManager);
    Teacher(const Teacher&) = delete;
    Teacher& operator=(const Teacher&) = delete;
    ~Teacher() override = default;

    void AddView(ITeacherView* view);
    void RemoveView(ITeacherView* view);
    // Tells view of the note on show and whether it is held right now.
    void ShowTo(ITeacherView& view) const;

    // A new lesson: the notes of the scale between low and high; root 255
    // takes the scale's own root. False keeps the current lesson.
    bool SetLesson(int scale, int low, int high, int root = 255);
    // A lesson of exactly these MIDI notes (a drill of the weakest notes),
    // spelled as a chromatic lesson spells them. False keeps the current
    // lesson.
    bool SetNoteLesson(const std::vector<int>& midiNotes);
    // A tune as the lesson: its notes shown one after the other in the
    // order given, each judged as a lesson's note. Notes off the staff are
    // moved by octaves onto it. After the last one the tune starts again,
    // and the status line gives the results of the run just played. False
    // (with the reason) for an empty tune; the current lesson then stays.
    // key (when set) writes the tune: its signature on the staff and every
    // note spelled as the key spells it.
    bool SetTune(const char* name, const std::vector<int>& melody,
                 const CKeySignature& key = CKeySignature());
    bool IsTune() const { return m_tune; }
    // 1 for the tune's first note; 0 when no tune runs.
    int GetTunePosition() const { return m_tune ? m_lastIndex + 1 : 0; }
    // Goes on with the tune at its position-th note (1 the first); false
    // when no tune runs or it has no such note.
    bool MoveToTuneNote(int position);
    // How many times the tune was played through.
    int GetTuneRuns() const { return m_tuneRuns; }
    bool NextNote();
    // Until a lesson starts (a first start): no note is expected, the views
    // show none, and the status line is invitation. Any lesson or tune ends
    // it.
    void StandBy(const char* invitation);
    bool IsStandingBy() const { return m_standBy; }
    // A lesson of goal notes ends once that many are answered; 0 never ends.
    // A tune ends with its last note whatever the goal. Takes effect from
    // the next lesson on, as a new lesson starts the count.
    void SetGoal(int notes) { m_goal = std::max(0, notes); }
    int GetGoal() const { return m_goal; }
    int GetAnsweredCount() const { return m_answered; }
    bool IsFinished() const { return m_finished; }
    // With a drill the lessons' notes are drawn by need; null draws them at
    // random. The drill is told every answer; it must outlive its use here.
    void SetDrill(CDrillSchedule* drill);
    bool IsDrill() const { return m_drill != nullptr; }
    // Judges a played note, already in the octave it sounds; the reaction
    // time runs from the note shown to the event's arrival, the moment its
    // sound began at its input.
    NOTE_VERDICT Judge(const NOTE_EVENT& event);
    // The road's stage: the note judged, the verdict left on it.
    bool OnNote(ROUTED_NOTE& note) override;
    // The answer the last judged note gave (the first right key for the
    // note on show), or null when it gave none.
    const NOTE_JUDGEMENT* GetAnswer() const { return m_hasAnswer ? &m_answer : nullptr; }

    const CNoteList& GetNotes() const { return m_notes; }
    const CNote* GetExpected() const { return m_expected; }
    int GetLastIndex() const { return m_lastIndex; }
    int GetWrongCount() const { return m_wrongCount; }
    int GetLow() const { return m_low; }
    // What the views show beside the note to read; a change is told to them.
    void SetHints(const HINTS& hints);
    const HINTS& GetHints() const { return m_hints; }
    int GetHigh() const { return m_high; }
    int GetScale() const { return m_scale; }
    // The key of the lesson; not set for a lesson without one.
    const CKeySignature& GetKey() const { return m_key; }
    // Semitones the computer keyboard's notes move by in this lesson: the
    // whole octaves that bring its keys nearest the lesson's lowest note;
    // 0 before any lesson.
    int GetKeyShift() const;
    bool IsRightHeld() const { return m_rightHeld; }
    const char* GetError() const { return m_error; }

    // Results of the current lesson, per note of the list.
    const std::vector<NOTE_RESULT>& GetResults() const { return m_results; }
    // Share of notes played right at the first try, 0..100, and the mean
    // seconds from a note shown to its right key; false before any answer.
    bool GetSummary(double& rightFirstTryPercent, double& meanReaction, int& answered) const;
    // The learner's status line, e.g. "Right at first try: 80% of 10, mean 1.4 s".
    CCharString GetStatusLine() const;

private:
    // A lesson or tune starts: standing by ends.
    void EndStandBy() { m_standBy = false; }
    // The notes of the scale between low and high (only those of only, when
    // given) as the lesson.
    bool SetScaleLesson(int scale, int low, int high, int root, const std::vector<int>* only);
    bool Matches(const NOTE_EVENT& event) const;
    CNote WrittenWrongNote(int played) const;
    // Writes note as the lesson's key spells it; false without a key.
    bool SpellInKey(CNote& note) const;
    // The index of the note to show next.
    int DrawIndex();
    int DrawFromDrill();
    void StartCount();
    void Answer(const NOTE_EVENT& played);
    CCharString GetSummaryLine() const;

    CNoteManager* m_noteManager;
    std::vector<ITeacherView*> m_views;
    NOTE_JUDGEMENT m_answer;
    bool m_hasAnswer = false;
    CCharString m_error;
    CNoteList m_notes{16, true};
    int m_lastIndex = -1;
    CNote* m_expected = nullptr;
    int m_previousNote = NOTE_NONE;  // still shown while a new lesson starts
    double m_shownAt = 0.0;
    int m_wrongCount = 0;
    int m_low = 255;
    int m_high = 255;
    int m_scale = 0;
    CKeySignature m_key;
    bool m_rightHeld = false;
    std::vector<NOTE_RESULT> m_results;
    HINTS m_hints;
    bool m_tune = false;
    CCharString m_tuneName;
    bool m_standBy = false;
    CCharString m_standByLine;
    int m_tuneRuns = 0;
    CCharString m_lastRunLine;  // the results of the last run played through
    int m_goal = 0;
    int m_answered = 0;
    bool m_finished = false;
    CDrillSchedule* m_drill = nullptr;
};
