#include <gtest/gtest.h>

#include "scene/D3DResult.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/VertexBuffer.h"

namespace {

VERTEX At(float x, float y, float z) {
    VERTEX v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

TEST(VertexBuffer, StoresQuadsAsTwoTrianglesOrAsFourEdgesInLineMode) {
    CVertexBuffer list(nullptr, 100);
    CPrimitive quad("Quad", nullptr, &list);
    quad.BeginGeometry();
    ASSERT_TRUE(list.AddQuad(At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0)));
    quad.EndGeometry();
    EXPECT_EQ(list.GetIndexCount(), 6);
    EXPECT_EQ(list.GetPrimitiveCount(), 2);
    EXPECT_EQ(quad.GetRange().indexCount, 6);
    EXPECT_EQ(quad.GetRange().vertexCount, 4);
    EXPECT_EQ(list.GetIndices(), (std::vector<uint32_t>{0, 1, 3, 1, 2, 3}));

    CVertexBuffer lines(nullptr, 100);
    lines.SetLineMode(true);
    ASSERT_TRUE(lines.AddQuad(At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0)));
    EXPECT_EQ(lines.GetIndexCount(), 8);
    EXPECT_EQ(lines.GetPrimitiveCount(), 4);
    ASSERT_TRUE(lines.AddTriangle(At(0, 0, 0), At(1, 0, 0), At(1, 1, 0)));
    EXPECT_EQ(lines.GetIndexCount(), 14);
    EXPECT_EQ(lines.GetPrimitiveCount(), 7);
}

TEST(VertexBuffer, AddsPolygonsOfThreeOrFourIndicesAndRefusesLarger) {
    CVertexBuffer list(nullptr, 100);
    for (int i = 0; i < 5; ++i) {
        list.AddVertex(At(float(i), 0, 0));
    }
    EXPECT_TRUE(list.AddPolygon({0, 1}));
    EXPECT_EQ(list.GetIndexCount(), 0);
    EXPECT_TRUE(list.AddPolygon({0, 1, 2}));
    EXPECT_TRUE(list.AddPolygon({0, 1, 2, 3}));
    EXPECT_EQ(list.GetPrimitiveCount(), 3);
    EXPECT_FALSE(list.AddPolygon({0, 1, 2, 3, 4}));
    EXPECT_STREQ(list.GetError(), "Can't add: size=5");
    EXPECT_FALSE(list.AddPolygon({0, 1, 9}));
    EXPECT_EQ(list.GetPrimitiveCount(), 3);
}

TEST(VertexBuffer, GrowsByItsStepOrToTheRequest) {
    CVertexBuffer list(nullptr, 10000);
    EXPECT_EQ(list.GetVertexCapacity(), 10000);
    for (int i = 0; i <= 10000; ++i) {
        ASSERT_TRUE(list.AddVertex(At(0, 0, 0), i, 2 * i));
    }
    EXPECT_EQ(list.GetVertexCapacity(), 20000);
    EXPECT_EQ(list.GetExtra1(10000), 10000u);
    EXPECT_EQ(list.GetExtra2(10000), 20000u);
    ASSERT_TRUE(list.Reserve(55000));
    EXPECT_EQ(list.GetVertexCapacity(), 55000);
}

TEST(VertexBuffer, RewritesTrianglesAsTheirEdges) {
    CVertexBuffer list(nullptr, 100);
    CPrimitive a("A", nullptr, &list);
    a.BeginGeometry();
    list.AddTriangle(At(0, 0, 0), At(1, 0, 0), At(0, 1, 0));
    a.EndGeometry();
    CPrimitive b("B", nullptr, &list);
    b.BeginGeometry();
    list.AddQuad(At(0, 0, 1), At(1, 0, 1), At(1, 1, 1), At(0, 1, 1));
    b.EndGeometry();
    list.AddPrimitive(&a);
    list.AddPrimitive(&b);
    ASSERT_TRUE(list.ToLines());
    EXPECT_EQ(list.GetIndexCount(), 18);
    EXPECT_EQ(list.GetPrimitiveCount(), 9);
    EXPECT_EQ(b.GetRange().firstIndex, 6);
    EXPECT_EQ(b.GetRange().indexCount, 12);
    EXPECT_TRUE(b.GetRange().lines);
    const std::vector<uint32_t> first(list.GetIndices().begin(), list.GetIndices().begin() + 6);
    EXPECT_EQ(first, (std::vector<uint32_t>{0, 1, 1, 2, 2, 0}));
}

TEST(VertexBuffer, RefusesToRewriteATriangleListWithMissingIndices) {
    CVertexBuffer list(nullptr, 100);
    list.SetLineMode(true);
    list.AddTriangle(At(0, 0, 0), At(1, 0, 0), At(0, 1, 0));  // 6 indices, 3 primitives
    list.SetLineMode(false);
    list.AddVertex(At(0, 0, 0));
    ASSERT_TRUE(list.AddPolygon({0, 1, 2}));  // now 9 indices for 4 "triangles"
    EXPECT_FALSE(list.ToLines());
    EXPECT_STREQ(list.GetError(), "9 indices for 4 triangles");
    EXPECT_EQ(list.GetIndexCount(), 9);
}

