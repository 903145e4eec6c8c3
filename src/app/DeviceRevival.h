#pragma once

// One device that can stop while the program runs (a sound server that
// ends, a card unplugged): its loss is told once; while it is lost it is
// tried again every kRetrySeconds, quietly, until it opens, and its return
// is told once. The owner opens and tells; this keeps the times and turns.
class CDeviceRevival {
public:
    static constexpr double kRetrySeconds = 5.0;
    // A try that has not answered by then is given up, and tried again.
    static constexpr double kTryLimitSeconds = 10.0;

    // The device was seen stopped at now: true the first time of a loss,
    // when it is to be told.
    bool OnStopped(double now);
    bool IsLost() const { return m_lost; }
    // True when a quiet try is due at now: the caller starts it.
    bool TakeTry(double now);
    bool IsTrying() const { return m_trying; }
    // Whether the running try has had its time at now: it is then given up.
    bool IsTryOverdue(double now) const;
    // The try answered: true when the device is back (tell it); false when
    // it is still gone and the next try waits.
    bool OnAnswer(bool opened, double now);
    // How many tries of this loss failed; the first failure is logged.
    int GetFailedTries() const { return m_failedTries; }
    // A device chosen in Settings > Audio, or a microphone switched off:
    // nothing is lost any more.
    void Reset();

private:
    bool m_lost = false;
    bool m_trying = false;
    double m_tryStarted = 0.0;
    double m_nextTry = 0.0;
    int m_failedTries = 0;
};
