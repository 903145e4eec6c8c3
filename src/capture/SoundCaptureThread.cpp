#include "capture/SoundCaptureThread.h"

#include "capture/SoundCapture.h"

CSoundCaptureThread::CSoundCaptureThread(CSoundCapture& capture, CLogFile* log)
    : CWorker("SoundCapture", log), m_capture(capture) {
    SetTickPeriod(CSoundCapture::kCheckPeriodMs);
}

CSoundCaptureThread::~CSoundCaptureThread() {
    Stop(CSoundCapture::kCloseTimeoutMs);
}

void CSoundCaptureThread::DoWork(uint32_t command) {
    if (command == CSoundCapture::kCheckCommand) {
        m_capture.CheckBuffer(false);
    }
}

void CSoundCaptureThread::OnTick() {
    m_capture.CheckBuffer(false);
}
