// A shader program without a GL context refuses the calls that need one.
#include <gtest/gtest.h>

#include <string>

#include "scene/ShaderProgram.h"

namespace {

const char* const kNames[] = {"uColor"};

TEST(ShaderProgram, RefusesToBeUsedBeforeItIsLinked) {
    CGlApi gl;
    CShaderProgram program(gl, "", "", kNames, 1);
    EXPECT_FALSE(program.IsLinked());
    EXPECT_FALSE(program.Use());
    EXPECT_EQ(std::string(program.GetError()).rfind("Can't ", 0), 0u) << program.GetError();
    EXPECT_EQ(program.GetLocation(0), -1);
}

TEST(ShaderProgram, CannotLinkWithoutAContext) {
    CGlApi gl;
    CShaderProgram program(gl, "", "", kNames, 1);
    EXPECT_FALSE(program.Link());
    EXPECT_EQ(std::string(program.GetError()).rfind("Can't ", 0), 0u) << program.GetError();
    EXPECT_FALSE(program.IsLinked());
}

}  // namespace
