#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FileTesting.h"
#include "TempFolder.h"
#include "foundation/FolderScan.h"

namespace {

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

const char* const kFullTree = "Song.MID Sub/[Deep.Mid Inner/[x.mid]] link.mid tune.mid";

// A temporary folder holding
//   README  Song.MID  a.b.mid  mid  notes.txt  tune.mid
//   Sub/Deep.Mid  Sub/Inner/x.mid
//   link.mid -> tune.mid, broken.mid -> (nothing), loop -> ., Sub/back -> ..
class FolderScan : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.Get().empty());
        std::filesystem::create_directories(m_folder.Path("Sub/Inner"));
        for (const char* file : {"README", "Song.MID", "a.b.mid", "mid", "notes.txt", "tune.mid",
                                 "Sub/Deep.Mid", "Sub/Inner/x.mid"}) {
            WriteFile(m_folder.Path(file), "x");
        }
        std::filesystem::create_symlink("tune.mid", m_folder.Path("link.mid"));
        std::filesystem::create_symlink("missing.mid", m_folder.Path("broken.mid"));
        std::filesystem::create_directory_symlink(".", m_folder.Path("loop"));
        std::filesystem::create_directory_symlink("..", m_folder.Path("Sub/back"));
    }
    std::string Scan(bool folders, bool files, const char* extension,
                     CTree<FILE_INFO>* out = nullptr, const std::string& under = "") {
        CTree<FILE_INFO> own;
        CTree<FILE_INFO>& tree = out != nullptr ? *out : own;
        if (!ScanFolder((m_folder.Get() + under).c_str(), tree, folders, files, extension)) {
            return "failed";
        }
        return Describe(tree);
    }

    CTempFolder m_folder{"scan"};
};

}  // namespace

TEST_F(FolderScan, ListsSortedFoldersAndFilesWithTheWholeExtensionAfterTheFirstDot) {
    const struct {
        bool folders, files;
        const char* extension;
        const char* tree;
    } cases[] = {
        // Folder links are not followed, so loops end; broken links are left out.
        {true, true, "mid", kFullTree},
        {true, false, "mid", "Sub/[Inner/]"},
        {true, true, nullptr, "Sub/[Inner/]"},
        // Files alone stay in the top folder.
        {false, true, "mid", "Song.MID link.mid tune.mid"},
        {false, true, "MID", "Song.MID link.mid tune.mid"},
        {false, true, "b.mid", "a.b.mid"},
        {false, true, "txt", "notes.txt"},
        // Names without a dot never match.
        {false, true, "", ""},
        {false, true, "README", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scan(c.folders, c.files, c.extension), c.tree)
            << c.folders << c.files << (c.extension != nullptr ? c.extension : "null");
    }
}

TEST_F(FolderScan, RecordsCarrySplitPathFileFlagAndLevelBelowTheParent) {
    CTree<FILE_INFO> tree;
    tree.level = 5;
    ASSERT_EQ(Scan(true, true, "mid", &tree), kFullTree);
    const std::string root = m_folder.Get() + "/";
    const CTree<FILE_INFO>& song = *tree.children.GetAt(0);
    EXPECT_EQ(song.data.directory, root.c_str());
    EXPECT_EQ(song.data.folder, root.c_str());
    EXPECT_EQ(song.data.name, "Song");
    EXPECT_EQ(song.data.extension, ".MID");
    EXPECT_EQ(song.data.isFile, 1);
    EXPECT_EQ(song.level, 6);

    const CTree<FILE_INFO>& sub = *tree.children.GetAt(1);
    EXPECT_EQ(sub.data.isFile, 0);
    EXPECT_EQ(sub.level, 6);
    const CTree<FILE_INFO>& deep = *sub.children.GetAt(0);
    EXPECT_EQ(deep.data.directory, (root + "Sub/").c_str());
    EXPECT_EQ(deep.data.isFile, 1);
    EXPECT_EQ(deep.level, 7);
    EXPECT_EQ(sub.children.GetAt(1)->children.GetAt(0)->level, 8);
}

TEST_F(FolderScan, TrailingSeparatorsAreIgnored) {
    CTree<FILE_INFO> tree;
    EXPECT_EQ(Scan(true, true, "mid", &tree, "//"), kFullTree);
    EXPECT_EQ(tree.children.GetAt(0)->data.directory, (m_folder.Get() + "/").c_str());
}

TEST_F(FolderScan, AMissingFolderOrAFileFailsAndLeavesTheTreeAlone) {
    CTree<FILE_INFO> tree;
    EXPECT_EQ(Scan(true, true, "mid", &tree, "/none"), "failed");
    EXPECT_EQ(Scan(true, true, "mid", &tree, "/tune.mid"), "failed");
    EXPECT_FALSE(ScanFolder(nullptr, tree, true, true, "mid"));
    EXPECT_FALSE(ScanFolder("", tree, true, true, "mid"));
    EXPECT_EQ(tree.children.GetCount(), 0);
}
