#pragma once

#include "app/StartOptions.h"
#include "platform/Platform.h"

// The name of the lock that keeps a second instance from starting.
extern const char* const kInstanceLockName;

// Runs the application of kind on platform: refuses a second instance,
// builds the central object, runs the loop and tears everything down.
// Returns the process exit code.
int RunApplication(const PLATFORM& platform, int kind, const START_OPTIONS& options);
