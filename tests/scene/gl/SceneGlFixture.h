#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "../../GuiApplication.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"

// A pixel read back from the frame.
struct RGBA {
    int r, g, b, a;
};

// The scene on an off-screen GL device of a given size, for the pixel
// tests: a picture is built, a frame drawn and its pixels read back.
class CSceneGlFixture : public testing::Test {
protected:
    CSceneGlFixture(int width, int height) : m_width(width), m_height(height) {}

    void SetUp() override {
        EnsureGuiApplication();
        m_device = std::make_unique<CQtOffscreenGl>(m_width, m_height);
        std::string error;
        ASSERT_TRUE(m_device->Create(error)) << error;
        m_scene = std::make_unique<CSpacePainter>();
        ASSERT_TRUE(m_scene->Init(m_device.get())) << m_scene->GetError();
    }

    void TearDown() override {
        m_scene.reset();
        m_device.reset();
    }

    // Builds a picture of kind 3 from build, which adds its primitives.
    void Build(const std::function<void(CSpacePainter&, CVertexBuffer&)>& build) {
        m_scene->SetPictureFactory(3, [build](CSpacePainter& scene, CVertexBuffer& list) {
            build(scene, list);
            return list.GetPrimitives().GetCount() > 0 ? *list.GetPrimitives().GetAt(0) : nullptr;
        });
        ASSERT_TRUE(m_scene->CreatePicture(3)) << m_scene->GetError();
    }

    // Draws a frame and reads its pixels into m_pixels.
    void Draw() {
        ASSERT_TRUE(m_scene->Render(true)) << m_scene->GetError();
        int w = 0, h = 0;
        ASSERT_TRUE(m_device->ReadPixels(m_pixels, w, h));
        ASSERT_EQ(w, m_width);
        ASSERT_EQ(h, m_height);
    }

    // The pixel at x, y of the last frame drawn, the nearest edge's outside it.
    RGBA Pixel(int x, int y) const {
        x = std::clamp(x, 0, m_width - 1);
        y = std::clamp(y, 0, m_height - 1);
        const uint8_t* p = &m_pixels[(static_cast<size_t>(y) * m_width + x) * 4];
        return RGBA{p[0], p[1], p[2], p[3]};
    }

    // Where the default camera (eye (0, 0, -10) looking at the origin, 20
    // degrees of vertical field) shows a world point, in pixels.
    void Project(const glm::vec3& p, double& px, double& py) const {
        const double t = std::tan(20.0 * M_PI / 180.0 / 2.0);
        const double aspect = static_cast<double>(m_width) / m_height;
        const double depth = p.z + 10.0;
        px = (p.x / (depth * t * aspect) + 1.0) / 2.0 * m_width;
        py = (1.0 - p.y / (depth * t)) / 2.0 * m_height;
    }

    const int m_width;
    const int m_height;
    std::unique_ptr<CQtOffscreenGl> m_device;
    std::unique_ptr<CSpacePainter> m_scene;
    std::vector<uint8_t> m_pixels;
};
