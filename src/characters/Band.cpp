#include "characters/Band.h"

#include <memory>

#include "characters/Drummer.h"
#include "characters/Guitarist.h"
#include "characters/Pianist.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "platform/DebugOutput.h"
#include "scene/Camera.h"
#include "scene/MeshModel.h"
#include "scene/SpacePainter.h"
#include "theory/Note.h"

namespace {

constexpr uint8_t kBuildFlag = 1;
constexpr float kCameraStep = 15.0f;  // degrees between neighbouring camera positions
constexpr float kFacing = 180.0f;     // the yaw that keeps a camera on its own eye

struct PLACE {
    float turn;  // degrees about the vertical
    float x, z;
};

constexpr PLACE kFront = {180.0f, 0.0f, 50.0f};
constexpr PLACE kRhythm = {210.0f, 120.0f, 0.0f};
constexpr PLACE kBass = {150.0f, -120.0f, 0.0f};
constexpr PLACE kDrums = {0.0f, 0.0f, -130.0f};

const glm::vec3 kBandEye(0.2f, -0.6f, -10.0f);
const glm::vec3 kBandLookAt(0.2f, -0.6f, 0.0f);
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);
constexpr float kBandYaw = 210.0f;
constexpr float kBandPitch = 60.0f;
constexpr float kBandDistance = 8.0f;

bool Place(CPlayer* player, const PLACE& place, float height) {
    if (player == nullptr) {
        return true;
    }
    return player->Turn(place.turn, 1) && player->SetPosition(place.x, height, place.z);
}

}  // namespace

CBand::CBand(CDirect3D* device, CVertexBuffer* buffer, CNoteManager* notes, CLogFile* log)
    : CAbstractShapes("Band", device, buffer), m_notes(notes), m_log(log) {}

CBand::~CBand() = default;

void CBand::Log(const char* text) const {
    if (m_log != nullptr) {
        m_log->Printf("%s", text);
    } else {
        Platform::WriteDebugOutput(text);
    }
}

bool CBand::AddPlayer(std::unique_ptr<CPlayer> player, uint8_t flag) {
    player->SetFigureModel(m_figure.get());
    if (!player->Build(flag)) {
        return Fail(__LINE__, "Can't build the %s: %s", player->GetName(), player->GetError());
    }
    AddChild(std::move(player));
    return true;
}

bool CBand::Build(uint8_t flag, int lineup) {
    if (lineup != kLeadLineup && lineup != kPianoLineup) {
        return Fail(__LINE__, "Can't build a band of lineup %d", lineup);
    }
    if (m_scene != nullptr) {
        m_scene->GetCameraFrame(m_cameraFrame);
    }
    if (!m_figureModel.IsEmpty()) {
        // The model is read once for the whole band; without it every
        // player is a figure of primitives, told once.
        m_figure = std::make_unique<CMeshModel>();
        if (!m_figure->Load(m_figureModel)) {
            ReportError(kSource, __LINE__, "%s", m_figure->GetError());
            m_figure.reset();
        }
    }
    Log("The original human is loaded");
    m_flag = flag;
    m_lineup = lineup;
    if (lineup == kLeadLineup) {
        auto lead = std::make_unique<CGuitarist>("Lead guitarist", m_device, m_buffer,
                                                 THING_LEAD_GUITAR, m_notes);
        m_leadGuitarist = lead.get();
        if (!AddPlayer(std::move(lead), flag)) {
            return false;
        }
    } else {
        auto pianist = std::make_unique<CPianist>("Pianist", m_device, m_buffer);
        m_pianist = pianist.get();
        if (!AddPlayer(std::move(pianist), flag)) {
            return false;
        }
    }
    auto rhythm = std::make_unique<CGuitarist>("Rhythm guitarist", m_device, m_buffer,
                                               THING_RHYTHM_GUITAR, m_notes);
    m_rhythmGuitarist = rhythm.get();
    auto bass =
        std::make_unique<CGuitarist>("Bassist", m_device, m_buffer, THING_BASS_GUITAR, m_notes);
    m_bassist = bass.get();
    auto drummer = std::make_unique<CDrummer>("Drummer", m_device, m_buffer);
    m_drummer = drummer.get();
    if (!AddPlayer(std::move(rhythm), flag) || !AddPlayer(std::move(bass), flag) ||
        !AddPlayer(std::move(drummer), flag)) {
        return false;
    }
    if (!Arrange(kBaseHeight / kScale)) {
        return false;
    }
    Log("Band is created");
    return true;
}

bool CBand::Arrange(float height) {
    const bool placed = Place(m_leadGuitarist, kFront, height) &&
                        Place(m_pianist, kFront, height) &&
                        Place(m_rhythmGuitarist, kRhythm, height) &&
                        Place(m_bassist, kBass, height) && Place(m_drummer, kDrums, height);
    if (!placed) {
        return Fail(__LINE__, "Can't arrange the band: %s", GetError());
    }
    // The whole band shrinks about its origin, places and all.
    if (!Scale(kScale, true)) {
        return false;
    }
    for (CPlayer* player :
         {static_cast<CPlayer*>(m_leadGuitarist), static_cast<CPlayer*>(m_pianist),
          static_cast<CPlayer*>(m_rhythmGuitarist), static_cast<CPlayer*>(m_bassist)}) {
        if (player != nullptr) {
            player->Rest(0.0);
        }
    }
    if (m_drummer != nullptr) {
        m_drummer->Rest(0.0);
    }
    return true;
}

