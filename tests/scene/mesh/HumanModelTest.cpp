// The shipped human figure (build/Models/Human.x, made by make_human_model)
// read through the mesh reader into the scene's mesh model: every bone and
// named part the players use is there, the figure stands and faces as it
// should, joints blend two bones, and broken copies of it give a reason.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "TempFolder.h"
#include "platform/assimp/AssimpMeshReader.h"
#include "scene/MeshModel.h"

namespace {

const std::string kHuman = std::string(NOTARA_BINARY_DIR) + "/Models/Human.x";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Name(const char* format, char side, int number = 0) {
    char text[64];
    if (std::string(format).find("%d") != std::string::npos) {
        std::snprintf(text, sizeof text, format, side, number);
    } else {
        std::snprintf(text, sizeof text, format, side);
    }
    return text;
}

// Every bone a player moves by name.
std::vector<std::string> Bones() {
    std::vector<std::string> bones = {"Sitting"};
    for (char side : {'R', 'L'}) {
        for (const char* joint :
             {"%c_Shoulder", "%c_Elbow", "%c_Wrist", "%c_Hip", "%c_Knee", "%c_Ankle", "%c_Heel_tip",
              "%c_Sclera", "%c_Iris", "%c_Pupil", "%c_Upper_eyelash", "%c_Lower_eyelash"}) {
            bones.push_back(Name(joint, side));
        }
        for (int finger = 1; finger <= 5; ++finger) {
            const std::string base = Name("%c_Finger%d", side, finger);
            // The thumb (finger 1) has a base joint and a tip only.
            const std::vector<const char*> joints =
                finger == 1 ? std::vector<const char*>{"_1", "_tip"}
                            : std::vector<const char*>{"_1", "_2", "_3", "_tip"};
            for (const char* joint : joints) {
                bones.push_back(base + joint);
            }
            bones.push_back(Name("%c_Finger%d_nail", side, finger));
            bones.push_back(Name("%c_Toe%d_nail", side, finger));
        }
    }
    return bones;
}

// Every part and material coloured by name.
std::vector<std::string> Parts() {
    std::vector<std::string> parts = {"Lips_color",  "Hair",        "Pants",
                                      "Upper_teeth", "Lower_teeth", "Upper_gum",
                                      "Lower_gum",   "Tongue",      "Body"};
    for (char side : {'R', 'L'}) {
        for (const char* part :
             {"%c_Foot", "%c_Shoe", "%c_Upper_eyelid_edge", "%c_Lower_eyelid_edge", "%c_Nippel",
              "%c_Sclera", "%c_Iris", "%c_Pupil", "%c_Upper_eyelash", "%c_Lower_eyelash"}) {
            parts.push_back(Name(part, side));
        }
        for (int n = 1; n <= 5; ++n) {
            parts.push_back(Name("%c_Finger%d_nail", side, n));
            parts.push_back(Name("%c_Toe%d_nail", side, n));
        }
    }
    return parts;
}

class CHumanModelTest : public testing::Test {
protected:
    void SetUp() override { Platform::SetMeshReader(&m_reader); }
    void TearDown() override { Platform::SetMeshReader(nullptr); }

    // Where a bone stands in the pose.
    glm::vec3 Place(const CMeshModel& model, const char* bone) const {
        return glm::vec3(model.GetCombined(model.FindFrame(bone))[3]);
    }

