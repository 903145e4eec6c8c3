#include "platform/assimp/XFileCounts.h"

#include <cstring>
#include <string_view>

namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kFormatOffset = 8;
constexpr size_t kBytesPerElement = 2;

// The tokens of the text form: separators stand alone, comments run from
// "//" or "#" to the end of the line.
class CTokens {
public:
    CTokens(const char* data, size_t size) : m_p(data), m_end(data + size) {}

    std::string_view Next() {
        SkipSpaceAndComments();
        if (m_p >= m_end) {
            return {};
        }
        const char* start = m_p;
        if (IsSeparator(*m_p)) {
            ++m_p;
            return {start, 1};
        }
        while (m_p < m_end && !IsSpace(*m_p) && !IsSeparator(*m_p)) {
            ++m_p;
        }
        return {start, static_cast<size_t>(m_p - start)};
    }
    // The next token that is not a separator.
    std::string_view NextValue() {
        for (;;) {
            const std::string_view token = Next();
            if (token.empty() || (token != ";" && token != ",")) {
                return token;
            }
        }
    }
    size_t GetLeft() const { return static_cast<size_t>(m_end - m_p); }
    int GetLine() const { return m_line; }

private:
    static bool IsSeparator(char c) { return c == ';' || c == ',' || c == '{' || c == '}'; }
    static bool IsSpace(char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
    }
    void SkipSpaceAndComments() {
        while (m_p < m_end) {
            if (*m_p == '\n') {
                ++m_line;
            }
            if (IsSpace(*m_p)) {
                ++m_p;
            } else if (*m_p == '#' || (*m_p == '/' && m_p + 1 < m_end && m_p[1] == '/')) {
                while (m_p < m_end && *m_p != '\n') {
                    ++m_p;
                }
            } else {
                break;
            }
        }
    }

    const char* m_p;
    const char* m_end;
    int m_line = 1;
};

// A count as the parser reads it: digits, perhaps signed; false otherwise.
bool ParseCount(std::string_view token, unsigned long long& count) {
    size_t i = token.size() > 0 && (token[0] == '-' || token[0] == '+') ? 1 : 0;
    if (i >= token.size()) {
        return false;
    }
    count = 0;
    for (; i < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') {
            return false;
        }
        count = count * 10 + static_cast<unsigned>(token[i] - '0');
        if (count > 0xFFFFFFFFull) {
            count = 0xFFFFFFFFull;  // read as a 32-bit count
        }
    }
    return true;
}

}  // namespace

bool CXFileCounts::Check(const char* data, size_t size, std::string& error) {
    if (size < kHeaderSize || std::memcmp(data, "xof ", 4) != 0 ||
        std::memcmp(data + kFormatOffset, "txt ", 4) != 0) {
        return true;
    }
    CTokens tokens(data + kHeaderSize, size - kHeaderSize);
    // Reads the count after the head of the data object that token opened;
    // false when it claims more elements than the file has bytes left.
    const auto check = [&](std::string_view object, const char* what,
                           unsigned long long& count) -> bool {
        std::string_view token = tokens.Next();
        if (token != "{") {
            token = tokens.Next();  // the object's name
        }
        if (token != "{") {
            count = 0;
            return true;  // not a data object: the parser says what is wrong
        }
        if (object == "SkinWeights") {
            tokens.NextValue();  // the bone's name
        }
        if (!ParseCount(tokens.NextValue(), count)) {
            count = 0;
            return true;
        }
        if (count > tokens.GetLeft() / kBytesPerElement) {
            error = "line " + std::to_string(tokens.GetLine()) + ": " + std::string(object) +
                    " counts " + std::to_string(count) + " " + what +
                    ", more than the file can hold";
            return false;
        }
        return true;
    };
    for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
        unsigned long long count = 0;
        if (token == "Mesh") {
            if (!check(token, "vertices", count)) {
                return false;
            }
            // The faces follow the vertices' coordinates.
            for (unsigned long long i = 0; i < count * 3 && !tokens.NextValue().empty(); ++i) {
            }
            unsigned long long faces = 0;
            const std::string_view next = tokens.NextValue();
            if (ParseCount(next, faces) && faces > tokens.GetLeft() / kBytesPerElement) {
                error = "line " + std::to_string(tokens.GetLine()) + ": Mesh counts " +
                        std::to_string(faces) + " faces, more than the file can hold";
                return false;
            }
        } else if (token == "MeshNormals" && !check(token, "normals", count)) {
            return false;
        } else if (token == "SkinWeights" && !check(token, "weights", count)) {
            return false;
        }
    }
    return true;
}