bool CBand::StartPoses() {
    BAND_NOTE note;
    note.start = true;
    for (const int thing : {THING_BASS_DRUM_1, THING_HI_HAT_FOOT}) {
        note.thing = thing;
        PlayNote(note);
    }
    note.thing = THING_SNARE_DRUM;
    for (const int hand : {THING_LEFT_HAND, THING_RIGHT_HAND}) {
        note.hand = hand;
        PlayNote(note);
    }
    note.hand = 0;
    const struct {
        int thing;
        int midi;
    } chords[] = {{THING_LEAD_GUITAR, 56}, {THING_BASS_GUITAR, 34}, {THING_RHYTHM_GUITAR, 56}};
    for (const auto& chord : chords) {
        note.thing = chord.thing;
        note.midiNote = chord.midi;
        PlayNote(note);
    }
    return true;
}

CPlayer* CBand::GetPlayer(int thing) const {
    if (CNote::IsDrumThing(thing)) {
        return m_drummer;
    }
    switch (thing) {
        case THING_BASS_GUITAR:
            return m_bassist;
        case THING_RHYTHM_GUITAR:
            return m_rhythmGuitarist;
        case THING_LEAD_GUITAR:
            return m_leadGuitarist != nullptr ? static_cast<CPlayer*>(m_leadGuitarist) : m_pianist;
        case THING_KEYBOARD:
            return m_pianist != nullptr ? static_cast<CPlayer*>(m_pianist) : m_leadGuitarist;
        default:
            return nullptr;
    }
}

bool CBand::PlayNote(const BAND_NOTE& note) {
    const bool known = CNote::IsDrumThing(note.thing) || note.thing == THING_BASS_GUITAR ||
                       note.thing == THING_RHYTHM_GUITAR || note.thing == THING_LEAD_GUITAR ||
                       note.thing == THING_KEYBOARD;
    if (!known) {
        return false;
    }
    CPlayer* player = nullptr;
    switch (note.thing) {
        case THING_LEAD_GUITAR:
            player = m_leadGuitarist;
            break;
        case THING_KEYBOARD:
            player = m_pianist;
            break;
        default:
            player = GetPlayer(note.thing);
            break;
    }
    if (player != nullptr) {
        player->PlayNote(note, m_now);
        if (m_scene != nullptr) {
            m_scene->SetDirty();
        }
    }
    return true;
}

bool CBand::Rest() {
    for (int i = 0; i < GetChildCount(); ++i) {
        static_cast<CPlayer*>(GetChild(i))->Rest(m_now);
    }
    return true;
}

int CBand::GetPlayerCount() const {
    return GetChildCount();
}

bool CBand::GetCameraTarget(int thing, int position, glm::vec3& eye, glm::vec3& lookAt, float& yaw,
                            float& pitch, float& distance) const {
    if (thing == THING_BAND) {
        eye = kBandEye;
        lookAt = kBandLookAt;
        yaw = kBandYaw;
        pitch = kBandPitch;
        distance = kBandDistance;
        return true;
    }
    const CPlayer* player = thing == THING_DRUM_SET ? m_drummer : GetPlayer(thing);
    if (player == nullptr) {
        return false;
    }
    player->GetCameraPlace(eye, lookAt);
    const int clamped = position < 0                   ? 0
                        : position >= kCameraPositions ? kCameraPositions - 1
                                                       : position;
    yaw = kFacing + (clamped - kCameraPositions / 2) * kCameraStep;
    pitch = CCamera::kMeasurePitch;
    distance = 0.0f;
    return true;
}

bool CBand::LookAt(int thing, int position) {
    glm::vec3 eye, lookAt;
    float yaw = 0.0f, pitch = 0.0f, distance = 0.0f;
    if (m_scene == nullptr ||
        !GetCameraTarget(thing, position, eye, lookAt, yaw, pitch, distance)) {
        return false;
    }
    return m_scene->SetCamera(eye, lookAt, kUp, yaw, pitch, distance);
}

bool CBand::Animate(double now, double previous) {
    CAbstractShapes::Animate(now, previous);
    m_now = now;
    bool moved = false;
    for (int i = 0; i < GetChildCount(); ++i) {
        moved = static_cast<CPlayer*>(GetChild(i))->Pose(now) || moved;
    }
    if (moved && m_scene != nullptr) {
        m_scene->SetDirty();
    }
    return true;
}

bool CBand::OnButtonDown(MouseButton button, int x, int y, int flags) {
    constexpr int kModifiers = kFlagShift | kFlagControl | kFlagAlt;
    if (button != MouseButton::kRight || (flags & kModifiers) != 0 || !m_menuRequest) {
        return false;
    }
    m_menuRequest(x, y);
    return true;
}

bool CBand::OnDoubleClick(MouseButton button, int, int, int) {
    return button == MouseButton::kLeft && LookAt(THING_BAND);
}

bool CBand::GetStatusText(CCharString& text) const {
    (void)text;
    return false;
}

CBand* CBand::Make(CSpacePainter& scene, CVertexBuffer& list, CNoteManager* notes, CLogFile* log,
                   const char* figureModel) {
    auto band = std::make_unique<CBand>(scene.GetDirect3D(), &list, notes, log);
    band->SetFigureModel(figureModel);
    band->SetScene(&scene);
    if (!band->Build(kBuildFlag, kLeadLineup)) {
        scene.SetErrorText(band->GetError());
        return nullptr;
    }
    scene.SetLightAngles(kLightAzimuth, kLightElevation);
    CBand* added = static_cast<CBand*>(scene.AddToList(std::move(band)));
    if (added != nullptr) {
        added->LookAt(THING_BAND);
    }
    return added;
}
