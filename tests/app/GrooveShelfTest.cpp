// The user's groove folder of an install offers the shipped grooves; a
// groove the user saves under a shipped name shadows the shipped one, which
// is never written; an untouched copy follows a changed shipped groove.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempFolder.h"
#include "app/GrooveShelf.h"

namespace {

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class GrooveShelf : public testing::Test {
protected:
    GrooveShelf() : m_folder("groove-shelf") {
        Write(Shipped("Rock/Straight Eight.mid"), "straight");
        Write(Shipped("Rock/Half Time.mid"), "half");
        Write(Shipped("Waltz/Three.mid"), "three");
        Write(Shipped("Waltz/notes.txt"), "not a groove");
    }
    std::string Shipped(const std::string& name) const { return m_folder.Path("shipped/" + name); }
    std::string User(const std::string& name) const { return m_folder.Path("user/" + name); }
    bool Stock() {
        const bool stocked = m_shelf.Stock(m_folder.Path("shipped"), m_folder.Path("user"));
        EXPECT_TRUE(stocked) << m_shelf.GetError();
        return stocked;
    }

    CTempFolder m_folder;
    CGrooveShelf m_shelf;
};

TEST_F(GrooveShelf, EveryShippedGrooveIsOfferedInTheUsersFolder) {
    ASSERT_TRUE(Stock());
    EXPECT_EQ(Read(User("Rock/Straight Eight.mid")), "straight");
    EXPECT_EQ(Read(User("Rock/Half Time.mid")), "half");
    EXPECT_EQ(Read(User("Waltz/Three.mid")), "three");
    EXPECT_FALSE(std::filesystem::exists(User("Waltz/notes.txt"))) << "only grooves are copied";
    EXPECT_TRUE(std::filesystem::exists(User(CGrooveShelf::kListName)));
}

TEST_F(GrooveShelf, TheUsersGrooveOfAShippedNameShadowsItAndStays) {
    ASSERT_TRUE(Stock());
    Write(User("Rock/Straight Eight.mid"), "mine");
    Write(Shipped("Rock/Straight Eight.mid"), "straight, newer");
    ASSERT_TRUE(Stock());
    EXPECT_EQ(Read(User("Rock/Straight Eight.mid")), "mine");
    EXPECT_EQ(Read(Shipped("Rock/Straight Eight.mid")), "straight, newer")
        << "the shipped groove was written";
    Write(User("Waltz/Three.mid"), "my three");  // saved before any stocking knew it
    ASSERT_TRUE(Stock());
    EXPECT_EQ(Read(User("Waltz/Three.mid")), "my three");
}

TEST_F(GrooveShelf, AnUntouchedCopyFollowsAChangedShippedGroove) {
    ASSERT_TRUE(Stock());
    Write(Shipped("Rock/Half Time.mid"), "half, newer");
    ASSERT_TRUE(Stock());
    EXPECT_EQ(Read(User("Rock/Half Time.mid")), "half, newer");
}

TEST_F(GrooveShelf, ADeletedCopyComesBackAndTheUsersOwnGroovesStay) {
    ASSERT_TRUE(Stock());
    std::filesystem::remove(User("Waltz/Three.mid"));
    Write(User("Blues/Shuffle.mid"), "shuffle");
    ASSERT_TRUE(Stock());
    EXPECT_EQ(Read(User("Waltz/Three.mid")), "three");
    EXPECT_EQ(Read(User("Blues/Shuffle.mid")), "shuffle");
}

TEST_F(GrooveShelf, AGrooveThatCantBeCopiedIsToldAndTheOthersAreStocked) {
    std::filesystem::create_directories(User("Rock/Half Time.mid"));  // a folder in the way
    EXPECT_FALSE(m_shelf.Stock(m_folder.Path("shipped"), m_folder.Path("user")));
    EXPECT_EQ(std::string(m_shelf.GetError()).rfind("Can't stock the shipped grooves: ", 0), 0u)
        << m_shelf.GetError();
    EXPECT_EQ(Read(User("Waltz/Three.mid")), "three");
}

TEST_F(GrooveShelf, AMissingShippedFolderIsTold) {
    CGrooveShelf shelf;
    EXPECT_FALSE(shelf.Stock(m_folder.Path("nowhere"), m_folder.Path("user")));
    EXPECT_NE(std::string(shelf.GetError()).find("nowhere"), std::string::npos) << shelf.GetError();
}

}  // namespace
