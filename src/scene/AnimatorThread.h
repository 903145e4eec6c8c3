#pragma once

#include <functional>

#include "foundation/Worker.h"

// The "Animator" worker: on job 1 it runs the application's song animator
// once, with time 0.0. The animator hands its lists to the scene through
// CSpacePainter::RequestAnimation, which is safe from this thread.
class CAnimatorThread : public CWorker {
public:
    static constexpr uint32_t kAnimateJob = 1;
    using Animator = std::function<void(double time)>;

    CAnimatorThread(Animator animator, CLogFile* log);
    ~CAnimatorThread() override;

protected:
    void DoWork(uint32_t command) override;

private:
    Animator m_animator;
};
