#include "capture/NoteTracker.h"

#include <algorithm>
#include <cmath>

namespace {

// Sound is looked at about 22 kHz (9 kHz for the bass range), in hops of
// about 6 ms, with spectra of about 12 ms (23 ms for bass).
constexpr int kNormalHalvings = 1;
constexpr int kLowHalvings = 2;
constexpr int kHop = 128;
constexpr int kLowHop = 64;
constexpr int kFftSize = 256;
constexpr double kNormalLowest = 60.0;
constexpr double kNormalHighest = 2100.0;
constexpr double kLowLowest = 30.0;
constexpr double kLowHighest = 420.0;
constexpr double kFloorSeconds = 3.0;
constexpr double kLearntSeconds = 0.2;
constexpr double kSilentDb = -100.0;
// A sound that rose through the trigger began where it first stood this far
// above the floor, looked for at most kTraceHops back.
constexpr double kTraceMarginDb = 3.0;
constexpr int kTraceHops = 12;
// ... unless it never stood under that within them: then where the level
// last lay this close to its lowest.
constexpr double kTroughDb = 1.5;
// An onset over a sounding note is traced back at most this many hops.
constexpr int kRiseTraceHops = 8;
// A new onset this soon after the last is the same one.
constexpr int kRefractoryHops = 7;
// An onset not named within this many hops was no note.
constexpr int kPendingHops = 60;
// A repeated note of the same pitch needs its level to rise this much.
constexpr double kRepeatRiseDb = 3.0;
// ... and to come this long after its start (a second swell of one attack
// is no new note).
constexpr double kRepeatSeconds = 0.1;
// Estimates agree when they name one note and lie this close.
constexpr double kAgreeCents = 20.0;
// An estimate this aperiodic needs kWeakAgreeingHops agreeing hops.
constexpr double kWeakAperiodicity = 0.25;
constexpr int kWeakAgreeingHops = 4;
// A pitch read while the note's period is lost counts toward a step
// (CStepWatcher) when it is this clear.
constexpr double kChangeAperiodicity = 0.2;
// A step starts where the note's period was first troubled
// (CPeriodHistory); failing that, where the level rose by kChangeRiseDb,
// looked for from kRiseHops before its pitch was first heard.
constexpr double kChangeRiseDb = 3.0;
constexpr int kRiseHops = 12;
// The level under the trigger this many hops, or no pitch heard this many,
// ends the note.
constexpr int kReleaseHops = 8;
constexpr int kUnvoicedHops = 40;
// The tuner hears a pitch as steady when kSteadyHops pitches in a row stay
// within kSteadyCents of their middle one; it is told every kPitchHops.
constexpr int kSteadyHops = 3;
constexpr double kSteadyCents = 15.0;
constexpr int kPitchHops = 8;
constexpr int kLevelHops = 5;
// A followed note holds while its own period's dip stays this low.
constexpr double kHoldAperiodicity = 0.2;
// A pitch from here up with nothing at its own frequency is never named.
constexpr double kHollowLowest = 100.0;
// A pitch whose half period dips this low is doubtful for up to
// kDoubtSeconds after the onset.
constexpr double kOctaveDoubt = 0.3;
constexpr double kDoubtCents = 60.0;
constexpr double kDoubtSeconds = 0.08;
// ... as is one whose level still rises this much a hop, judged over at
// most kMostSwellHops.
constexpr double kRisingDb = 1.0;
constexpr int kMostSwellHops = 8;
// Below this pitch, a half period nearly as periodic is doubtful for up to
// kBassDoubtSeconds.
constexpr double kBassDoubtBelow = 100.0;
constexpr double kBassDoubtSeconds = 0.15;
// A sound of the last note's pitch this soon after it ended and this much
// quieter than it was is its reverberation.
constexpr double kTailSeconds = 2.5;
constexpr double kTailDb = 30.0;
// A note that ended this long ago may still fade under the next.
constexpr double kFadingSeconds = 1.0;

int MidiOf(double frequency) {
    return CPitchNamer::MidiOf(frequency);
}

double FrequencyOf(int midi) {
    return CPitchNamer::FrequencyOf(midi);
}

double Cents(double frequency, double reference) {
    return CPitchNamer::Cents(frequency, reference);
}

float VolumeOf(double levelDb) {
    // The level is an RMS; a sine's peak is √2 above it.
    return static_cast<float>(std::min(1.0, std::sqrt(2.0) * std::pow(10.0, levelDb / 20.0)));
}

}  // namespace

