#pragma once

#include <memory>

#include "platform/Payload.h"
#include "platform/WindowHandler.h"

// The user-interface thread's loop: messages posted from any thread to a
// window, timers by window and id, and quitting.
class IEventLoop {
public:
    virtual ~IEventLoop() = default;

    // Registers handler as the receiver for a window; the id is never 0 and
    // never reused in the process.
    virtual WindowId AddWindow(IWindowHandler* handler) = 0;
    // Forgets the window and kills its timers; messages still on their way
    // to it are deleted unhandled.
    virtual void RemoveWindow(WindowId window) = 0;

    // Thread-safe. Queues message for window; the payload is deleted when no
    // one is there to receive it.
    virtual void Post(WindowId window, int message, std::unique_ptr<IPayload> payload) = 0;

    // A periodic timer; setting an existing id again changes its period.
    virtual bool SetTimer(WindowId window, int timerId, int periodMs) = 0;
    virtual void KillTimer(WindowId window, int timerId) = 0;

    // Runs until Quit; returns the exit code given to Quit.
    virtual int Run() = 0;
    virtual void Quit(int exitCode) = 0;
};
