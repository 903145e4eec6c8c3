#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "../TempFolder.h"
#include "common/SafeFiles.h"

TEST(SafeFiles, TemporaryNamesLieBesideTheTargetAndDiffer) {
    const std::string first = SafeFiles::MakeTemporaryName("/some/folder/file.ini");
    const std::string second = SafeFiles::MakeTemporaryName("/some/folder/file.ini");
    EXPECT_EQ(first.rfind("/some/folder/.file.ini.notara-save-", 0), 0u) << first;
    EXPECT_NE(first, second);
}

TEST(SafeFiles, LeftOversOfAGoneProcessAreRemovedAndOwnSavesKept) {
    CTempFolder folder("safe-files");
    const std::string target = folder.Path("file.ini");
    const std::string own = SafeFiles::MakeTemporaryName(target);
    // No process has the largest possible id.
    const std::string gone = folder.Path(".file.ini.notara-save-4194304-0000abcd.tmp");
    const std::string user = folder.Path("file.ini.tmp");
    for (const std::string& path : {own, gone, user}) {
        std::ofstream(path) << "x";
    }
    EXPECT_EQ(SafeFiles::RemoveLeftOvers(target), 1);
    EXPECT_EQ(access(own.c_str(), F_OK), 0);
    EXPECT_NE(access(gone.c_str(), F_OK), 0);
    EXPECT_EQ(access(user.c_str(), F_OK), 0);
}

TEST(SafeFiles, OnlyRegularFilesOpenForReading) {
    CTempFolder folder("safe-files-read");
    std::string reason;
    bool missing = false;
    EXPECT_LT(SafeFiles::OpenForReading(folder.Path("none").c_str(), reason, &missing), 0);
    EXPECT_TRUE(missing);
    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_LT(SafeFiles::OpenForReading(fifo.c_str(), reason, &missing), 0);
    EXPECT_EQ(reason, SafeFiles::kNotRegularFile);
    EXPECT_FALSE(missing);
}