CNoteTracker::CNoteTracker(INoteTrackerListener& listener)
    : m_listener(listener), m_onsets(kHop, kFftSize) {}

void CNoteTracker::Start(const WAVE_FORMAT& format, bool lowRange) {
    const int halvings = lowRange ? kLowHalvings : kNormalHalvings;
    m_decimator.Start(format.channels, halvings);
    m_rate = static_cast<double>(format.samplesPerSecond) / m_decimator.GetFactor();
    m_hop = lowRange ? kLowHop : kHop;
    m_onsets = COnsetDetector(m_hop, kFftSize);
    m_namer.Configure(m_rate, lowRange ? kLowLowest : kNormalLowest,
                      lowRange ? kLowHighest : kNormalHighest);
    m_longestWindow = m_namer.GetLongestWindow();
    const double hopsPerSecond = m_rate / m_hop;
    m_floor.Start(static_cast<int>(kFloorSeconds * hopsPerSecond),
                  static_cast<int>(kLearntSeconds * hopsPerSecond));
    m_values.clear();
    m_base = m_done = m_blockIndex = 0;
    m_blockTime = 0.0;
    m_note = NOTE();
    m_pending = PENDING();
    m_steps.Reset();
    m_periods.Clear();
    m_levels.Clear();
    m_endedMidi = 0;
    m_endedLoudestDb = kSilentDb;
    m_endedIndex = -1;
    m_lastOnset = -1;
    m_previousLevelDb = kSilentDb;
    m_quietHops = m_unvoicedHops = m_hopsSinceLevel = 0;
    m_steady.clear();
    m_pitchTold = 0;
    m_levelPeakDb = kSilentDb;
}

void CNoteTracker::SetTrigger(bool automatic, float fixedLevel) {
    const double level = std::clamp(static_cast<double>(fixedLevel), 1e-5, 1.0);
    m_floor.SetFixed(automatic, 20.0 * std::log10(level));
}

void CNoteTracker::Add(const uint8_t* bytes, int frames, double startSeconds) {
    if (bytes == nullptr || frames <= 0 || m_hop == 0) {
        return;
    }
    m_blockIndex = m_base + static_cast<int64_t>(m_values.size());
    // Values leave the filters about half their length late.
    m_blockTime = startSeconds;
    m_decimator.Add(bytes, frames, m_values);
    const int64_t end = m_base + static_cast<int64_t>(m_values.size());
    while (m_done + m_hop <= end) {
        m_done += m_hop;
        Hop(m_done);
    }
    Trim();
}

// Keeps what the longest window and a spectrum need, and a little more.
void CNoteTracker::Trim() {
    const int64_t keep = std::max<int64_t>(m_longestWindow, m_onsets.GetFftSize()) + 2 * m_hop;
    const int64_t keepFrom = std::min(m_done - keep, m_pending.active ? m_pending.index : m_done);
    const int64_t drop = keepFrom - m_base;
    if (drop > static_cast<int64_t>(m_values.size()) / 2 && drop > keep) {
        m_values.erase(m_values.begin(), m_values.begin() + drop);
        m_base += drop;
    }
}

const float* CNoteTracker::ValuesAt(int64_t index) const {
    return m_values.data() + (index - m_base);
}

double CNoteTracker::TimeOf(int64_t index) const {
    return m_blockTime + static_cast<double>(index - m_blockIndex) / m_rate;
}

double CNoteTracker::LevelDb(int64_t end) const {
    const float* values = ValuesAt(end - m_hop);
    double sum = 0.0;
    for (int i = 0; i < m_hop; ++i) {
        sum += static_cast<double>(values[i]) * values[i];
    }
    const double mean = sum / m_hop;
    return mean > 0.0 ? std::max(kSilentDb, 10.0 * std::log10(mean)) : kSilentDb;
}

void CNoteTracker::Hop(int64_t end) {
    const double levelDb = LevelDb(end);
    m_levels.Add(levelDb);
    const int fft = m_onsets.GetFftSize();
    if (end - fft >= m_base) {
        m_onsets.AddHop(ValuesAt(end - fft), levelDb);
    }
    // The trigger is the one learnt before this hop: a sound that begins
    // with the stream is no floor.
    const double triggerDb = m_floor.GetTriggerDb();
    const bool quiet = !m_note.sounding && !m_pending.active;
    FindOnset(end, levelDb, triggerDb);
    if (quiet && !m_pending.active) {
        m_floor.Learn(levelDb);
    }
    if (m_pending.active) {
        WatchPending(end, levelDb);
    } else if (m_note.sounding) {
        Follow(end, levelDb);
    }
    if (m_note.sounding) {
        WatchRelease(end, levelDb, triggerDb);
    }
    m_levelPeakDb = std::max(m_levelPeakDb, levelDb);
    if (++m_hopsSinceLevel >= kLevelHops) {
        m_listener.OnTrackerLevel(TimeOf(end), VolumeOf(m_levelPeakDb));
        m_hopsSinceLevel = 0;
        m_levelPeakDb = kSilentDb;
    }
    m_previousLevelDb = levelDb;
}

