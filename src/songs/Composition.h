#pragma once

#include "songs/Song.h"

// The song document: a library of song parts, a play list that orders them
// and the song info.
class CComposition {
public:
    CComposition() = default;
    CComposition(const CComposition&) = delete;
    CComposition& operator=(const CComposition&) = delete;
    virtual ~CComposition() = default;

    const char* GetError() const { return m_error; }

private:
    CCharString m_error;
};
