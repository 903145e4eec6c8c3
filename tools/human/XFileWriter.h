#pragma once

#include <string>

#include "human/HumanModel.h"

// Writes the figure as a text DirectX .x file: a frame "Root" holding
// "Deformers" (the skeleton, one frame per bone with its place relative to
// its parent) and "Body" (one skinned mesh with its normals, its named
// materials and the weights and offset matrix of every bone). Matrices are
// written as the format keeps them, for row vectors.
class CXFileWriter {
public:
    static std::string Write(const CHumanModel& model);

private:
    static void WriteFrames(const CHumanModel& model, int bone, int depth, std::string& out);
    static void WriteMesh(const CHumanModel& model, std::string& out);
    static void WriteMaterials(const CHumanModel& model, std::string& out);
    static void WriteSkin(const CHumanModel& model, std::string& out);
};
