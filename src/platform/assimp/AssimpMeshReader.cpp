#include "platform/assimp/AssimpMeshReader.h"

#include <cctype>

#include "platform/assimp/AssimpImport.h"
#include "platform/assimp/MeshRecords.h"
#include "platform/assimp/XFileCounts.h"

namespace {

constexpr size_t kMaxHintLength = 16;

// The extension as the library looks it up: lower case letters and digits.
bool CleanHint(const char* hint, std::string& clean) {
    clean.clear();
    for (const char* p = hint != nullptr ? hint : ""; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!std::isalnum(c) || clean.size() >= kMaxHintLength) {
            return false;
        }
        clean.push_back(static_cast<char>(std::tolower(c)));
    }
    return true;
}

}  // namespace

bool CAssimpMeshReader::Read(const void* data, size_t size, const char* formatHint, MESH_DATA& mesh,
                             std::string& error) {
    mesh = MESH_DATA();
    if (data == nullptr || size == 0) {
        error = "the file is empty";
        return false;
    }
    if (size > kMaxFileSize) {
        error = "the file has " + std::to_string(size) + " bytes, more than " +
                std::to_string(kMaxFileSize >> 20) + " MB";
        return false;
    }
    std::string hint;
    if (!CleanHint(formatHint, hint)) {
        error = "\"" + std::string(formatHint) + "\" is not a file type";
        return false;
    }
    if (!CXFileCounts::Check(static_cast<const char*>(data), size, error)) {
        return false;
    }
    const CReaderProcess::Work work = [&](std::vector<uint8_t>& result, std::string& failure) {
        MESH_DATA read;
        if (!CAssimpImport::Import(data, size, hint.c_str(), read, failure)) {
            return false;
        }
        CMeshRecords::Encode(read, result);
        return true;
    };
    std::vector<uint8_t> block;
    if (!CReaderProcess::Run(work, m_limits, block, error)) {
        return false;
    }
    return CMeshRecords::Decode(block.data(), block.size(), mesh, error);
}
