#pragma once

#include <string>
#include <vector>

#include "exercise/Teacher.h"
#include "theory/NoteList.h"

// The summary of a lesson run: how many notes were answered and how well,
// the slowest notes and the most missed ones, as the learner reads it when
// the lesson ends.
class CLessonReport {
public:
    static constexpr size_t kListed = 3;  // notes named in each list

    struct NOTE_LINE {
        std::string name;  // e.g. "F#4"
        double meanReaction = 0.0;
        int missed = 0;  // answers not right at the first try
        int wrongPresses = 0;
    };

    // Takes the teacher's notes and results at the end of a lesson.
    void Make(const CNoteList& notes, const std::vector<NOTE_RESULT>& results);

    int GetAnswered() const { return m_answered; }
    int GetRightFirstTry() const { return m_rightFirstTry; }
    double GetMeanReaction() const { return m_meanReaction; }
    const std::vector<NOTE_LINE>& GetSlowest() const { return m_slowest; }
    const std::vector<NOTE_LINE>& GetMostMissed() const { return m_mostMissed; }
    // Several lines: the counts, the mean time, the slowest and the most
    // missed notes.
    std::string GetText() const;

    // A note's name with its octave as the staff writes it.
    static std::string NameOf(const CNote& note);

private:
    int m_answered = 0;
    int m_rightFirstTry = 0;
    double m_meanReaction = 0.0;
    std::vector<NOTE_LINE> m_slowest;
    std::vector<NOTE_LINE> m_mostMissed;
};
