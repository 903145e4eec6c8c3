#pragma once

#include "platform/MeshReader.h"
#include "platform/assimp/ReaderProcess.h"

// The mesh reader of the Open Asset Import Library: every format the
// library knows, the DirectX .x format among them. The library is not
// hardened against hostile files, so each file is read in a child process
// of its own (CReaderProcess) with bounded time and memory; what comes back
// is checked again before it is handed on.
class CAssimpMeshReader : public IMeshReader {
public:
    CAssimpMeshReader() = default;
    explicit CAssimpMeshReader(const CReaderProcess::LIMITS& limits) : m_limits(limits) {}

    bool Read(const void* data, size_t size, const char* formatHint, MESH_DATA& mesh,
              std::string& error) override;

private:
    CReaderProcess::LIMITS m_limits;
};
