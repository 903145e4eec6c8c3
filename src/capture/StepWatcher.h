#pragma once

#include <array>
#include <cstdint>

// Hears a sounding note step to another pitch without an attack (legato):
// once the note's own period is lost, the clear pitches read hop by hop are
// a step when kHops of them in a row lie within kSteadyCents of the first,
// their newest within kDriftCents of their first, and kCents or more from
// the note. Voices gliding into the next note (or the mixture of two
// notes) are so named where they settle. An octave of the note is more
// often a fading partial than a new note: that needs an attack.
class CStepWatcher {
public:
    static constexpr int kHops = 5;
    static constexpr double kCents = 80.0;
    static constexpr double kSteadyCents = 50.0;
    static constexpr double kDriftCents = 25.0;

    // The note's own period holds again, or another note began.
    void Reset();
    // The note's period was lost in the hop ending at index, whose window's
    // middle lies at time; only the first loss since Reset counts.
    void Lost(int64_t index, double time);
    int64_t GetLostIndex() const { return m_lostIndex; }
    double GetLostTime() const { return m_lostTime; }
    // No clear pitch this hop: the count starts again.
    void Unclear() { m_hops = 0; }
    // A clear pitch read while the note noteMidi is lost. True when it
    // completes a step; named is then the step's pitch (the middle reading,
    // in the lowest octave read).
    bool Add(double frequency, int noteMidi, double& named);

private:
    double m_frequency = 0.0;                // the first pitch read, in the lowest octave read
    std::array<double, kHops> m_readings{};  // the pitches read while steady
    int m_hops = 0;                          // it has stayed steady
    int64_t m_lostIndex = -1;
    double m_lostTime = 0.0;
};