void CNoteTracker::FindOnset(int64_t end, double levelDb, double triggerDb) {
    if (levelDb <= triggerDb) {
        return;
    }
    if (m_lastOnset >= 0 && end - m_lastOnset < kRefractoryHops * m_hop) {
        return;
    }
    const bool quiet = !m_note.sounding && !m_pending.active;
    const bool rose = m_previousLevelDb <= triggerDb;
    if (quiet && (rose || m_onsets.IsOnset())) {
        // Traced back to where the sound first stood out of the floor.
        const double from = std::min(triggerDb, m_floor.GetFloorDb() + kTraceMarginDb);
        int back = m_onsets.HopsSinceAbove(from, kTraceHops);
        if (back >= kTraceHops) {
            back = m_levels.HopsSinceTrough(kTraceHops, kTroughDb);
        }
        BeginPending(std::max(m_base, end - static_cast<int64_t>(back + 1) * m_hop),
                     m_onsets.GetRiseDb());
    } else if (!quiet && m_onsets.IsOnset()) {
        // A note rising out of the last one's sound began where the level
        // last lay lowest (its spectrum stands out a few hops later); it is
        // named from the onset on, without the last one's sound before it.
        const int back = m_levels.HopsSinceTrough(kRiseTraceHops, kTroughDb);
        const int64_t trough = end - static_cast<int64_t>(back + 1) * m_hop;
        const int64_t began = std::max({m_base, trough, m_lastOnset + m_hop});
        BeginPending(end - m_hop, m_onsets.GetRiseDb());
        m_pending.began = TimeOf(std::min(began, end - m_hop));
    }
}

void CNoteTracker::BeginPending(int64_t index, double riseDb) {
    m_pending = PENDING();
    m_pending.active = true;
    m_pending.index = index;
    m_pending.time = m_pending.began = TimeOf(index);
    m_pending.riseDb = riseDb;
    m_lastOnset = index;
}

void CNoteTracker::WatchPending(int64_t end, double levelDb) {
    m_pending.loudestDb = std::max(m_pending.loudestDb, levelDb);
    if (++m_pending.hops > kPendingHops) {
        m_pending.active = false;
        return;
    }
    // The hop that holds the attack (and a sound it may cut off) is left
    // out of the window.
    const int64_t first = m_pending.index + m_hop;
    if (first >= end) {
        return;
    }
    const float* values = ValuesAt(first);
    const int count = static_cast<int>(end - first);
    YIN_ESTIMATE estimate;
    if (!m_namer.Name(values, count, Fading(end), estimate)) {
        m_pending.agreeing = 0;
        return;
    }
    const double halfDip = m_namer.DipNear(2.0 * estimate.frequency, kDoubtCents);
    const int midi = MidiOf(estimate.frequency);
    // A pitch still sliding into the note (a reed's or a voice's scoop) is
    // no agreement, even within one semitone.
    const bool steady = midi == m_pending.lastMidi &&
                        std::abs(Cents(estimate.frequency, m_pending.lastFrequency)) < kAgreeCents;
    // The level of a hop shorter than the period ripples with the waveform,
    // so whether it swells is judged over whole periods.
    const int span = std::clamp(static_cast<int>(std::ceil(m_rate / estimate.frequency / m_hop)), 1,
                                kMostSwellHops);
    const bool rising = m_levels.SwellDb(span) > kRisingDb * span;
    // While half the period is nearly as periodic in the closer look, or the
    // level still swells, the attack (a reed's bark, a flute's chiff, a
    // wind note speaking low) may still repeat at twice the note's period:
    // it is watched a little longer; a bass pluck's thump at half its pitch
    // longer still. So is a pitch with nothing at its own frequency (a
    // period of the new note mixed with the last one's ringing), which from
    // kHollowLowest up is never named, nor before enough of its periods
    // have come to tell.
    const bool hollow = m_namer.IsHollow(values, count, estimate.frequency);
    const bool untold = !m_namer.CanTellHollow(count, estimate.frequency);
    const double age = TimeOf(end) - m_pending.time;
    const bool lowOctaveDoubt =
        halfDip < kOctaveDoubt && estimate.frequency < kBassDoubtBelow && age < kBassDoubtSeconds;
    const bool doubtful = ((halfDip < kOctaveDoubt || rising || hollow) && age < kDoubtSeconds) ||
                          lowOctaveDoubt ||
                          ((hollow || untold) && estimate.frequency >= kHollowLowest);
    m_pending.agreeing = doubtful ? 0 : steady ? m_pending.agreeing + 1 : 1;
    m_pending.lastMidi = midi;
    m_pending.lastFrequency = estimate.frequency;
    // A pitch read off a barely periodic sound (a bow's scratch at the
    // attack) is named only when more hops agree on it.
    const int needed =
        estimate.aperiodicity > kWeakAperiodicity ? kWeakAgreeingHops : kAgreeingHops;
    if (m_pending.agreeing >= needed) {
        Confirm(midi, estimate.frequency);
    }
}

