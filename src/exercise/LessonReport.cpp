#include "exercise/LessonReport.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kOctave = 12;
constexpr int kOctaveOffset = 1;  // MIDI note 60 is C4

std::string Percent(int part, int whole) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%%", whole > 0 ? 100.0 * part / whole : 0.0);
    return text;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

std::string CLessonReport::NameOf(const CNote& note) {
    const int midiNote = note.midiNote;
    const char* name = note.accidental == ACCIDENTAL_FLAT ? GetFlatName(midiNote % kOctave)
                                                          : GetSharpName(midiNote % kOctave);
    return std::string(name) + std::to_string(midiNote / kOctave - kOctaveOffset);
}

void CLessonReport::Make(const CNoteList& notes, const std::vector<NOTE_RESULT>& results) {
    m_answered = m_rightFirstTry = 0;
    m_meanReaction = 0.0;
    m_slowest.clear();
    m_mostMissed.clear();
    std::vector<NOTE_LINE> lines;
    double reaction = 0.0;
    for (size_t i = 0; i < results.size() && static_cast<int>(i) < notes.GetCount(); ++i) {
        const NOTE_RESULT& result = results[i];
        // At the end of a lesson every note shown has been answered.
        const int shown = result.shown;
        if (shown <= 0) {
            continue;
        }
        NOTE_LINE line;
        line.name = NameOf(*notes.GetAt(static_cast<int>(i)));
        line.meanReaction = result.reactionSum / shown;
        line.missed = shown - result.rightFirstTry;
        line.wrongPresses = result.wrong;
        m_answered += shown;
        m_rightFirstTry += result.rightFirstTry;
        reaction += result.reactionSum;
        lines.push_back(line);
    }
    m_meanReaction = m_answered > 0 ? reaction / m_answered : 0.0;
    m_slowest = lines;
    std::stable_sort(
        m_slowest.begin(), m_slowest.end(),
        [](const NOTE_LINE& a, const NOTE_LINE& b) { return a.meanReaction > b.meanReaction; });
    m_slowest.resize(std::min(m_slowest.size(), kListed));
    for (const NOTE_LINE& line : lines) {
        if (line.missed > 0 || line.wrongPresses > 0) {
            m_mostMissed.push_back(line);
        }
    }
    std::stable_sort(
        m_mostMissed.begin(), m_mostMissed.end(), [](const NOTE_LINE& a, const NOTE_LINE& b) {
            return a.missed != b.missed ? a.missed > b.missed : a.wrongPresses > b.wrongPresses;
        });
    m_mostMissed.resize(std::min(m_mostMissed.size(), kListed));
}

std::string CLessonReport::GetText() const {
    std::string text = "Right at first try: " + std::to_string(m_rightFirstTry) + " of " +
                       std::to_string(m_answered) + " (" + Percent(m_rightFirstTry, m_answered) +
                       ")\nMean time: " + Seconds(m_meanReaction) + "\nSlowest:";
    for (size_t i = 0; i < m_slowest.size(); ++i) {
        text += (i == 0 ? " " : ", ") + m_slowest[i].name + " (" +
                Seconds(m_slowest[i].meanReaction) + ")";
    }
    text += "\nMost missed:";
    if (m_mostMissed.empty()) {
        text += " none";
    }
    for (size_t i = 0; i < m_mostMissed.size(); ++i) {
        const NOTE_LINE& line = m_mostMissed[i];
        text += (i == 0 ? " " : ", ") + line.name + " (" + std::to_string(line.wrongPresses) +
                (line.wrongPresses == 1 ? " wrong key)" : " wrong keys)");
    }
    return text;
}
