#include "app/GrooveShelf.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "common/SafeSave.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
constexpr const char* kErrorStart = "Can't stock the shipped grooves: ";

// The bytes of a regular file; false for anything else.
bool ReadBytes(const std::string& path, std::string& bytes) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// The list's lines: "<checksum in hex> <style>/<name>.mid"; lines that are
// not such are skipped.
std::map<std::string, uint64_t> ReadList(const std::string& path) {
    std::map<std::string, uint64_t> copies;
    std::string text;
    if (!ReadBytes(path, text)) {
        return copies;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t blank = line.find(' ');
        if (blank == std::string::npos || blank == 0 || blank + 1 >= line.size()) {
            continue;
        }
        try {
            copies[line.substr(blank + 1)] = std::stoull(line.substr(0, blank), nullptr, 16);
        } catch (const std::exception&) {
            continue;  // not a number: not a line of the list
        }
    }
    return copies;
}

std::string WriteListText(const std::map<std::string, uint64_t>& copies) {
    std::ostringstream text;
    for (const auto& [relative, checksum] : copies) {
        text << std::hex << checksum << ' ' << relative << '\n';
    }
    return text.str();
}

}  // namespace

uint64_t CGrooveShelf::Checksum(const std::string& bytes) {
    uint64_t hash = kFnvOffset;
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * kFnvPrime;
    }
    return hash;
}

bool CGrooveShelf::Stock(const std::string& shipped, const std::string& user) {
    m_error.clear();
    const std::string listPath = user + "/" + kListName;
    COPIES copies = ReadList(listPath);
    const std::string before = WriteListText(copies);
    std::error_code error;
    bool all = true;
    for (const fs::directory_entry& style : fs::directory_iterator(shipped, error)) {
        std::error_code styleError;
        if (!style.is_directory(styleError)) {
            continue;
        }
        for (const fs::directory_entry& groove : fs::directory_iterator(style.path(), styleError)) {
            if (groove.path().extension() == kGrooveExtension) {
                const std::string relative =
                    style.path().filename().string() + "/" + groove.path().filename().string();
                all = StockOne(shipped, user, relative, copies) && all;
            }
        }
    }
    if (error) {
        return Fail("can't read the folder " + shipped + ": " + error.message());
    }
    const std::string after = WriteListText(copies);
    std::string reason;
    if (after != before && !CSafeSave::Save(listPath, after.data(), after.size(), reason)) {
        all = Fail(reason) && all;
    }
    return all;
}

bool CGrooveShelf::StockOne(const std::string& shipped, const std::string& user,
                            const std::string& relative, COPIES& copies) {
    std::string bytes;
    if (!ReadBytes(shipped + "/" + relative, bytes)) {
        return Fail("can't read " + shipped + "/" + relative);
    }
    const uint64_t shippedSum = Checksum(bytes);
    const std::string target = user + "/" + relative;
    std::string own;
    const bool exists = ReadBytes(target, own);
    const uint64_t ownSum = exists ? Checksum(own) : 0;
    const auto copy = copies.find(relative);
    const bool untouched = copy != copies.end() && copy->second == ownSum;
    if (exists && ownSum == shippedSum) {
        copies[relative] = shippedSum;  // the same bytes: nothing to copy
        return true;
    }
    if (exists && !untouched) {
        copies.erase(relative);  // the user's own groove shadows the shipped one
        return true;
    }
    std::string reason;
    if (!CSafeSave::Save(target, bytes.data(), bytes.size(), reason)) {
        return Fail(reason);
    }
    copies[relative] = shippedSum;
    return true;
}

bool CGrooveShelf::Fail(const std::string& reason) {
    if (m_error.empty()) {
        m_error = kErrorStart + reason;
    }
    return false;
}
