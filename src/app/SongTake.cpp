#include "app/SongTake.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/SongPlayer.h"
#include "audio/SampleOps.h"
#include "capture/SoundCapture.h"
#include "foundation/ErrorReport.h"
#include "platform/Clock.h"
#include "theory/Note.h"
#include "theory/NoteList.h"
#include "theory/NoteRouter.h"

namespace {

constexpr const char* kSource = "SongTake";
constexpr const char* kStreamName = "Take stream.wav";
constexpr const char* kMixedName = "Mixed.wav";
constexpr double kShortestNote = 0.05;  // seconds: a blip still takes a cell
// A note that starts this much before the take's first beat is meant for it.
constexpr double kEarlySeconds = 0.1;
constexpr int kBassThing = 36;  // a bass take listens in the low range

double Now() {
    return Platform::GetClock().GetSeconds();
}

}  // namespace

CSongTake::~CSongTake() {
    if (m_subscribed && m_services.router != nullptr) {
        m_services.router->Unsubscribe(*this);
    }
}

bool CSongTake::Start(const CNoteList& notes, const RECORD_REQUEST& request,
                      const SERVICES& services, CCharString& error) {
    m_services = services;
    m_request = request;
    m_held.clear();
    m_taken = 0;
    m_refused = 0;
    CSoundCapture& capture = *m_services.capture;
    m_streamFile = request.audio ? m_services.tempFolder + kStreamName : std::string();
    const char* recordName = request.audio ? request.recordFile.GetText() : nullptr;
    const int method = request.audio ? 0 : m_services.liveMethod;
    if (!capture.GetReady(recordName, request.mixOffset, request.detectorOffset) ||
        !capture.Start(method, request.targetThing == kBassThing)) {
        error.Format("Can't start sound capture: %s", capture.GetError());
        RestoreCapture();
        return false;
    }
    if (!m_services.player->Play(notes, 0.0, 1, request.audio ? m_streamFile.c_str() : nullptr)) {
        error = m_services.player->GetError();
        capture.Stop();
        RestoreCapture();
        return false;
    }
    m_start = m_services.player->GetStartTime();
    if (!request.audio && m_services.router != nullptr) {
        m_services.router->Subscribe(ROAD_STAGE::kRecorder, *this);
        m_subscribed = true;
    }
    m_running = true;
    return true;
}

bool CSongTake::OnNote(ROUTED_NOTE& routed) {
    const NOTE_EVENT& event = routed.event;
    if (!m_running || event.source != SOURCE_SOUND_DETECTOR || !event.IsValid()) {
        return true;
    }
    const auto held = m_held.find(event.note);
    if (held != m_held.end()) {
        Put(event.note, held->second, event.arrival);  // its end, or a new start
        m_held.erase(held);
    }
    if (event.IsOn()) {
        m_held[event.note] = event.arrival;
    }
    return true;
}

void CSongTake::Put(int midiNote, double start, double end) {
    double time = start - m_start - m_request.detectorOffset;
    if (time < -kEarlySeconds) {
        return;  // heard during the count-in
    }
    time = std::max(0.0, time);  // played a little early for the first beat
    if (m_request.foldLength > 0.0) {
        time = std::fmod(time, m_request.foldLength);
    }
    CNote note;
    note.thing = static_cast<int16_t>(m_request.targetThing);
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.eventKind = EVENT_NOTE_START;
    note.time = time;
    note.duration = std::max(kShortestNote, end - start);
    CCharString reason;
    if (m_services.sink && m_services.sink(m_request.targetThing, note, reason)) {
        ++m_taken;
        return;
    }
    ++m_refused;
    ReportError(kSource, __LINE__, "Can't take note %d: %s", midiNote, reason.GetText());
}

bool CSongTake::Finish(std::string& mixedPath, CCharString& error) {
    mixedPath.clear();
    if (!m_running) {
        return true;
    }
    m_running = false;
    if (m_subscribed) {
        m_services.router->Unsubscribe(*this);
        m_subscribed = false;
    }
    const double now = Now();
    for (const auto& [midiNote, start] : m_held) {
        Put(midiNote, start, now);
    }
    m_held.clear();
    CSoundCapture& capture = *m_services.capture;
    bool ok = true;
    if (!capture.Stop()) {
        error.Format("Can't stop sound capture: %s", capture.GetError());
        ok = false;
    }
    if (ok && m_request.audio) {
        const std::string mixed = m_services.tempFolder + kMixedName;
        CCharString reason;
        if (!CSampleOps::MixFiles(m_request.recordFile, m_streamFile.c_str(), m_request.mixOffset,
                                  mixed.c_str(), reason)) {
            error.Format("Can't mix sound files: %s", reason.GetText());
            ok = false;
        } else {
            std::error_code ignored;
            std::filesystem::remove(m_request.recordFile.Str(), ignored);
            std::filesystem::remove(m_streamFile, ignored);
            // A take that ended within the count-in leaves nothing to mix.
            mixedPath = std::filesystem::exists(mixed, ignored) ? mixed : std::string();
        }
    }
    RestoreCapture();
    return ok;
}

void CSongTake::RestoreCapture() {
    CSoundCapture& capture = *m_services.capture;
    if (!capture.GetReady(nullptr, 0.0, 0.0) || !capture.Start(m_services.liveMethod, false)) {
        ReportError(kSource, __LINE__, "Can't start sound capture: %s", capture.GetError());
    }
}