    CAssimpMeshReader m_reader;
    CTempFolder m_folder{"human-model"};
};

TEST_F(CHumanModelTest, HasEveryBoneAndNamedPartThePlayersUse) {
    CMeshModel model;
    ASSERT_TRUE(model.Load(kHuman.c_str())) << model.GetError();
    EXPECT_EQ(model.GetFrameName(0), std::string("Root"));
    EXPECT_GE(model.FindFrame("Deformers"), 0);
    EXPECT_GE(model.FindFrame("Body"), 0);
    // A bone is a frame that moves vertices of the skinned mesh.
    std::set<std::string> weighed;
    for (const MESH_PART& part : model.GetData().meshes) {
        for (const MESH_BONE& bone : part.bones) {
            weighed.insert(bone.name);
        }
    }
    const std::vector<std::string> bones = Bones();
    EXPECT_EQ(bones.size(), 1u + 2 * (12 + 18 + 10));
    for (const std::string& bone : bones) {
        EXPECT_GE(model.FindBone(bone.c_str()), 0) << bone;
        EXPECT_EQ(weighed.count(bone), 1u) << bone << " moves no vertex";
    }
    for (const std::string& part : Parts()) {
        EXPECT_FALSE(model.FindParts(part.c_str()).empty()) << part;
    }
}

TEST_F(CHumanModelTest, StandsOnePointEightTallFacingTheViewerRightSideLeft) {
    CMeshModel model;
    ASSERT_TRUE(model.Load(kHuman.c_str())) << model.GetError();
    glm::vec3 low, high;
    ASSERT_TRUE(model.GetBounds(glm::mat4(1.0f), {}, low, high));
    EXPECT_NEAR(low.y, 0.0f, 0.01f);
    EXPECT_NEAR(high.y, 1.8f, 0.02f);
    EXPECT_NEAR(low.x + high.x, 0.0f, 0.01f);  // as wide to each side
    // The figure faces -z: the irises are in front of the head's middle.
    EXPECT_LT(Place(model, "R_Iris").z, Place(model, "Head").z - 0.05f);
    // Its right hand is on the viewer's left (-x).
    EXPECT_LT(Place(model, "R_Wrist").x, -0.2f);
    EXPECT_GT(Place(model, "L_Wrist").x, 0.2f);
    EXPECT_LT(Place(model, "R_Finger1_tip").z, Place(model, "R_Finger5_tip").z);  // thumb forward
    EXPECT_NEAR(Place(model, "Sitting").y, 0.95f, 0.01f);
    EXPECT_LT(Place(model, "R_Heel_tip").y, 0.01f);
}

TEST_F(CHumanModelTest, FacesAreClockwiseSeenFromOutside) {
    CMeshModel model;
    ASSERT_TRUE(model.Load(kHuman.c_str())) << model.GetError();
    for (const char* eye : {"R_Sclera", "L_Sclera"}) {
        const std::vector<int> parts = model.FindParts(eye);
        ASSERT_EQ(parts.size(), 1u);
        const MESH_PART& part = model.GetData().meshes[parts[0]];
        const glm::vec3 centre = Place(model, eye);
        const auto at = [&](uint32_t v) {
            return glm::vec3(part.positions[3 * v], part.positions[3 * v + 1],
                             part.positions[3 * v + 2]);
        };
        ASSERT_GT(part.indices.size(), 30u);
        for (size_t t = 0; t < part.indices.size(); t += 3) {
            const glm::vec3 a = at(part.indices[t]), b = at(part.indices[t + 1]);
            const glm::vec3 c = at(part.indices[t + 2]);
            // In the left-handed space a clockwise face's cross product
            // points to the side it is seen from.
            EXPECT_GT(glm::dot(glm::cross(b - a, c - a), (a + b + c) / 3.0f - centre), 0.0f)
                << eye << " triangle " << t / 3;
        }
    }
}

TEST_F(CHumanModelTest, BlendsTwoBonesAtTheElbowsAndKnees) {
    CMeshModel model;
    ASSERT_TRUE(model.Load(kHuman.c_str())) << model.GetError();
    for (const auto& pair : {std::pair<const char*, const char*>{"R_Shoulder", "R_Elbow"},
                             {"L_Hip", "L_Knee"},
                             {"R_Finger2_1", "R_Finger2_2"}}) {
        bool blended = false;
        for (const MESH_PART& part : model.GetData().meshes) {
            for (size_t v = 0; v < part.GetVertexCount() && !part.bones.empty(); ++v) {
                float first = 0.0f, second = 0.0f;
                for (int s = 0; s < 4; ++s) {
                    const std::string& bone = part.bones[part.boneIndices[v * 4 + s]].name;
                    const float weight = part.boneWeights[v * 4 + s];
                    first += bone == pair.first ? weight : 0.0f;
                    second += bone == pair.second ? weight : 0.0f;
                }
                blended = blended || (first > 0.3f && second > 0.3f);
            }
        }
        EXPECT_TRUE(blended) << pair.first << " and " << pair.second;
    }
}

TEST_F(CHumanModelTest, ARaisedRightShoulderLiftsTheHandBesideTheHead) {
    CMeshModel model;
    ASSERT_TRUE(model.Load(kHuman.c_str())) << model.GetError();
    const glm::vec3 shoulder = Place(model, "R_Shoulder");
    ASSERT_TRUE(model.TurnBone("R_Shoulder", -90.0f, glm::vec3(0, 0, 1))) << model.GetError();
    model.Update();
    const glm::vec3 wrist = Place(model, "R_Wrist");
    EXPECT_LT(wrist.x, shoulder.x - 0.45f);  // out to the figure's right
    EXPECT_GT(wrist.y, shoulder.y);          // a little above the shoulder
    EXPECT_NEAR(wrist.z, shoulder.z, 0.01f);
    EXPECT_NEAR(Place(model, "L_Wrist").y, 0.92f, 0.02f);  // the other arm still hangs
}

// text without the block that starts at start and ends with the brace
// that closes its first one.
std::string WithoutBlock(const std::string& text, size_t start) {
    int depth = 0;
    for (size_t i = text.find('{', start); start != std::string::npos && i < text.size(); ++i) {
        depth += text[i] == '{' ? 1 : text[i] == '}' ? -1 : 0;
        if (depth == 0) {
            return text.substr(0, start) + text.substr(i + 1);
        }
    }
    return text;
}

TEST_F(CHumanModelTest, ABoneTakenOutOfTheFileCantBeFound) {
    const std::string text = ReadText(kHuman);
    ASSERT_FALSE(text.empty());
    // Its frame and its weights gone: the rest loads, the bone is missing.
    std::string cut = WithoutBlock(text, text.find("Frame R_Heel_tip {"));
    const size_t weights = cut.find("\"R_Heel_tip\";");
    ASSERT_NE(weights, std::string::npos);
    cut = WithoutBlock(cut, cut.rfind("SkinWeights {", weights));
    ASSERT_EQ(cut.find("R_Heel_tip"), std::string::npos);
    const std::string path = m_folder.Path("NoHeel.x");
    std::ofstream(path, std::ios::binary) << cut;
    CMeshModel model;
    ASSERT_TRUE(model.Load(path.c_str())) << model.GetError();
    EXPECT_EQ(model.FindBone("R_Heel_tip"), -1);
    EXPECT_EQ(std::string(model.GetError()),
              "Can't find the bone \"R_Heel_tip\" in \"" + path + "\"");
    EXPECT_GE(model.FindBone("L_Heel_tip"), 0);
    // Its frame gone but its weights kept: the file is refused.
    const std::string orphan = m_folder.Path("Orphan.x");
    std::ofstream(orphan, std::ios::binary) << WithoutBlock(text, text.find("Frame R_Heel_tip {"));
    EXPECT_FALSE(model.Load(orphan.c_str()));
    EXPECT_EQ(std::string(model.GetError()),
              "Can't load the mesh \"" + orphan + "\": the bone \"R_Heel_tip\" has no frame");
}

TEST_F(CHumanModelTest, CopiesCutShortGiveAReason) {
    const std::string text = ReadText(kHuman);
    ASSERT_GT(text.size(), 1000u);
    for (int tenth = 1; tenth < 10; ++tenth) {
        const std::string path = m_folder.Path("Cut" + std::to_string(tenth) + ".x");
        std::ofstream(path, std::ios::binary) << text.substr(0, text.size() * tenth / 10);
        CMeshModel model;
        EXPECT_FALSE(model.Load(path.c_str())) << tenth;
        EXPECT_EQ(std::string(model.GetError()).rfind("Can't load the mesh \"" + path + "\": ", 0),
                  0u)
            << model.GetError();
    }
}

TEST_F(CHumanModelTest, TheHostileFilesGiveAReasonThroughTheModel) {
    for (const char* name : {"empty.x", "header-only.x", "not-a-model.x", "truncated-in-vertices.x",
                             "vertex-count-huge.x", "weight-vertex-beyond.x", "long-frame-name.x",
                             "bone-without-frame.x", "not-finite.x"}) {
        const std::string path = std::string(NOTARA_TEST_DATA) + "/mesh/" + name;
        CMeshModel model;
        EXPECT_FALSE(model.Load(path.c_str())) << name;
        EXPECT_EQ(std::string(model.GetError()).rfind("Can't load the mesh \"" + path + "\": ", 0),
                  0u)
            << model.GetError();
    }
}

}  // namespace