void CNoteTracker::Confirm(int midi, double frequency) {
    m_pending.active = false;
    if (m_note.sounding && midi == m_note.midi &&
        (m_pending.riseDb < kRepeatRiseDb || m_pending.time - m_note.start < kRepeatSeconds)) {
        return;  // the same note went on: no new attack
    }
    // The last note's own reverberation, long after and far quieter, is no
    // new note.
    const bool tail = !m_note.sounding && midi == m_endedMidi && m_endedIndex >= 0 &&
                      m_done - m_endedIndex < m_rate * kTailSeconds &&
                      m_pending.loudestDb < m_endedLoudestDb - kTailDb;
    if (tail) {
        return;
    }
    if (m_note.sounding) {
        EndNote(m_pending.began);
    }
    m_note.sounding = true;
    m_note.midi = midi;
    m_note.start = m_pending.began;
    m_note.loudestDb = m_pending.loudestDb;
    m_quietHops = m_unvoicedHops = 0;
    m_steps.Reset();
    m_steady.clear();
    m_listener.OnTrackerStart(m_pending.began, frequency, VolumeOf(m_pending.loudestDb));
}

void CNoteTracker::Follow(int64_t end, double levelDb) {
    m_note.loudestDb = std::max(m_note.loudestDb, levelDb);
    const int window = m_namer.FollowWindow(FrequencyOf(m_note.midi));
    int64_t from = std::max(m_base, end - window);
    YIN_ESTIMATE estimate;
    bool found = m_namer.Estimate(ValuesAt(from), static_cast<int>(end - from), estimate);
    // The note's own period still repeating holds it, whichever dip is
    // deepest (a low piano string's partials can make a neighbour's). At
    // the short lags of high notes a dip within the note's span may be the
    // next note's, which its refined pitch shows.
    const double ownDip = m_namer.DipNear(FrequencyOf(m_note.midi), kHoldCents);
    m_periods.Add(end, ownDip, levelDb);
    const bool other =
        found && estimate.aperiodicity >= ownDip &&
        estimate.aperiodicity < CPitchNamer::kCloserAperiodicity &&
        std::abs(Cents(estimate.frequency, FrequencyOf(m_note.midi))) >= CStepWatcher::kCents;
    if (ownDip < kHoldAperiodicity && !other) {
        m_unvoicedHops = 0;
        m_steps.Reset();
        if (found && std::abs(Cents(estimate.frequency, FrequencyOf(m_note.midi))) < kHoldCents) {
            TellPitch(end, estimate.frequency);
        }
        return;
    }
    // The note's period is gone: the whole range is looked at, since the
    // next note may lie below what the note's own window can tell.
    if (window < m_longestWindow) {
        from = std::max(m_base, end - m_longestWindow);
        found = m_namer.Estimate(ValuesAt(from), static_cast<int>(end - from), estimate,
                                 FrequencyOf(m_note.midi));
    }
    const double cents = found ? Cents(estimate.frequency, FrequencyOf(m_note.midi)) : 0.0;
    if (found && std::abs(cents) < kHoldCents) {
        m_unvoicedHops = 0;
        m_steps.Reset();
        TellPitch(end, estimate.frequency);
        return;
    }
    m_steady.clear();
    m_steps.Lost(end, std::max(m_note.start, TimeOf(end - (end - from) / 2)));
    if (!found) {
        ++m_unvoicedHops;
        m_steps.Unclear();
        return;
    }
    m_unvoicedHops = 0;
    // A period with nothing at its own frequency is one of a mixture.
    const bool hollow =
        estimate.frequency >= kHollowLowest &&
        m_namer.IsHollow(ValuesAt(m_base), static_cast<int>(end - m_base), estimate.frequency);
    if (estimate.aperiodicity < kChangeAperiodicity && !hollow) {
        m_namer.LookCloser(ValuesAt(m_base), static_cast<int>(end - m_base), Fading(end), estimate);
        WatchChange(estimate.frequency);
    } else {
        m_steps.Unclear();
    }
}

