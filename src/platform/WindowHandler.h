#pragma once

#include <cstdint>
#include <memory>

#include "platform/Payload.h"

using WindowId = uint32_t;
constexpr WindowId kNoWindow = 0;

// What a window's owner hears from the platform. Every call arrives on the
// user-interface thread.
class IWindowHandler {
public:
    virtual ~IWindowHandler() = default;
    // A message posted to the window; the handler owns payload.
    virtual void OnMessage(int message, std::unique_ptr<IPayload> payload) = 0;
    virtual void OnTimer(int timerId) = 0;
    // A menu command.
    virtual void OnCommand(int commandId) = 0;
    // The user asked to close the window (title-bar button, Alt+F4). The
    // window stays until its owner destroys it.
    virtual void OnCloseRequest() = 0;
};
