// The mesh reader on .x files built here and on the hostile files of
// tests/data/mesh: what a file holds comes through in the scene's
// left-handed space, and every broken file gives a reason, never a crash.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/MeshCheck.h"
#include "platform/assimp/AssimpMeshReader.h"

namespace {

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(NOTARA_TEST_DATA) + "/mesh/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Read(const std::string& text, MESH_DATA& mesh, std::string& error, const char* hint = "x") {
    CAssimpMeshReader reader;
    return reader.Read(text.data(), text.size(), hint, mesh, error);
}

const char* const kMatrix =
    "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
    "0.000000,0.000000,1.000000,0.000000,%s;;";

std::string Matrix(const char* translation) {
    char text[512];
    std::snprintf(text, sizeof text, kMatrix, translation);
    return text;
}

// A triangle in front of the viewer (z = 2) whose corners go clockwise as
// the viewer sees them, in a frame moved to (1, 2, 3) under the root, and
// skinned to a bone whose offset moves by (-4, -5, -6).
std::string PlacedTriangle() {
    return "xof 0303txt 0032\n"
           "Frame Root {\n FrameTransformMatrix {\n" +
           Matrix("0.000000,0.000000,0.000000,1.000000") +
           "\n }\n"
           " Frame Moved {\n  FrameTransformMatrix {\n" +
           Matrix("1.000000,2.000000,3.000000,1.000000") +
           "\n  }\n"
           "  Mesh Tri {\n   3;\n   0.000000;0.000000;2.000000;,\n"
           "   0.000000;1.000000;2.000000;,\n   1.000000;0.000000;2.000000;;\n"
           "   1;\n   3;0,1,2;;\n"
           "   MeshMaterialList {\n    1;\n    1;\n    0;;\n"
           "    Material Red {\n     1.000000;0.000000;0.000000;1.000000;;\n     8.000000;\n"
           "     0.500000;0.500000;0.500000;;\n     0.000000;0.000000;0.000000;;\n    }\n   }\n"
           "   XSkinMeshHeader {\n    1;\n    1;\n    1;\n   }\n"
           "   SkinWeights {\n    \"Moved\";\n    3;\n    0,\n    1,\n    2;\n"
           "    1.000000,\n    1.000000,\n    1.000000;\n    " +
           Matrix("-4.000000,-5.000000,-6.000000,1.000000") + "\n   }\n  }\n }\n}\n";
}

TEST(AssimpMeshReader, KeepsTheFilesLeftHandedPlacesAndClockwiseCorners) {
    MESH_DATA mesh;
    std::string error;
    ASSERT_TRUE(Read(PlacedTriangle(), mesh, error)) << error;
    ASSERT_EQ(mesh.frames.size(), 2u);
    EXPECT_EQ(mesh.frames[0].name, "Root");
    EXPECT_EQ(mesh.frames[1].name, "Moved");
    EXPECT_EQ(mesh.frames[1].parent, 0);
    EXPECT_EQ(mesh.frames[0].children, std::vector<int>{1});
    // The translation of a row-vector matrix comes in elements 12 to 14.
    EXPECT_FLOAT_EQ(mesh.frames[1].local.m[12], 1.0f);
    EXPECT_FLOAT_EQ(mesh.frames[1].local.m[13], 2.0f);
    EXPECT_FLOAT_EQ(mesh.frames[1].local.m[14], 3.0f);
    ASSERT_EQ(mesh.frames[1].meshes, std::vector<int>{0});
    const MESH_PART& part = mesh.meshes.at(0);
    ASSERT_EQ(part.GetVertexCount(), 3u);
    ASSERT_EQ(part.indices.size(), 3u);
    // The corners as the file has them, z not turned round, in their order.
    const float expected[3][3] = {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}};
    for (int c = 0; c < 3; ++c) {
        const uint32_t v = part.indices[c];
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(part.positions[3 * v + k], expected[c][k]) << "corner " << c;
        }
    }
    // Normals made for a file without them face the viewer (-z).
    EXPECT_LT(part.normals[2], -0.99f);
    EXPECT_EQ(part.material, "Red");
    EXPECT_FLOAT_EQ(part.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(part.diffuse[1], 0.0f);
    EXPECT_FLOAT_EQ(part.power, 8.0f);
    EXPECT_FLOAT_EQ(part.specular[0], 0.5f);
    ASSERT_EQ(part.bones.size(), 1u);
    EXPECT_EQ(part.bones[0].name, "Moved");
    EXPECT_FLOAT_EQ(part.bones[0].offset.m[12], -4.0f);
    EXPECT_FLOAT_EQ(part.bones[0].offset.m[13], -5.0f);
    EXPECT_FLOAT_EQ(part.bones[0].offset.m[14], -6.0f);
    for (size_t v = 0; v < 3; ++v) {
        EXPECT_FLOAT_EQ(part.boneWeights[v * 4], 1.0f);
        EXPECT_EQ(part.boneIndices[v * 4], 0);
    }
    EXPECT_TRUE(CMeshCheck::Check(mesh, error)) << error;
}

