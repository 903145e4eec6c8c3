// Runs a fuzzing harness once on every regular file of the folders named on
// the command line, in name order, so that a build without libFuzzer checks
// the seed corpus and every crash input kept in it. Exits non-zero when a
// folder can't be read or holds no file; a harness fault aborts through the
// sanitizers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool ListFiles(const char* folder, std::vector<std::filesystem::path>& files) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        std::fprintf(stderr, "Can't read folder '%s': %s\n", folder, error.message().c_str());
        return false;
    }
    for (const auto& entry : entries) {
        if (entry.is_regular_file(error)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return true;
}

bool ReadBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s <corpus folder>...\n", argv[0]);
        return 2;
    }
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (!ListFiles(argv[i], files)) {
            return 1;
        }
        for (const auto& file : files) {
            std::vector<uint8_t> bytes;
            if (!ReadBytes(file, bytes)) {
                std::fprintf(stderr, "Can't read '%s'\n", file.c_str());
                return 1;
            }
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "Can't replay: no input files\n");
        return 1;
    }
    std::printf("Replayed %zu inputs\n", replayed);
    return 0;
}
