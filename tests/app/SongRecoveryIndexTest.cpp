// The index of kept changes as a later start finds it: cut short, hostile
// or without its copies, it offers nothing it can't put back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "app/SongRecovery.h"

namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(SongRecoveryIndex, AnIndexCutShortHostileOrWithoutItsCopiesOffersNothingItCantPutBack) {
    const CTempFolder folder("recovery-index");
    const std::filesystem::path kept =
        std::filesystem::path(folder.Get()) / CSongRecovery::kFolderName;
    std::filesystem::create_directories(kept);
    CSongRecovery recovery(folder.Get());
    CSongRecovery::KEPT found;
    EXPECT_FALSE(recovery.Find(found)) << "no index, yet something was found";
    // Names copies that are not there.
    Write(kept / CSongRecovery::kIndexName,
          "Song=1\nSong file=/x.mid\nGroove style=Rock\nGroove name=Beat\n");
    EXPECT_FALSE(recovery.Find(found));
    // Cut short in a line, binary bytes, a key without "=", a huge line.
    Write(kept / CSongRecovery::kGrooveName, "MThd");
    Write(kept / CSongRecovery::kIndexName,
          std::string("Groove style=Ro\0\xff\n=\nGroove name", 36) + std::string(200000, 'x'));
    EXPECT_FALSE(recovery.Find(found)) << "a groove without a name was offered";
    Write(kept / CSongRecovery::kIndexName, "Groove style=Rock\nGroove name=Beat");
    ASSERT_TRUE(recovery.Find(found)) << "a last line without its line end was lost";
    EXPECT_TRUE(found.groove);
    EXPECT_FALSE(found.song);
    EXPECT_EQ(found.grooveName, "Beat");
    recovery.Discard();
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
