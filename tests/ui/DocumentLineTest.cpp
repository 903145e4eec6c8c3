#include <gtest/gtest.h>

#include "ui/DocumentLine.h"

TEST(DocumentLine, AButtonLineSplitsIntoCaptionAndParameters) {
    DOCUMENT_LINE line;
    line.Parse("<b>Start~^Scale=Major|Octaves=2");
    EXPECT_TRUE(line.IsButton());
    EXPECT_EQ(line.caption, "Start");
    EXPECT_EQ(line.parameters, "Scale=Major|Octaves=2");
}

TEST(DocumentLine, HeadingsAndPlainTextAreShownOtherTagsAreNot) {
    DOCUMENT_LINE line;
    line.Parse("<2>Lesson 1");
    EXPECT_EQ(line.tag, "2");
    EXPECT_EQ(line.content, "Lesson 1");
    EXPECT_TRUE(line.IsShown());
    line.Parse("<x>text");
    EXPECT_FALSE(line.IsShown());
    line.Parse("Plain words, a < b > c.");
    EXPECT_TRUE(line.tag.IsEmpty());
    EXPECT_EQ(line.content, "Plain words, a < b > c.");
    line.Parse("");
    EXPECT_TRUE(line.IsShown());
    EXPECT_TRUE(line.content.IsEmpty());
}

TEST(DocumentLine, AnOpenTagWithoutItsEndIsPlainText) {
    DOCUMENT_LINE line;
    line.Parse("<b Start~^Scale=Major");
    EXPECT_TRUE(line.tag.IsEmpty());
    EXPECT_FALSE(line.IsButton());
    EXPECT_EQ(line.content, "<b Start~^Scale=Major");
    line.Parse(nullptr);
    EXPECT_TRUE(line.content.IsEmpty());
}

TEST(DocumentLine, AButtonWithoutParametersHasOnlyACaption) {
    DOCUMENT_LINE line;
    line.Parse("<b>Just a caption");
    EXPECT_EQ(line.caption, "Just a caption");
    EXPECT_TRUE(line.parameters.IsEmpty());
    line.Parse("<b>~^");
    EXPECT_TRUE(line.caption.IsEmpty());
    EXPECT_TRUE(line.parameters.IsEmpty());
}
