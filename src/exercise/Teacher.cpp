#include "exercise/Teacher.h"

#include <algorithm>

#include "exercise/DrillSchedule.h"
#include "exercise/TeacherView.h"
#include "foundation/ErrorReport.h"
#include "foundation/Random.h"
#include "platform/Clock.h"
#include "theory/NoteManager.h"

namespace {
constexpr int kMiddleC = 60;
constexpr int kFirstLessonHigh = 71;
constexpr int kOctave = 12;

// A black key as a sharp or a flat by chance; the lowest note of the
// lesson as a flat and the highest as a sharp, so that neither is written
// outside the lesson's range.
void SpellAtRandom(CNote& note, bool lowest, bool highest) {
    if (note.accidental != ACCIDENTAL_SHARP && note.accidental != ACCIDENTAL_FLAT) {
        note.writtenNote = note.midiNote;
        return;
    }
    const bool flat = lowest ? true : (highest ? false : Random(0, 1) == 1);
    note.accidental = flat ? ACCIDENTAL_FLAT : ACCIDENTAL_SHARP;
    note.writtenNote = static_cast<uint8_t>(flat ? note.midiNote + 1 : note.midiNote - 1);
}

constexpr int kHighestNote = 127;
// Added before dividing so that the distance from middle C is never negative.
constexpr int kShiftBias = 10 * kOctave;
}  // namespace

Teacher::Teacher(CNoteManager* noteManager) : m_noteManager(noteManager) {
    int root = kMiddleC, accidental = 0;
    if (!CNoteManager::GetKeyRoot(kDefaultScale, root, accidental)) {
        root = kMiddleC;
    }
    SetLesson(kDefaultScale, kMiddleC, kFirstLessonHigh, root);
}

void Teacher::AddView(ITeacherView* view) {
    if (view == nullptr || std::find(m_views.begin(), m_views.end(), view) != m_views.end()) {
        return;
    }
    // A note drawn before anything showed it (at start-up, while a picture
    // is rebuilt) is timed from when the learner can first see it.
    if (m_views.empty() && !m_rightHeld && m_wrongCount == 0) {
        m_shownAt = Platform::GetClock().GetSeconds();
    }
    m_views.push_back(view);
}

void Teacher::SetHints(const HINTS& hints) {
    if (hints == m_hints) {
        return;
    }
    m_hints = hints;
    for (ITeacherView* view : m_views) {
        view->OnHintsChanged();
    }
}

