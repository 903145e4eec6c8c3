#pragma once

#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "theory/NoteList.h"

class CNoteManager;
class CNoteShapes;
class CNoteStaff;
class CPiano;
class CSpacePainter;

// What the learner did with one note of the lesson.
struct NOTE_RESULT {
    int shown = 0;             // times it was the expected note
    int rightFirstTry = 0;     // times it was played right with no wrong note before
    int wrong = 0;             // wrong notes pressed while it was expected
    double reactionSum = 0.0;  // seconds from shown to the right key, summed
};

// The note-reading exercise: draws one note of the lesson at random, shows
// it on the staff and marks its key, and judges every played note. A right
// note turns green and the next note follows when it is released; a wrong
// note is shown in red beside it and counted.
class Teacher {
public:
    static constexpr int kDefaultScale = 31;  // "Chromatic"

    Teacher(CPiano* piano, CNoteStaff* staff, CNoteManager* noteManager, CSpacePainter* scene,
            uint32_t rightColour = 0xFF00FF00);
    virtual ~Teacher() = default;

    // A new lesson: the notes of the scale between low and high; root 255
    // takes the scale's own root. False keeps the current lesson.
    bool SetLesson(int scale, int low, int high, int root = 255);
    bool NextNote();
    bool InputNote(const CNote& note, bool on);

    const CNoteList& GetNotes() const { return m_notes; }
    const CNote* GetExpected() const { return m_expected; }
    int GetLastIndex() const { return m_lastIndex; }
    int GetWrongCount() const { return m_wrongCount; }
    int GetLow() const { return m_low; }
    int GetHigh() const { return m_high; }
    int GetScale() const { return m_scale; }
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
    bool Matches(const CNote& note) const;
    void SetDirty();

    CPiano* m_piano;
    CNoteStaff* m_staff;
    CNoteManager* m_noteManager;
    CSpacePainter* m_scene;
    uint32_t m_rightColour;
    CCharString m_error;
    CNoteList m_notes{16, true};
    int m_lastIndex = -1;
    CNote* m_expected = nullptr;
    CNoteShapes* m_expectedGlyph = nullptr;
    double m_shownAt = 0.0;
    int m_wrongCount = 0;
    int m_low = 255;
    int m_high = 255;
    int m_scale = 0;
    bool m_rightHeld = false;
    std::vector<NOTE_RESULT> m_results;
};
