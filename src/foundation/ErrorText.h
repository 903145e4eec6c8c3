#pragma once

#include "foundation/CharString.h"

// The system's description of the error code (an errno value). When the
// system has none, text becomes "Unknown error <code>" and false is returned.
bool GetErrorText(int code, CCharString& text);