TEST(AssimpMeshReader, ReadsOtherFormatsByTheirExtension) {
    const std::string obj = "v 0 0 0\nv 0 1 0\nv 1 0 0\nf 1 2 3\n";
    MESH_DATA mesh;
    std::string error;
    ASSERT_TRUE(Read(obj, mesh, error, "obj")) << error;
    ASSERT_EQ(mesh.meshes.size(), 1u);
    EXPECT_EQ(mesh.meshes[0].GetVertexCount(), 3u);
    EXPECT_EQ(mesh.meshes[0].indices.size(), 3u);
    EXPECT_TRUE(mesh.meshes[0].bones.empty());
}

TEST(AssimpMeshReader, RefusesEmptyOversizedAndOddlyNamedInput) {
    MESH_DATA mesh;
    std::string error;
    EXPECT_FALSE(Read("", mesh, error));
    EXPECT_EQ(error, "the file is empty");
    CAssimpMeshReader reader;
    const std::vector<char> huge(IMeshReader::kMaxFileSize + 1, ' ');
    EXPECT_FALSE(reader.Read(huge.data(), huge.size(), "x", mesh, error));
    EXPECT_NE(error.find("more than 64 MB"), std::string::npos) << error;
    EXPECT_FALSE(Read(PlacedTriangle(), mesh, error, "x/../../etc"));
    EXPECT_EQ(error, "\"x/../../etc\" is not a file type");
}

struct HOSTILE {
    const char* file;
    const char* reason;  // a part of the reason given; null when the file may load
};

TEST(AssimpMeshReader, GivesAReasonForEveryBrokenFileAndNeverCrashes) {
    const HOSTILE files[] = {
        {"empty.x", "empty"},
        {"header-only.x", "No root node"},
        {"not-a-model.x", "not an XFile"},
        {"truncated-in-vertices.x", "real number"},
        {"truncated-in-weights.x", "real number"},
        {"vertex-count-huge.x", "line 7: Mesh counts 4000000000 vertices, more than the file"},
        {"face-count-huge.x", "faces, more than the file can hold"},
        {"weight-count-huge.x", "SkinWeights counts 2000000000 weights"},
        {"normal-count-huge.x", "MeshNormals counts 999999999 normals"},
        {"weight-vertex-beyond.x", ""},
        {"normal-index-beyond.x", ""},
        {"not-finite.x", "not finite"},
        {"binary-garbage.x", ""},
        {"compressed-empty-blocks.x", ""},
        {"unclosed-frames.x", "Unexpected end of file"},
        {"long-frame-name.x", ""},
        // The library reads one corner past the vertices: the result is
        // whatever it found there, or a reason.
        {"face-index-beyond.x", nullptr},
    };
    for (const HOSTILE& hostile : files) {
        SCOPED_TRACE(hostile.file);
        const std::string text = ReadData(hostile.file);
        MESH_DATA mesh;
        std::string error;
        const bool read = Read(text, mesh, error);
        if (hostile.reason == nullptr) {
            EXPECT_TRUE(read || !error.empty());
            continue;
        }
        EXPECT_FALSE(read);
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(hostile.reason), std::string::npos) << error;
        EXPECT_TRUE(mesh.frames.empty() && mesh.meshes.empty());
    }
}

TEST(AssimpMeshReader, SurvivesFramesNestedDeeperThanTheLibrarysStack) {
    std::string text = "xof 0303txt 0032\n";
    constexpr int kDepth = 300000;
    for (int i = 0; i < kDepth; ++i) {
        text += "Frame a{";
    }
    text += std::string(kDepth, '}');
    MESH_DATA mesh;
    std::string error;
    EXPECT_FALSE(Read(text, mesh, error));
    EXPECT_FALSE(error.empty());
}

TEST(AssimpMeshReader, ReadsTheValidTriangleOfTheHostileFiles) {
    MESH_DATA mesh;
    std::string error;
    ASSERT_TRUE(Read(ReadData("valid-skinned-triangle.x"), mesh, error)) << error;
    ASSERT_EQ(mesh.meshes.size(), 1u);
    EXPECT_EQ(mesh.meshes[0].bones.at(0).name, "Bone");
}

}  // namespace
