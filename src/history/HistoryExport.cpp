#include "history/HistoryExport.h"

#include <time.h>

#include "common/NumberFormat.h"
#include "common/SafeSave.h"

namespace {

constexpr int kReactionDecimals = 3;
constexpr int kTimeDecimals = 3;
constexpr size_t kStampLength = 32;

// A text field: quoted, quotes doubled, where a spreadsheet would split it.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string LocalTime(double seconds) {
    const auto whole = static_cast<time_t>(seconds);
    struct tm local = {};
    char stamp[kStampLength] = {};
    if (localtime_r(&whole, &local) == nullptr ||
        strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return std::string();
    }
    return stamp;
}

const char* ClefName(int clef) {
    return clef == PRACTICE_CLEF_BASS ? "bass" : "treble";
}

}  // namespace

std::string CHistoryExport::ToCsv(const std::vector<PRACTICE_ROW>& rows) {
    using NumberFormat::FormatDouble;
    using NumberFormat::FormatInt;
    std::string text = std::string(kHeader) + "\r\n";
    for (const PRACTICE_ROW& row : rows) {
        text += FormatDouble(row.time, kTimeDecimals) + "," + LocalTime(row.time) + "," +
                Field(row.lesson) + "," + FormatInt(row.expected) + "," + Field(row.spelling) +
                "," + ClefName(row.clef) + "," + FormatInt(row.played) + "," +
                FormatInt(row.source) + "," + (row.rightFirstTry ? "1" : "0") + "," +
                FormatInt(row.wrongPresses) + "," + FormatDouble(row.reaction, kReactionDecimals) +
                "\r\n";
    }
    return text;
}

bool CHistoryExport::Save(const std::vector<PRACTICE_ROW>& rows, const std::string& path,
                          std::string& error) {
    const std::string text = ToCsv(rows);
    return CSafeSave::Save(path, text.data(), text.size(), error);
}
