#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/FolderScan.h"

namespace {

// A fresh folder below /tmp holding
//   README  Song.MID  a.b.mid  mid  notes.txt  tune.mid
//   Sub/Deep.Mid  Sub/Inner/x.mid
//   link.mid -> tune.mid, broken.mid -> (nothing), loop -> ., Sub/back -> ..
// removed with everything in it.
class CScanFolder {
public:
    CScanFolder() {
        char name[] = "/tmp/notara-scan-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            return;
        }
        m_root = name;
        std::error_code error;
        std::filesystem::create_directories(m_root + "/Sub/Inner", error);
        for (const char* file : {"README", "Song.MID", "a.b.mid", "mid", "notes.txt", "tune.mid",
                                 "Sub/Deep.Mid", "Sub/Inner/x.mid"}) {
            std::ofstream(m_root + "/" + file) << "x";
        }
        std::filesystem::create_symlink("tune.mid", m_root + "/link.mid", error);
        std::filesystem::create_symlink("missing.mid", m_root + "/broken.mid", error);
        std::filesystem::create_directory_symlink(".", m_root + "/loop", error);
        std::filesystem::create_directory_symlink("..", m_root + "/Sub/back", error);
    }
    ~CScanFolder() {
        std::error_code ignored;
        if (!m_root.empty()) {
            std::filesystem::remove_all(m_root, ignored);
        }
    }
    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
};

// Each child as name and extension, folders with a "/" and their children in
// brackets.
std::string Describe(const CTree<FILE_INFO>& node) {
    std::string text;
    for (int i = 0; i < node.children.GetCount(); ++i) {
        const CTree<FILE_INFO>& child = *node.children.GetAt(i);
        text += i > 0 ? " " : "";
        text += std::string(child.data.name.GetText()) + child.data.extension.GetText();
        if (child.data.isFile == 0) {
            text += "/";
        }
        if (child.children.GetCount() > 0) {
            text += "[" + Describe(child) + "]";
        }
    }
    return text;
}

std::string Scan(const std::string& folder, bool folders, bool files, const char* extension) {
    CTree<FILE_INFO> tree;
    if (!ScanFolder(folder.c_str(), tree, folders, files, extension)) {
        return "failed";
    }
    return Describe(tree);
}

class FolderScan : public testing::Test {
protected:
    CScanFolder m_folder;
};

}  // namespace

TEST_F(FolderScan, FoldersAndMatchingFilesFormASortedTree) {
    ASSERT_FALSE(m_folder.Root().empty());
    EXPECT_EQ(Scan(m_folder.Root(), true, true, "mid"),
              "Song.MID Sub/[Deep.Mid Inner/[x.mid]] link.mid tune.mid");
}

TEST_F(FolderScan, ExtensionIsTheWholePartAfterTheFirstDot) {
    EXPECT_EQ(Scan(m_folder.Root(), false, true, "MID"), "Song.MID link.mid tune.mid");
    EXPECT_EQ(Scan(m_folder.Root(), false, true, "b.mid"), "a.b.mid");
    EXPECT_EQ(Scan(m_folder.Root(), false, true, "txt"), "notes.txt");
}

TEST_F(FolderScan, NamesWithoutADotNeverMatch) {
    EXPECT_EQ(Scan(m_folder.Root(), false, true, ""), "");
    EXPECT_EQ(Scan(m_folder.Root(), false, true, "README"), "");
}

TEST_F(FolderScan, NullExtensionMatchesNoFile) {
    EXPECT_EQ(Scan(m_folder.Root(), true, true, nullptr), "Sub/[Inner/]");
}

TEST_F(FolderScan, FoldersOnlyListsTheFolderTree) {
    EXPECT_EQ(Scan(m_folder.Root(), true, false, "mid"), "Sub/[Inner/]");
}

TEST_F(FolderScan, FilesOnlyStaysInTheTopFolder) {
    EXPECT_EQ(Scan(m_folder.Root(), false, true, "mid"), "Song.MID link.mid tune.mid");
}

TEST_F(FolderScan, FolderLinksAreNotFollowedSoLoopsEnd) {
    const std::string description = Scan(m_folder.Root(), true, true, "mid");
    EXPECT_EQ(description.find("loop"), std::string::npos);
    EXPECT_EQ(description.find("back"), std::string::npos);
}

TEST_F(FolderScan, RecordsCarrySplitPathAndFileFlag) {
    CTree<FILE_INFO> tree;
    ASSERT_TRUE(ScanFolder(m_folder.Root().c_str(), tree, true, true, "mid"));
    ASSERT_EQ(tree.children.GetCount(), 4);

    const FILE_INFO& song = tree.children.GetAt(0)->data;
    EXPECT_EQ(song.directory, (m_folder.Root() + "/").c_str());
    EXPECT_EQ(song.folder, (m_folder.Root() + "/").c_str());
    EXPECT_EQ(song.name, "Song");
    EXPECT_EQ(song.extension, ".MID");
    EXPECT_EQ(song.isFile, 1);

    const CTree<FILE_INFO>& sub = *tree.children.GetAt(1);
    EXPECT_EQ(sub.data.name, "Sub");
    EXPECT_EQ(sub.data.isFile, 0);
    const FILE_INFO& deep = sub.children.GetAt(0)->data;
    EXPECT_EQ(deep.directory, (m_folder.Root() + "/Sub/").c_str());
    EXPECT_EQ(deep.isFile, 1);
}

TEST_F(FolderScan, ChildLevelsAreOneBelowTheirParent) {
    CTree<FILE_INFO> tree;
    tree.level = 5;
    ASSERT_TRUE(ScanFolder(m_folder.Root().c_str(), tree, true, true, "mid"));
    const CTree<FILE_INFO>& sub = *tree.children.GetAt(1);
    EXPECT_EQ(tree.children.GetAt(0)->level, 6);
    EXPECT_EQ(sub.level, 6);
    EXPECT_EQ(sub.children.GetAt(0)->level, 7);
    EXPECT_EQ(sub.children.GetAt(1)->children.GetAt(0)->level, 8);
}

TEST_F(FolderScan, TrailingSeparatorsAreIgnored) {
    CTree<FILE_INFO> tree;
    ASSERT_TRUE(ScanFolder((m_folder.Root() + "//").c_str(), tree, true, true, "mid"));
    EXPECT_EQ(Describe(tree), "Song.MID Sub/[Deep.Mid Inner/[x.mid]] link.mid tune.mid");
    EXPECT_EQ(tree.children.GetAt(0)->data.directory, (m_folder.Root() + "/").c_str());
}

TEST_F(FolderScan, MissingFolderFailsAndLeavesTheTreeAlone) {
    CTree<FILE_INFO> tree;
    EXPECT_FALSE(ScanFolder((m_folder.Root() + "/none").c_str(), tree, true, true, "mid"));
    EXPECT_FALSE(ScanFolder((m_folder.Root() + "/tune.mid").c_str(), tree, true, true, "mid"));
    EXPECT_FALSE(ScanFolder(nullptr, tree, true, true, "mid"));
    EXPECT_FALSE(ScanFolder("", tree, true, true, "mid"));
    EXPECT_EQ(tree.children.GetCount(), 0);
}
