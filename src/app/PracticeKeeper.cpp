#include "app/PracticeKeeper.h"

#include <chrono>

#include "exercise/LessonReport.h"
#include "exercise/Teacher.h"

namespace {

double UnixSeconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

CPracticeKeeper::CPracticeKeeper(Teacher& teacher) : m_teacher(teacher) {
    m_teacher.AddView(this);
}

CPracticeKeeper::~CPracticeKeeper() {
    m_teacher.SetDrill(nullptr);
    m_teacher.RemoveView(this);
    m_history.Close();
}

bool CPracticeKeeper::Open(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += kFileName;
    if (!m_history.Open(path.c_str())) {
        m_error = m_history.GetError();
        return false;
    }
    return true;
}

bool CPracticeKeeper::CloseHistory(CCharString& problem) {
    m_history.Close();
    if (m_history.GetUnkeptCount() == 0) {
        return true;
    }
    problem = m_history.GetError();
    return false;
}

void CPracticeKeeper::SetDrill(bool on) {
    m_drillOn = on;
    std::vector<PRACTICE_NOTE_STATS> stats;
    if (on && m_history.IsOpen()) {
        if (!m_history.GetNoteStats(stats)) {
            m_error = m_history.GetError();  // the drill still runs, from what it knows
        }
        m_drill.LoadFrom(stats);
    }
    m_teacher.SetDrill(on ? &m_drill : nullptr);
}

bool CPracticeKeeper::OnNote(ROUTED_NOTE& note) {
    const NOTE_JUDGEMENT* answer = m_teacher.GetAnswer();
    if (note.verdict == NOTE_VERDICT::kRight && answer != nullptr) {
        Keep(*answer);
    }
    return true;
}

void CPracticeKeeper::Keep(const NOTE_JUDGEMENT& judgement) {
    if (!m_history.IsOpen() || judgement.expected == nullptr) {
        return;
    }
    PRACTICE_ROW row;
    row.time = UnixSeconds();
    row.lesson = m_lesson;
    row.expected = judgement.expected->midiNote;
    row.spelling = CLessonReport::NameOf(*judgement.expected);
    row.clef = judgement.expected->GetStaff() != 0 ? PRACTICE_CLEF_TREBLE : PRACTICE_CLEF_BASS;
    row.played = judgement.played;
    row.source = judgement.source;
    row.rightFirstTry = judgement.rightFirstTry;
    row.wrongPresses = judgement.wrongPresses;
    row.reaction = judgement.reaction;
    if (!m_history.Add(row)) {
        m_error = m_history.GetError();
    }
}

void CPracticeKeeper::OnLessonFinished() {
    if (m_finished) {
        m_finished();
    }
}
