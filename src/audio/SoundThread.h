#pragma once

#include "foundation/Worker.h"

class CSound;

// The "Sound" worker: keeps the engine's stream filled a segment ahead of
// the play cursor, on request and on its own every check period.
class CSoundThread : public CWorker {
public:
    CSoundThread(CSound& sound, CLogFile* log);
    ~CSoundThread() override;

protected:
    void DoWork(uint32_t command) override;
    void OnTick() override;

private:
    CSound& m_sound;
};