void Teacher::RemoveView(ITeacherView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void Teacher::ShowTo(ITeacherView& view) const {
    if (m_standBy) {
        view.OnStandBy();
        return;
    }
    if (m_expected == nullptr) {
        return;
    }
    view.OnNoteShown(*m_expected, NOTE_NONE);
    if (m_rightHeld) {
        view.OnRightNote(*m_expected);
    }
}

bool Teacher::SetNoteLesson(const std::vector<int>& midiNotes) {
    if (midiNotes.empty()) {
        m_error = "Can't set lesson: no notes given";
        return false;
    }
    const auto [low, high] = std::minmax_element(midiNotes.begin(), midiNotes.end());
    return SetScaleLesson(kDefaultScale, *low, *high, 255, &midiNotes);
}

bool Teacher::SetLesson(int scale, int low, int high, int root) {
    return SetScaleLesson(scale, low, high, root, nullptr);
}

bool Teacher::SetScaleLesson(int scale, int low, int high, int root, const std::vector<int>* only) {
    if (m_noteManager == nullptr) {
        m_error = "Can't set lesson: no note manager";
        return false;
    }
    if (low < 0 || high > 127 || low > high) {
        m_error.Format("Can't set lesson: the range %d to %d is empty", low, high);
        return false;
    }
    if (root == 255) {
        int accidental = 0;
        if (!CNoteManager::GetKeyRoot(scale, root, accidental)) {
            root = 60;
        }
    }
    CNoteList laid(128, true);
    if (!m_noteManager->GetScaleOverRange(scale, root, laid)) {
        m_error.Format("Can't set lesson: %s", m_noteManager->GetError());
        return false;
    }
    CKeySignature key;
    key.SetScale(scale, root);  // stays unset for a scale without a key
    CNoteList notes(16, true);
    for (int i = 0; i < laid.GetCount(); ++i) {
        CNote note = *laid.GetAt(i);
        const bool wanted =
            only == nullptr || std::find(only->begin(), only->end(), note.midiNote) != only->end();
        if (note.midiNote >= low && note.midiNote <= high && note.intervalFrets == 0 && wanted) {
            note.thing = THING_KEYBOARD;
            notes.Add(note);
        }
    }
    if (notes.GetCount() == 0) {
        m_error.Format("Can't set lesson: scale %d has no notes between %d and %d", scale, low,
                       high);
        return false;
    }
    // The views still show the old note until the new one replaces it.
    m_previousNote = m_expected != nullptr ? m_expected->midiNote : NOTE_NONE;
    m_expected = nullptr;
    m_notes.Swap(notes);
    m_results.assign(static_cast<size_t>(m_notes.GetCount()), NOTE_RESULT());
    m_scale = scale;
    m_key = key;
    for (int i = 0; i < m_notes.GetCount(); ++i) {
        SpellInKey(*m_notes.GetAt(i));
    }
    m_low = low;
    m_high = high;
    m_lastIndex = -1;
    m_rightHeld = false;
    m_tune = false;
    EndStandBy();
    StartCount();
    return NextNote();
}

void Teacher::StartCount() {
    m_answered = 0;
    m_finished = false;
    if (m_drill == nullptr) {
        return;
    }
    std::vector<int> candidates;
    for (int i = 0; i < m_notes.GetCount(); ++i) {
        candidates.push_back(m_notes.GetAt(i)->midiNote);
    }
    m_drill->SetCandidates(candidates);
}

void Teacher::SetDrill(CDrillSchedule* drill) {
    m_drill = drill;
    if (m_notes.GetCount() > 0 && !m_tune) {
        StartCount();
    }
}

// The drill names a MIDI note; the first of the lesson's notes with it is
// shown. -1 when the drill gives none.
int Teacher::DrawFromDrill() {
    int midiNote = NOTE_NONE;
    if (m_drill == nullptr || !m_drill->Next(midiNote)) {
        return -1;
    }
    for (int i = 0; i < m_notes.GetCount(); ++i) {
        if (m_notes.GetAt(i)->midiNote == midiNote) {
            return i;
        }
    }
    return -1;
}

bool Teacher::SetTune(const char* name, const std::vector<int>& melody, const CKeySignature& key) {
    if (m_noteManager == nullptr || melody.empty()) {
        m_error.Format("Can't play the tune %s: it has no notes", name != nullptr ? name : "");
        return false;
    }
    CNoteList notes(static_cast<int>(melody.size()), true);
    int low = kHighestWritten;
    int high = kLowestWritten;
    for (int played : melody) {
        int midiNote = std::clamp(played, 0, kHighestNote);
        while (midiNote < kLowestWritten) {
            midiNote += kOctave;
        }
        while (midiNote > kHighestWritten) {
            midiNote -= kOctave;
        }
        CNote note;
        if (const CNote* table = m_noteManager->GetNoteTable().GetAt(midiNote)) {
            note.CopyPitch(*table);
        }
        note.midiNote = static_cast<uint8_t>(midiNote);
        note.thing = THING_KEYBOARD;
        notes.Add(note);
        low = std::min(low, midiNote);
        high = std::max(high, midiNote);
    }
    // The list keeps the tune's order: no sorting by time or pitch.
    m_previousNote = m_expected != nullptr ? m_expected->midiNote : NOTE_NONE;
    m_expected = nullptr;
    m_notes.Swap(notes);
    m_results.assign(static_cast<size_t>(m_notes.GetCount()), NOTE_RESULT());
    m_scale = kDefaultScale;
    m_key = key;
    for (int i = 0; i < m_notes.GetCount(); ++i) {
        SpellInKey(*m_notes.GetAt(i));
    }
    m_low = low;
    m_high = high;
    m_lastIndex = -1;
    m_rightHeld = false;
    m_tune = true;
    EndStandBy();
    m_tuneName = name != nullptr ? name : "";
    m_tuneRuns = 0;
    m_lastRunLine.Empty();
    m_answered = 0;
    m_finished = false;
    return NextNote();
}

bool Teacher::MoveToTuneNote(int position) {
    if (!m_tune || position < 1 || position > m_notes.GetCount()) {
        return false;
    }
    m_lastIndex = position - 2;  // the next note drawn is the position-th
    m_rightHeld = false;
    return NextNote();
}

void Teacher::StandBy(const char* invitation) {
    m_standBy = true;
    m_standByLine = invitation != nullptr ? invitation : "";
    m_previousNote = NOTE_NONE;
    m_expected = nullptr;
    m_rightHeld = false;
    m_wrongCount = 0;
    for (ITeacherView* view : m_views) {
        view->OnStandBy();
    }
}

int Teacher::DrawIndex() {
    const int count = m_notes.GetCount();
    if (m_tune) {
        if (m_lastIndex + 1 < count) {
            return m_lastIndex + 1;
        }
        // Played through: its results are kept for the status line, and
        // the tune starts again with fresh ones.
        if (m_lastIndex >= 0) {
            ++m_tuneRuns;
            m_lastRunLine = GetSummaryLine();
            m_results.assign(static_cast<size_t>(count), NOTE_RESULT());
        }
        return 0;
    }
    if (const int drawn = DrawFromDrill(); drawn >= 0) {
        return drawn;
    }
    // Never the same note twice in a row, unless the lesson has only one.
    int i = Random(0, count - 1);
    while (count > 1 && i == m_lastIndex) {
        i = Random(0, count - 1);
    }
    return i;
}

bool Teacher::NextNote() {
    const int count = m_notes.GetCount();
    if (count == 0) {
        return true;
    }
    const int i = DrawIndex();
    m_lastIndex = i;
    const int previous = m_expected != nullptr ? m_expected->midiNote : m_previousNote;
    m_previousNote = NOTE_NONE;
    m_expected = m_notes.GetAt(i);
    if (!m_key.IsSet()) {
        SpellAtRandom(*m_expected, i == 0, i == count - 1);
    }
    m_expected->length = 0;
    m_shownAt = Platform::GetClock().GetSeconds();
    m_wrongCount = 0;
    m_rightHeld = false;
    ++m_results[static_cast<size_t>(i)].shown;
    CCharString line(" Next note: ");
    line.Append(m_expected->GetDebugLine());
    WriteTraceLine(line);
    for (ITeacherView* view : m_views) {
        view->OnNoteShown(*m_expected, previous);
    }
    return true;
}

int Teacher::GetKeyShift() const {
    if (m_low < 0 || m_low > kHighestNote) {
        return 0;
    }
    // The multiple of an octave nearest to the lesson's distance from middle
    // C, rounded on whole numbers that stay positive: half an octave rounds up.
    const int distance = m_low - kMiddleC + kShiftBias;
    return (distance + kOctave / 2) / kOctave * kOctave - kShiftBias;
}

bool Teacher::Matches(const NOTE_EVENT& event) const {
    if (m_expected == nullptr) {
        return false;
    }
    const int expected = m_expected->midiNote;
    switch (event.source) {
        case SOURCE_COMPUTER_KEYBOARD: {
            // The computer keys play one octave, moved towards the lesson;
            // any octave of the right note inside the lesson counts. Worked
            // out on whole numbers, so that a low key never wraps round to a
            // high one.
            if (event.note == expected) {
                return true;
            }
            for (int n = event.note - kOctave; n >= m_low; n -= kOctave) {
                if (n == expected) {
                    return true;
                }
            }
            for (int n = event.note + kOctave; n <= m_high; n += kOctave) {
                if (n == expected) {
                    return true;
                }
            }
            return false;
        }
        case SOURCE_MIDI_INPUT:
        case SOURCE_SOUND_DETECTOR:
            return event.note == expected;
        default:
            return false;
    }
}

NOTE_VERDICT Teacher::Judge(const NOTE_EVENT& event) {
    m_hasAnswer = false;
    // Level updates of the detector and notes of a MIDI file are not answers.
    if (!event.IsValid() ||
        (event.source != SOURCE_COMPUTER_KEYBOARD && event.source != SOURCE_MIDI_INPUT &&
         event.source != SOURCE_SOUND_DETECTOR)) {
        return NOTE_VERDICT::kIgnored;
    }
    if (event.IsOn()) {
        CCharString line;
        line.Format("Input note: %d, velocity %d, source %d", event.note, event.velocity,
                    event.source);
        WriteTraceLine(line);
    }
    if (m_expected == nullptr) {
        return NOTE_VERDICT::kIgnored;
    }
    if (!Matches(event)) {
        const CNote wrong = WrittenWrongNote(event.note);
        if (event.IsOn()) {
            ++m_wrongCount;
            ++m_results[static_cast<size_t>(m_lastIndex)].wrong;
        }
        for (ITeacherView* view : m_views) {
            view->OnWrongNote(wrong, event.IsOn());
        }
        return NOTE_VERDICT::kWrong;
    }
    if (event.IsOn()) {
        if (!m_rightHeld) {
            Answer(event);
        }
        m_rightHeld = true;
        for (ITeacherView* view : m_views) {
            view->OnRightNote(*m_expected);
        }
        return NOTE_VERDICT::kRight;
    }
    if (!m_rightHeld) {
        return NOTE_VERDICT::kIgnored;
    }
    if (!m_tune && m_goal > 0 && m_answered >= m_goal) {
        // The goal is reached: the results stay, no further note comes.
        m_finished = true;
        m_expected = nullptr;
        m_rightHeld = false;
        for (ITeacherView* view : m_views) {
            view->OnLessonFinished();
        }
        return NOTE_VERDICT::kReleased;
    }
    NextNote();
    return NOTE_VERDICT::kReleased;
}

bool Teacher::OnNote(ROUTED_NOTE& note) {
    note.verdict = Judge(note.event);
    return true;
}

CNote Teacher::WrittenWrongNote(int played) const {
    CNote wrong;
    int shownNote = played;
    while (shownNote < kLowestWritten) {
        shownNote += kOctave;
    }
    while (shownNote > kHighestWritten) {
        shownNote -= kOctave;
    }
    if (const CNote* table = m_noteManager->GetNoteTable().GetAt(shownNote)) {
        wrong.CopyPitch(*table);  // written on the natural below a black key, as a sharp
    }
    if (SpellInKey(wrong)) {
        // A spelling across the staff's ends (C flat at the top) is written
        // an octave inside it.
        if (wrong.writtenNote < kLowestWritten || wrong.writtenNote > kHighestWritten) {
            const int inside = wrong.writtenNote < kLowestWritten ? kOctave : -kOctave;
            if (const CNote* table = m_noteManager->GetNoteTable().GetAt(shownNote + inside)) {
                wrong.CopyPitch(*table);
                SpellInKey(wrong);
            }
        }
    }
    wrong.length = 0;
    return wrong;
}

bool Teacher::SpellInKey(CNote& note) const {
    int written = 0, alteration = 0;
    if (!m_key.Spell(note.midiNote, written, alteration)) {
        return false;
    }
    note.writtenNote = static_cast<uint8_t>(written);
    note.accidental = alteration > 0   ? ACCIDENTAL_SHARP
                      : alteration < 0 ? ACCIDENTAL_FLAT
                                       : ACCIDENTAL_NOT_SET;
    return true;
}

void Teacher::Answer(const NOTE_EVENT& played) {
    NOTE_RESULT& result = m_results[static_cast<size_t>(m_lastIndex)];
    NOTE_JUDGEMENT& judgement = m_answer;
    judgement = NOTE_JUDGEMENT();
    judgement.expected = m_expected;
    judgement.played = played.note;
    judgement.source = played.source;
    judgement.rightFirstTry = m_wrongCount == 0;
    judgement.wrongPresses = m_wrongCount;
    judgement.reaction = std::max(0.0, played.arrival - m_shownAt);
    m_hasAnswer = true;
    result.rightFirstTry += judgement.rightFirstTry ? 1 : 0;
    result.reactionSum += judgement.reaction;
    ++m_answered;
    if (m_drill != nullptr) {
        m_drill->Record(m_expected->midiNote, judgement.rightFirstTry, judgement.reaction);
    }
}

bool Teacher::GetSummary(double& percent, double& meanReaction, int& answered) const {
    int right = 0, firstTry = 0;
    double reaction = 0.0;
    for (size_t i = 0; i < m_results.size(); ++i) {
        const NOTE_RESULT& r = m_results[i];
        // The note on show now has not been answered unless it is held.
        const int open = !m_finished && static_cast<int>(i) == m_lastIndex && !m_rightHeld ? 1 : 0;
        right += r.shown - open;
        firstTry += r.rightFirstTry;
        reaction += r.reactionSum;
    }
    answered = right;
    if (right <= 0) {
        percent = meanReaction = 0.0;
        return false;
    }
    percent = 100.0 * firstTry / right;
    meanReaction = reaction / right;
    return true;
}

CCharString Teacher::GetSummaryLine() const {
    double percent = 0.0, mean = 0.0;
    int answered = 0;
    CCharString line;
    if (GetSummary(percent, mean, answered)) {
        line.Format("Right at first try: %.0f%% of %d, mean time %.1f s", percent, answered, mean);
    }
    return line;
}

CCharString Teacher::GetStatusLine() const {
    if (m_standBy) {
        return m_standByLine;
    }
    CCharString line;
    if (m_tune) {
        line.Format("%s: note %d of %d", m_tuneName.GetText(), m_lastIndex + 1, m_notes.GetCount());
        // At the start of a new run, the results of the run played through.
        const CCharString results =
            m_lastIndex == 0 && !m_lastRunLine.IsEmpty() ? m_lastRunLine : GetSummaryLine();
        if (m_lastIndex == 0 && !m_lastRunLine.IsEmpty()) {
            line.Append(" (played through; last time: ");
            line.Append(results);
            line.Append(")");
        } else if (!results.IsEmpty()) {
            line.Append(" - ");
            line.Append(results);
        }
        return line;
    }
    line = GetSummaryLine();
    if (line.IsEmpty()) {
        line = "Play the note shown on the staff";
    }
    if (m_goal > 0) {
        CCharString count;
        count.Format(m_finished ? " - lesson done (%d of %d)" : " - note %d of %d",
                     m_finished ? m_answered : std::min(m_answered + 1, m_goal), m_goal);
        line.Append(count);
    }
    return line;
}
