#include <gtest/gtest.h>

#include <string>

#include "foundation/CharString.h"
#include "foundation/Tree.h"

namespace {

using CTextTree = CTree<CCharString>;

CTextTree Node(const char* data, int level, int tag) {
    CTextTree node;
    node.data = data;
    node.level = level;
    node.tag = tag;
    return node;
}

// root "root" (level 0) with children "a" and "b"; "a" has children "a1"
// and "a2"; tags are the position among the siblings.
CTextTree MakeTree() {
    CTextTree a = Node("a", 1, 0);
    a.children.Add(Node("a1", 2, 0));
    a.children.Add(Node("a2", 2, 1));
    CTextTree root = Node("root", 0, 7);
    root.children.Add(a);
    root.children.Add(Node("b", 1, 1));
    return root;
}

// The tree written as "data(level,tag)[children...]".
std::string Describe(const CTextTree& node) {
    std::string text = std::string(node.data.GetText()) + "(" + std::to_string(node.level) + "," +
                       std::to_string(node.tag) + ")";
    if (node.children.GetCount() > 0) {
        text += "[";
        for (int i = 0; i < node.children.GetCount(); ++i) {
            text += (i > 0 ? " " : "") + Describe(*node.children.GetAt(i));
        }
        text += "]";
    }
    return text;
}

const char* const kShape = "root(0,7)[a(1,0)[a1(2,0) a2(2,1)] b(1,1)]";

}  // namespace

TEST(Tree, CopiesTakeEveryDescendantAndStayIndependentOfTheOriginal) {
    CTextTree original = MakeTree();
    const CTextTree constructed(original);
    EXPECT_EQ(Describe(constructed), kShape);
    CTextTree copy;
    ASSERT_TRUE(copy.Assign(original));

    copy.children.GetAt(0)->children.GetAt(1)->data = "changed";
    copy.children.GetAt(0)->children.RemoveAt(0);
    copy.children.GetAt(1)->tag = 99;
    copy.data = "other";
    EXPECT_EQ(Describe(original), kShape);

    original.children.RemoveAll();
    EXPECT_EQ(Describe(copy), "other(0,7)[a(1,0)[changed(2,1)] b(1,99)]");
    EXPECT_EQ(Describe(constructed), kShape);
}

TEST(Tree, NodeCanBeAssignedFromItsOwnDescendant) {
    CTextTree root = MakeTree();
    root = *root.children.GetAt(0);
    EXPECT_EQ(Describe(root), "a(1,0)[a1(2,0) a2(2,1)]");
}

TEST(Tree, ChildListGrowthKeepsSubtreesIntact) {
    CTextTree root;
    for (int i = 0; i < 3 * CTextTree::kChildGrowStep + 1; ++i) {
        CTextTree child = MakeTree();
        child.tag = i;
        ASSERT_TRUE(root.children.Add(child));
    }
    ASSERT_EQ(root.children.GetCount(), 3 * CTextTree::kChildGrowStep + 1);
    for (int i = 0; i < root.children.GetCount(); ++i) {
        const CTextTree& child = *root.children.GetAt(i);
        EXPECT_EQ(child.tag, i);
        EXPECT_EQ(Describe(*child.children.GetAt(0)), "a(1,0)[a1(2,0) a2(2,1)]");
    }
}
