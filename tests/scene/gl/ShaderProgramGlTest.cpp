// Shader programs on a real GL driver (Mesa under Xvfb).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../../GuiApplication.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/GlApi.h"
#include "scene/ShaderProgram.h"

namespace {

const char* const kVertex = R"(#version 330 core
layout(location = 0) in vec2 aPixel;
uniform vec2 uOffset;
void main() { gl_Position = vec4(aPixel + uOffset, 0.0, 1.0); }
)";

const char* const kFragment = R"(#version 330 core
uniform vec4 uColor;
out vec4 fragColor;
void main() { fragColor = uColor; }
)";

const char* const kNames[] = {"uOffset", "uColor", "uUnused"};

class CShaderProgramGl : public testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        m_device = std::make_unique<CQtOffscreenGl>(16, 16);
        std::string error;
        ASSERT_TRUE(m_device->Create(error)) << error;
        m_device->MakeCurrent();
        const char* missing = nullptr;
        ASSERT_TRUE(m_gl.Load(*m_device, missing)) << missing;
    }

    std::unique_ptr<CQtOffscreenGl> m_device;
    CGlApi m_gl;
};

TEST_F(CShaderProgramGl, LinksAndFindsTheUniformsItUses) {
    CShaderProgram program(m_gl, kVertex, kFragment, kNames, 3);
    ASSERT_TRUE(program.Link()) << program.GetError();
    EXPECT_TRUE(program.Use());
    EXPECT_GE(program.GetLocation(0), 0);
    EXPECT_GE(program.GetLocation(1), 0);
    EXPECT_EQ(program.GetLocation(2), -1);
    program.Release(true);
    EXPECT_FALSE(program.IsLinked());
    EXPECT_FALSE(program.Use());
}

TEST_F(CShaderProgramGl, ReportsTheCompilerLogOfABrokenShader) {
    CShaderProgram program(m_gl, kVertex, "#version 330 core\nvoid main() { oops; }\n", kNames, 3);
    EXPECT_FALSE(program.Link());
    EXPECT_EQ(std::string(program.GetError()).rfind("Can't compile shader: ", 0), 0u)
        << program.GetError();
    EXPECT_FALSE(program.IsLinked());
}

}  // namespace
