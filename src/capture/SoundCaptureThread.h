#pragma once

#include "foundation/Worker.h"

class CSoundCapture;

// The "SoundCapture" worker: reads what the input captured and hands it to
// the note detector, on request and on its own every check period.
class CSoundCaptureThread : public CWorker {
public:
    CSoundCaptureThread(CSoundCapture& capture, CLogFile* log);
    ~CSoundCaptureThread() override;

protected:
    void DoWork(uint32_t command) override;
    void OnTick() override;

private:
    CSoundCapture& m_capture;
};
