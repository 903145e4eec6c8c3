// The practice history as a CSV file: what a spreadsheet reads back, the
// same under any locale, and a failed save that leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "TempFolder.h"
#include "history/HistoryExport.h"

namespace {

std::vector<PRACTICE_ROW> Rows() {
    PRACTICE_ROW plain;
    plain.time = 1700000000.25;
    plain.lesson = "Treble Clef: Lower Half";
    plain.expected = 66;
    plain.spelling = "F#4";
    plain.clef = PRACTICE_CLEF_TREBLE;
    plain.played = 66;
    plain.source = 1;
    plain.rightFirstTry = true;
    plain.reaction = 0.5;
    PRACTICE_ROW quoted = plain;
    quoted.time = 1700000060.0;
    quoted.lesson = "My \"hard\" notes, bass";
    quoted.expected = 43;
    quoted.spelling = "G2";
    quoted.clef = PRACTICE_CLEF_BASS;
    quoted.played = 45;
    quoted.rightFirstTry = false;
    quoted.wrongPresses = 2;
    quoted.reaction = 2.1254;
    return {plain, quoted};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Everything but the local time, which depends on the time zone.
std::string WithoutLocalTime(const std::string& line) {
    const size_t first = line.find(',');
    const size_t second = line.find(',', first + 1);
    return line.substr(0, first) + line.substr(second);
}

}  // namespace

TEST(HistoryExport, WritesOneLineAnAnswerWithTextsQuotedAsSpreadsheetsReadThem) {
    const std::vector<std::string> lines = Lines(CHistoryExport::ToCsv(Rows()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], CHistoryExport::kHeader);
    EXPECT_EQ(WithoutLocalTime(lines[1]),
              "1700000000.250,Treble Clef: Lower Half,66,F#4,treble,66,1,1,0,0.500");
    EXPECT_EQ(WithoutLocalTime(lines[2]),
              "1700000060.000,\"My \"\"hard\"\" notes, bass\",43,G2,bass,45,1,0,2,2.125");
    EXPECT_EQ(lines[1].substr(15, 5), "2023-") << "the local date beside the seconds";
    EXPECT_EQ(Lines(CHistoryExport::ToCsv({})).size(), 1u) << "an empty history: the names";
}

TEST(HistoryExport, ReadsTheSameUnderADecimalCommaLocale) {
    const std::string underC = CHistoryExport::ToCsv(Rows());
    CCommaLocale locale;
    ASSERT_TRUE(locale.IsActive()) << locale.Why();
    EXPECT_EQ(CHistoryExport::ToCsv(Rows()), underC);
}

TEST(HistoryExport, ASaveThatCanNotBeMadeSaysWhyAndLeavesNothing) {
    const CTempFolder folder("history-export");
    const std::string path = folder.Path("Practice History.csv");
    std::string error;
    ASSERT_TRUE(CHistoryExport::Save(Rows(), path, error)) << error;
    std::ifstream saved(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(saved)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text, CHistoryExport::ToCsv(Rows()));
    const std::string blocked = folder.Path("a folder.csv");
    std::filesystem::create_directory(blocked);
    EXPECT_FALSE(CHistoryExport::Save(Rows(), blocked, error));
    EXPECT_EQ(error.rfind("Can't save ", 0), 0u) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Get()),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary file is left";
}
