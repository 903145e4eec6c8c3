// Frame times of the scene on the machine's GL driver at 1280 x 800 with
// four samples (another count as the first argument), side by side in one
// run: an empty frame, the note-reading picture (kind 32) with a note on
// show, a trainer-sized scene of 2,000 lit primitives (1,300 solids, 700 flat
// glyph quads) and the band picture (kind 17), whose figures play a note
// every few frames and move their limbs by rewriting their vertices. The
// scenes draw
// their frames in turns, so that load elsewhere on the machine weighs on all
// of them alike. Prints each scene's GL draw calls and vertices per frame,
// the mean, median and 95th percentile of the wall time per frame (finished
// on the GPU), the CPU time of the UI thread, and the median as a ratio to
// the empty frame's.
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "characters/Band.h"
#include "characters/Drummer.h"
#include "characters/Segment.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "platform/assimp/AssimpMeshReader.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/NoteManager.h"
#include "trainer/PianoNotes.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kWarmupFrames = 20;
constexpr int kFrames = 300;
constexpr int kBenchKind = 3;  // a free picture kind for the generic scenes
constexpr int kBandKind = 17;
constexpr int kStrokes = 40;
// The band plays a note every few frames, its players in turn; a frame
// step is the scene's.
constexpr int kFramesPerNote = 4;
constexpr double kFrameStep = 0.025;

double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

CPrimitive* BuildEmpty(CSpacePainter& scene, CVertexBuffer& list) {
    return scene.AddToList(std::make_unique<CPrimitive>("Nothing", scene.GetDirect3D(), &list));
}

CPrimitive* BuildTrainerSized(CSpacePainter& scene, CVertexBuffer& list) {
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
    scene.SetCamera(glm::vec3(0, 0, -18), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, 90.0f, 18.0f);
    return first;
}

// One scene in a context of its own and the figures of its frames.
struct BENCH_SCENE {
    const char* name = "";
    int kind = kBenchKind;
    std::unique_ptr<CQtOffscreenGl> device;
    std::unique_ptr<Teacher> teacher;  // outlives the picture that shows it
    CHeldKeys heldKeys;
    std::unique_ptr<CSpacePainter> scene;
    CBand* band = nullptr;
    const char* figureModel = nullptr;  // the band's skinned figures, or none
    int frame = 0;
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> process;
    int drawCalls = 0;
    int vertices = 0;
    int stretches = 0;  // vertex stretches rewritten for the last frame
    int uploads = 0;    // and the uploads that sent them
};

bool Open(BENCH_SCENE& bench, int samples, CNoteManager& notes,
          const CSpacePainter::PictureFactory& factory) {
    bench.device = std::make_unique<CQtOffscreenGl>(kWidth, kHeight, samples);
    std::string error;
    if (!bench.device->Create(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    bench.teacher = std::make_unique<Teacher>(&notes);
    bench.scene = std::make_unique<CSpacePainter>();
    if (!bench.scene->Init(bench.device.get())) {
        std::fprintf(stderr, "%s\n", bench.scene->GetError());
        return false;
    }
    BENCH_SCENE* self = &bench;
    bench.scene->SetPictureFactory(
        CPianoNotes::kKind, [self, &notes](CSpacePainter& scene, CVertexBuffer& list) {
            return CPianoNotes::Make(scene, list, notes, *self->teacher, self->heldKeys);
        });
    bench.scene->SetPictureFactory(
        kBandKind, [self, &notes](CSpacePainter& scene, CVertexBuffer& list) {
            self->band = CBand::Make(scene, list, &notes, nullptr, self->figureModel);
            return self->band;
        });
    bench.scene->SetPictureFactory(kBenchKind, factory);
    if (!bench.scene->CreatePicture(bench.kind)) {
        std::fprintf(stderr, "%s: %s\n", bench.name, bench.scene->GetError());
        return false;
    }
    if (bench.kind == CPianoNotes::kKind) {
        // A lesson of one note: the staff shows it, its key is marked.
        const int middleC = 60;
        bench.teacher->SetLesson(Teacher::kDefaultScale, middleC, middleC);
    }
    if (bench.band != nullptr) {
        bench.band->StartPoses();
    }
    return true;
}

// Every few frames a note for the next player: the limbs glide to it over
// the frames after.
void PlayBand(BENCH_SCENE& bench) {
    const double now = bench.frame * kFrameStep;
    if (bench.frame % kFramesPerNote == 0) {
        const BAND_NOTE notes[] = {{51, THING_RIDE_CYMBAL},
                                   {40, THING_BASS_GUITAR},
                                   {55, THING_RHYTHM_GUITAR},
                                   {64, THING_LEAD_GUITAR}};
        const BAND_NOTE& note = notes[(bench.frame / kFramesPerNote) % 4];
        bench.band->PlayNote(note);
    }
    bench.band->Animate(now + kFrameStep, now);
    ++bench.frame;
}

bool DrawFrame(BENCH_SCENE& bench, bool keep) {
    CSpacePainter& scene = *bench.scene;
    const double cpu0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    if (bench.band != nullptr) {
        PlayBand(bench);
    }
    const bool drawn = scene.Render(true);
    scene.GetDirect3D()->GetApi().Finish();
    const auto end = std::chrono::steady_clock::now();
    if (keep) {
        bench.wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        bench.cpu.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0);
        bench.process.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process0);
    }
    bench.drawCalls = scene.GetDirect3D()->GetDrawCalls();
    bench.vertices = scene.GetDirect3D()->GetDrawnVertices();
    bench.stretches = scene.GetFirstList()->GetSentStretches();
    bench.uploads = scene.GetFirstList()->GetUploads();
    return drawn;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const BENCH_SCENE& bench, double emptyMedian, double emptyProcess) {
    std::vector<double> wall = bench.wall;
    std::sort(wall.begin(), wall.end());
    const double mean = std::accumulate(wall.begin(), wall.end(), 0.0) / wall.size();
    const double median = Median(wall);
    const double p95 = wall[static_cast<size_t>(wall.size() * 0.95)];
    const double p10 = wall[static_cast<size_t>(wall.size() * 0.10)];
    const double cpu = Median(bench.cpu);
    const double process = Median(bench.process);
    std::printf("%-22s %6d %9d %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %7.2f %7.2f\n", bench.name,
                bench.drawCalls, bench.vertices, mean, p10, median, p95, cpu, process,
                median / emptyMedian, process / emptyProcess);
}