// A step heard ends the note and starts the new one where it began.
void CNoteTracker::WatchChange(double frequency) {
    double named = 0.0;
    if (!m_steps.Add(frequency, m_note.midi, named)) {
        return;
    }
    const double time = std::max(m_note.start, ChangeStart());
    EndNote(time);
    m_note.sounding = true;
    m_note.midi = MidiOf(named);
    m_note.start = time;
    m_note.loudestDb = m_levels.Newest();
    m_steps.Reset();
    m_listener.OnTrackerStart(time, named, VolumeOf(m_note.loudestDb));
}

// Where the next note began under the sounding one: where the sounding
// one's period was first troubled, the middle of that hop's window; else
// where the level rose.
double CNoteTracker::ChangeStart() const {
    const int64_t lost = m_steps.GetLostIndex();
    const int64_t troubled = m_periods.TroubledSince(lost, m_floor.GetFloorDb());
    if (troubled < 0) {
        return RiseBefore(lost, m_steps.GetLostTime());
    }
    return TimeOf(troubled - m_namer.FollowWindow(FrequencyOf(m_note.midi)) / 2);
}

// Where the level last rose by kChangeRiseDb out of its quietest hop, from
// kRiseHops before index on; otherwise fallback. A bowed or sung note
// changing without an attack still swells out of the last one's end.
double CNoteTracker::RiseBefore(int64_t index, double fallback) const {
    const int span = static_cast<int>((m_done - index) / m_hop) + kRiseHops;
    const int back = m_levels.HopsSinceRise(span, kChangeRiseDb);
    if (back < 0) {
        return fallback;
    }
    // The quietest hop's middle: the old sound ends and the new begins in it.
    const int64_t quietEnd = m_done - static_cast<int64_t>(back) * m_hop;
    return TimeOf(quietEnd - m_hop / 2);
}

// Tells the pitch once a few in a row agree, at most every kPitchHops.
void CNoteTracker::TellPitch(int64_t end, double frequency) {
    m_steady.push_back(frequency);
    if (static_cast<int>(m_steady.size()) > kSteadyHops) {
        m_steady.erase(m_steady.begin());
    }
    if (static_cast<int>(m_steady.size()) < kSteadyHops ||
        end - m_pitchTold < static_cast<int64_t>(kPitchHops) * m_hop) {
        return;
    }
    std::vector<double> sorted = m_steady;
    std::sort(sorted.begin(), sorted.end());
    const double middle = sorted[sorted.size() / 2];
    if (Cents(sorted.back(), middle) > kSteadyCents ||
        Cents(middle, sorted.front()) > kSteadyCents) {
        return;
    }
    m_pitchTold = end;
    m_listener.OnTrackerPitch(TimeOf(end), middle);
}

void CNoteTracker::WatchRelease(int64_t end, double levelDb, double triggerDb) {
    if (levelDb > triggerDb) {
        m_quietHops = 0;
    } else if (m_quietHops++ == 0) {
        m_quietSince = TimeOf(end - m_hop);
    }
    if (m_quietHops >= kReleaseHops) {
        EndNote(m_quietSince);
    } else if (m_unvoicedHops >= kUnvoicedHops && !m_pending.active) {
        EndNote(TimeOf(end));
    }
}

// The pitch of the sounding note, or of one that ended so recently that it
// may still fade in the window; 0 for none.
double CNoteTracker::Fading(int64_t end) const {
    if (m_note.sounding) {
        return FrequencyOf(m_note.midi);
    }
    const bool recent = m_endedIndex >= 0 && end - m_endedIndex < m_rate * kFadingSeconds;
    return recent ? FrequencyOf(m_endedMidi) : 0.0;
}

void CNoteTracker::EndNote(double time) {
    if (!m_note.sounding) {
        return;
    }
    m_note.sounding = false;
    m_endedMidi = m_note.midi;
    m_endedLoudestDb = m_note.loudestDb;
    m_endedIndex = m_done;
    m_quietHops = m_unvoicedHops = 0;
    m_steps.Reset();
    m_periods.Clear();
    m_steady.clear();
    m_listener.OnTrackerEnd(std::max(time, m_note.start));
}
