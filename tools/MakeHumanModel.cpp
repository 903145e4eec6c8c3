// Makes the human figure of the band and the mesh pictures and writes it
// as a text DirectX .x file. The figure is made here from parameters, not
// taken from anywhere: 1.8 units tall, one unit a metre, standing on y = 0
// and facing the viewer (-z) in the scene's left-handed space, arms hanging
// a little away from the body. Its skeleton ("Deformers") hangs from
// "Sitting" at the seat; every joint the players move by name is a frame,
// the fingers numbered from the thumb (1) to the little finger (5). Its one
// skinned mesh ("Body") is coloured by named materials, two bones blended
// at every joint. Usage: make_human_model OUTPUT.x
#include <cstdio>
#include <string>

#include "foundation/CharString.h"
#include "foundation/DiskFile.h"
#include "human/HumanBuilder.h"
#include "human/XFileWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s OUTPUT.x\n", argv[0]);
        return 2;
    }
    CHumanModel model;
    std::string problem;
    if (!CHumanBuilder::Build(model, problem)) {
        std::fprintf(stderr, "Can't make the human model: %s\n", problem.c_str());
        return 1;
    }
    const std::string text = CXFileWriter::Write(model);
    CCharString error;
    if (!CDiskFile::MakeFolderOf(argv[1]) ||
        !CDiskFile::SaveFile(argv[1], text.data(), text.size(), error)) {
        std::fprintf(stderr, "Can't write the human model '%s': %s\n", argv[1],
                     error.IsEmpty() ? "can't make its folder" : error.GetText());
        return 1;
    }
    std::printf("Wrote %s: %zu bones, %zu vertices, %zu triangles, %zu materials\n", argv[1],
                model.GetBones().size(), model.GetVertices().size(), model.GetTriangles().size(),
                model.GetMaterials().size());
    return 0;
}