// From a drum note to the end of the frame that shows its stick on the
// way down: the band's part (the note, the pose, the draw). In the
// application the frame follows at the next frame step, up to 25 ms later.
void ReportStroke(BENCH_SCENE& bench) {
    bench.device->MakeCurrent();
    CSegment* stick = bench.band->GetDrummer()->GetStick(THING_RIGHT_HAND);
    std::vector<double> latency;
    int moved = 0;
    for (int i = 0; i < kStrokes; ++i) {
        // Let the last stroke end first.
        for (int rest = 0; rest < kFramesPerNote; ++rest) {
            const double now = bench.frame * kFrameStep;
            bench.band->Animate(now + kFrameStep, now);
            ++bench.frame;
        }
        const glm::vec3 before = stick->GetOrigin();
        const auto start = std::chrono::steady_clock::now();
        bench.band->PlayNote(BAND_NOTE{51, THING_RIDE_CYMBAL});
        const double now = bench.frame * kFrameStep;
        bench.band->Animate(now + kFrameStep, now);
        ++bench.frame;
        bench.scene->Render(true);
        bench.scene->GetDirect3D()->GetApi().Finish();
        const auto end = std::chrono::steady_clock::now();
        latency.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        moved += glm::distance(before, stick->GetOrigin()) > 0.0f ? 1 : 0;
    }
    std::printf(
        "%s: a drum note to the frame showing its stroke: median %.3f ms, p95 %.3f ms "
        "(%d of %d frames showed the stick moved)\n",
        bench.name, Median(latency),
        [&] {
            std::sort(latency.begin(), latency.end());
            return latency[static_cast<size_t>(latency.size() * 0.95)];
        }(),
        moved, kStrokes);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int samples = argc > 1 ? std::atoi(argv[1]) : 4;
    CNoteManager notes;
    if (!notes.Init()) {
        std::fprintf(stderr, "%s\n", notes.GetError());
        return 1;
    }
    static CAssimpMeshReader reader;
    Platform::SetMeshReader(&reader);
    constexpr int kScenes = 5;
    BENCH_SCENE scenes[kScenes];
    scenes[0].name = "Empty frame";
    scenes[1].name = "Note-reading picture";
    scenes[1].kind = CPianoNotes::kKind;
    scenes[2].name = "Trainer-sized scene";
    scenes[3].name = "Band picture";
    scenes[3].kind = kBandKind;
    scenes[4].name = "Skinned band picture";
    scenes[4].kind = kBandKind;
    scenes[4].figureModel = NOTARA_BINARY_DIR "/Models/Human.x";
    const CSpacePainter::PictureFactory factories[kScenes] = {
        BuildEmpty, BuildEmpty, BuildTrainerSized, BuildEmpty, BuildEmpty};
    for (int i = 0; i < kScenes; ++i) {
        if (!Open(scenes[i], samples, notes, factories[i])) {
            return 1;
        }
    }
    const std::string only = argc > 2 ? argv[2] : "ENTBS";
    for (int frame = 0; frame < kWarmupFrames + kFrames; ++frame) {
        for (BENCH_SCENE& bench : scenes) {
            if (only.find(bench.name[0]) == std::string::npos && &bench != &scenes[0]) {
                continue;
            }
            if (!DrawFrame(bench, frame >= kWarmupFrames)) {
                std::fprintf(stderr, "%s: %s\n", bench.name, bench.scene->GetError());
                return 1;
            }
        }
    }
    const CGlApi& gl = scenes[0].scene->GetDirect3D()->GetApi();
    scenes[0].device->MakeCurrent();
    std::printf("\n%dx%d, %d samples per pixel, %s, %d frames each\n", kWidth, kHeight,
                scenes[0].device->GetSamples(),
                reinterpret_cast<const char*>(gl.GetString(GL_RENDERER)), kFrames);
    std::printf("%-22s %6s %9s %8s %8s %8s %8s %8s %8s %7s %7s\n", "", "draws", "vertices",
                "mean ms", "p10", "median", "p95", "UI CPU", "all CPU", "ratio", "CPU");
    const double emptyMedian = Median(scenes[0].wall);
    const double emptyProcess = Median(scenes[0].process);
    for (const BENCH_SCENE& bench : scenes) {
        if (bench.wall.empty()) {
            continue;
        }
        Report(bench, emptyMedian, emptyProcess);
    }
    const BENCH_SCENE& band = scenes[3];
    if (!band.wall.empty()) {
        std::printf("%s: %d vertex stretches rewritten for its last frame, sent in %d uploads\n",
                    band.name, band.stretches, band.uploads);
    }
    for (BENCH_SCENE* bench : {&scenes[3], &scenes[4]}) {
        if (!bench->wall.empty()) {
            ReportStroke(*bench);
        }
    }
    return 0;
}
