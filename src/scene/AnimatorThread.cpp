#include "scene/AnimatorThread.h"

#include <utility>

CAnimatorThread::CAnimatorThread(Animator animator, CLogFile* log)
    : CWorker("Animator", log), m_animator(std::move(animator)) {}

CAnimatorThread::~CAnimatorThread() {
    Stop(kNoLimit);
}

void CAnimatorThread::DoWork(uint32_t command) {
    if (command == kAnimateJob && m_animator) {
        m_animator(0.0);
    }
}
