#include "audio/SoundThread.h"

#include "audio/Sound.h"

CSoundThread::CSoundThread(CSound& sound, CLogFile* log) : CWorker("Sound", log), m_sound(sound) {
    SetTickPeriod(CSound::kCheckPeriodMs);
}

CSoundThread::~CSoundThread() {
    Stop(CSound::kCloseTimeoutMs);
}

void CSoundThread::DoWork(uint32_t command) {
    if (command == CSound::kCheckCommand) {
        m_sound.CheckStream();
    }
}

void CSoundThread::OnTick() {
    m_sound.CheckStream();
}
