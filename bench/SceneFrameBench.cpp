// Frame time of a trainer-sized scene on the machine's GL driver: 2,000 lit
// primitives (1,300 solids for keys and staff, 700 flat glyph quads) at
// 1280 x 800 with four samples. Prints mean and 95th percentile of the wall
// time per frame (finished on the GPU) and the CPU time per frame.
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <string>
#include <vector>

#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/NoteManager.h"
#include "trainer/PianoNotes.h"

namespace {

double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

CPrimitive* BuildScene(CSpacePainter& scene, CVertexBuffer& list) {
    CDirect3D* device = scene.GetDirect3D();
    CPrimitive* first = nullptr;
    for (int i = 0; i < 1300; ++i) {
        const float x = -2.4f + (i % 65) * 0.075f;
        const float y = -1.0f + (i / 65) * 0.05f;
        auto box =
            CShapes::Box("Key", device, &list, glm::vec3(x, y, 0.5f), glm::vec3(0.06f, 0.04f, 0.3f),
                         i % 7 == 3 ? 0xFF202020 : 0xFFF0F0F0);
        CPrimitive* added = scene.AddToList(std::move(box));
        first = first != nullptr ? first : added;
    }
    for (int i = 0; i < 700; ++i) {
        auto glyph = std::make_unique<CPrimitive>("Glyph", device, &list);
        glyph->BeginGeometry();
        const float x = -2.0f + (i % 50) * 0.08f;
        const float y = 0.3f + (i / 50) * 0.06f;
        VERTEX a, b, c, d;
        for (VERTEX* v : {&a, &b, &c, &d}) {
            v->nz = -1.0f;
            v->diffuse = 0xFF101010;
            v->z = 0.0f;
        }
        a.x = x, a.y = y + 0.04f;
        b.x = x + 0.05f, b.y = y + 0.04f;
        c.x = x + 0.05f, c.y = y;
        d.x = x, d.y = y;
        list.AddQuad(a, b, c, d);
        glyph->EndGeometry();
        scene.AddToList(std::move(glyph));
    }
    return first;
}

void Report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    const double p95 = values[static_cast<size_t>(values.size() * 0.95)];
    std::printf("%-28s mean %7.3f ms   p95 %7.3f ms\n", what, mean, p95);
}

}  // namespace

CNoteManager* g_noteManager = nullptr;

// Draws 300 frames of the scene and prints their figures; trainer draws the
// note-reading picture instead of the generic one.
int Run(int samples, bool empty, bool trainer = false) {
    CQtOffscreenGl device(1280, 800, samples);
    std::string error;
    if (!device.Create(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // The exercise outlives the picture that shows it.
    Teacher teacher(g_noteManager);
    CHeldKeys heldKeys;
    CSpacePainter scene;
    if (!scene.Init(&device)) {
        std::fprintf(stderr, "%s\n", scene.GetError());
        return 1;
    }
    scene.SetPictureFactory(CPianoNotes::kKind, [&](CSpacePainter& s, CVertexBuffer& list) {
        return CPianoNotes::Make(s, list, *g_noteManager, teacher, heldKeys);
    });
    scene.SetPictureFactory(3, empty ? [](CSpacePainter& s, CVertexBuffer& list) {
        return s.AddToList(std::make_unique<CPrimitive>("Nothing", s.GetDirect3D(), &list));
    } : CSpacePainter::PictureFactory(BuildScene));
    if (!scene.CreatePicture(trainer ? CPianoNotes::kKind : 3)) {
        std::fprintf(stderr, "%s\n", scene.GetError());
        return 1;
    }
    if (!trainer) {
        scene.SetCamera(glm::vec3(0, 0, -18), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, 90.0f,
                        18.0f);
    }
    const CGlApi& gl = scene.GetDirect3D()->GetApi();
    std::vector<double> wall, thread, process;
    const int warmup = 20, frames = 300;
    for (int i = 0; i < warmup + frames; ++i) {
        const double thread0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        const double process0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const auto start = std::chrono::steady_clock::now();
        scene.Render(true);
        gl.Finish();
        const auto end = std::chrono::steady_clock::now();
        if (i >= warmup) {
            wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            thread.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread0);
            process.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process0);
        }
    }
    std::printf("\n%s of %d primitives, %d vertices at 1280x800, %d samples, %s\n",
                trainer ? "Note-reading picture" : (empty ? "Empty scene" : "Scene"),
                scene.GetFirstList()->GetPrimitives().GetCount(),
                scene.GetFirstList()->GetVertexCount(), device.GetSamples(),
                reinterpret_cast<const char*>(gl.GetString(GL_RENDERER)));
    std::printf("GL draw calls per frame: %d\n", scene.GetDirect3D()->GetDrawCalls());
    Report("frame time (wall)", wall);
    Report("CPU, UI thread", thread);
    Report("CPU, all threads", process);
    return 0;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    // The product's four samples, then one sample and an empty frame to show
    // where the time goes on a software renderer.
    CNoteManager noteManager;
    if (!noteManager.Init()) {
        std::fprintf(stderr, "%s\n", noteManager.GetError());
        return 1;
    }
    g_noteManager = &noteManager;
    return Run(4, false) || Run(0, false) || Run(4, true) || Run(4, false, true) ||
           Run(0, false, true);
}