TEST(VertexBuffer, WindsEveryShapeFaceClockwiseSeenFromOutside) {
    CVertexBuffer list(nullptr, 10000);
    auto box = CShapes::Box("Box", nullptr, &list, glm::vec3(1, 2, 3), glm::vec3(2), 0xFFFFFFFF);
    auto ball = CShapes::Sphere("Ball", nullptr, &list, glm::vec3(-1, 0, 0), 1.0f, 12, 0xFFFFFFFF);
    auto rod = CShapes::Cylinder(nullptr, nullptr, &list, glm::vec3(0), glm::vec3(0, 0, 2), 0.5f,
                                 10, 0xFFFFFFFF);
    EXPECT_STREQ(rod->GetName(), "Cylinder");
    for (CPrimitive* shape : {box.get(), ball.get(), rod.get()}) {
        const PRIMITIVE_RANGE& range = shape->GetRange();
        ASSERT_GT(range.indexCount, 0);
        // The centre of each closed solid lies behind all of its faces.
        glm::vec3 center(0);
        for (int i = range.firstVertex; i < range.firstVertex + range.vertexCount; ++i) {
            const VERTEX* v = list.GetVertex(i);
            center += glm::vec3(v->x, v->y, v->z);
        }
        center /= float(range.vertexCount);
        for (int i = range.firstIndex; i < range.firstIndex + range.indexCount; i += 3) {
            const VERTEX* a = list.GetVertex(list.GetIndices()[i]);
            const VERTEX* b = list.GetVertex(list.GetIndices()[i + 1]);
            const VERTEX* c = list.GetVertex(list.GetIndices()[i + 2]);
            const glm::vec3 pa(a->x, a->y, a->z), pb(b->x, b->y, b->z), pc(c->x, c->y, c->z);
            const glm::vec3 face = glm::cross(pb - pa, pc - pa);
            // A left-handed clockwise triangle has this cross product outward.
            EXPECT_GT(glm::dot(face, (pa + pb + pc) / 3.0f - center), 0.0f) << shape->GetName();
        }
    }
}

TEST(VertexBuffer, ColoursAStretchAndRefusesOneBeyondTheEnd) {
    CVertexBuffer list(nullptr, 100);
    list.AddQuad(At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0));
    EXPECT_TRUE(list.SetColour(1, 2, 0xFF112233, CVertexBuffer::kSpecular, true));
    EXPECT_EQ(list.GetVertex(1)->specular, 0xFF112233u);
    EXPECT_EQ(list.GetVertex(3)->specular, 0u);
    EXPECT_FALSE(list.SetColour(2, 5, 0, CVertexBuffer::kDiffuse, true));
}

TEST(VertexBuffer, KnowsWhichStretchesHaveATranslucentColour) {
    CVertexBuffer list(nullptr, 100);
    VERTEX seeThrough = At(0, 0, 0);
    seeThrough.diffuse = 0x80FFFFFF;
    list.AddQuad(At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0));
    list.AddQuad(At(0, 0, 0), seeThrough, At(1, 1, 0), At(0, 1, 0));
    EXPECT_FALSE(list.IsTranslucent(0, 4));
    EXPECT_TRUE(list.IsTranslucent(4, 4));
    EXPECT_TRUE(list.IsTranslucent(5, 1));
    EXPECT_FALSE(list.IsTranslucent(6, 2));
    // Colours set through the list, and vertices written and refreshed.
    ASSERT_TRUE(list.SetColour(4, 4, 0xFF808080, CVertexBuffer::kDiffuse, false));
    EXPECT_FALSE(list.IsTranslucent(0, 8));
    ASSERT_TRUE(list.SetColour(0, 2, 0x40808080, CVertexBuffer::kDiffuse, false));
    EXPECT_TRUE(list.IsTranslucent(0, 4));
    ASSERT_TRUE(list.SetColour(0, 2, 0x40808080, CVertexBuffer::kSpecular, false));
    EXPECT_FALSE(list.IsTranslucent(2, 6));
    list.GetVertex(7)->diffuse = 0x00000000;
    ASSERT_TRUE(list.Refresh(6, 2));
    EXPECT_TRUE(list.IsTranslucent(4, 4));
    list.GetVertex(0)->diffuse = list.GetVertex(1)->diffuse = 0xFF000000;
    ASSERT_TRUE(list.Refresh(0, 2));
    EXPECT_FALSE(list.IsTranslucent(0, 4));
    // Without a device copy nothing waits to be sent.
    EXPECT_EQ(list.GetPendingStretches(), 0);
}

TEST(D3DResult, NamesKnownResultsAndShowsOthersInHex) {
    CCharString text;
    EXPECT_STREQ(D3DResultName(D3D_OK, text), "D3D_OK");
    EXPECT_STREQ(D3DResultName(D3DERR_DEVICELOST, text), "D3DERR_DEVICELOST");
    EXPECT_STREQ(D3DResultName(D3DERR_OUTOFVIDEOMEMORY, text), "D3DERR_OUTOFVIDEOMEMORY");
    EXPECT_STREQ(D3DResultName(0x8007000E, text), "Unknown result 8007000E");
    EXPECT_EQ(D3DResultOfGlError(0x0505), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(D3DResultOfGlError(0x0502), D3DERR_INVALIDCALL);
}

}  // namespace
