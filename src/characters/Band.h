#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <glm/glm.hpp>

#include "characters/Player.h"
#include "scene/AbstractShapes.h"

class CDrummer;
class CGuitarist;
class CLogFile;
class CMeshModel;
class CNoteManager;
class CPianist;
class CSpacePainter;
class CVertexBuffer;

// The band picture: up to five players (a lead guitarist or a pianist, a
// rhythm guitarist, a bassist and a drummer) that play the notes routed
// to them by instrument, and the camera places that look at the whole
// band or at one player.
class CBand : public CAbstractShapes {
public:
    static constexpr const char* kSource = "Band";
    static constexpr int kLeadLineup = 63;
    static constexpr int kPianoLineup = 64;
    static constexpr float kScale = 0.01f;
    // The floor the band stands on, in scene units.
    static constexpr float kBaseHeight = -1.45f;
    static constexpr int kCameraPositions = 13;
    static constexpr float kLightAzimuth = 90.0f;
    static constexpr float kLightElevation = -40.0f;

    // notes gives the guitarists their fingering (may be null); log gets
    // the build's lines (null: the debug output).
    CBand(CDirect3D* device, CVertexBuffer* buffer, CNoteManager* notes, CLogFile* log);
    ~CBand() override;

    // The model of the players' skinned figures; none (the default) gives
    // figures of primitives. Set before Build.
    void SetFigureModel(const char* path) { m_figureModel = path != nullptr ? path : ""; }
    // Builds the players of lineup 63 (lead guitarist) or 64 (pianist);
    // any other lineup fails and builds none.
    bool Build(uint8_t flag, int lineup);
    // Turns and places the players and scales the band; height is the
    // floor in the players' units.
    bool Arrange(float height);
    // One note each, so that every figure holds its instrument.
    bool StartPoses();
    // Routes a note to the player of its instrument: drum pieces (1 to
    // 33) to the drummer, 36 the bassist, 38 the rhythm guitarist, 39 the
    // lead guitarist, 65 the pianist. False for a note of another
    // instrument; a note for a player the lineup lacks does nothing.
    bool PlayNote(const BAND_NOTE& note);
    // Hands back to their resting places.
    bool Rest();
    // Where the camera goes for a target: 62 the whole band, 39 or 65 the
    // front player, 38, 36 and 1 the others. position (0 to 12) walks the
    // camera round the player, 6 straight from the player's camera place.
    bool GetCameraTarget(int thing, int position, glm::vec3& eye, glm::vec3& lookAt, float& yaw,
                         float& pitch, float& distance) const;
    // Sends the scene's camera to a target; false for an unknown one.
    bool LookAt(int thing, int position = kCameraPositions / 2);
    // The player of an instrument (39 and 65 both the front player).
    CPlayer* GetPlayer(int thing) const;

    bool Animate(double now, double previous) override;
    // Asked for the band's camera menu at a point of the view.
    using MenuRequest = std::function<void(int x, int y)>;
    void SetMenuRequest(MenuRequest request) { m_menuRequest = std::move(request); }
    // A right click without modifier keys asks for the camera menu.
    bool OnButtonDown(MouseButton button, int x, int y, int flags) override;
    // A left double-click brings the camera back to the whole band.
    bool OnDoubleClick(MouseButton button, int x, int y, int flags) override;
    bool GetStatusText(CCharString& text) const override;

    CPianist* GetPianist() const { return m_pianist; }
    CGuitarist* GetLeadGuitarist() const { return m_leadGuitarist; }
    CGuitarist* GetRhythmGuitarist() const { return m_rhythmGuitarist; }
    CGuitarist* GetBassist() const { return m_bassist; }
    CDrummer* GetDrummer() const { return m_drummer; }
    int GetLineup() const { return m_lineup; }
    int GetPlayerCount() const;

    // Builds kind 17 or 21 into the scene's first list: the band of
    // lineup 63 with flag 1, its light and camera; null with the scene's
    // error when it can't.
    static CBand* Make(CSpacePainter& scene, CVertexBuffer& list, CNoteManager* notes,
                       CLogFile* log, const char* figureModel = nullptr);

private:
    void Log(const char* text) const;
    bool AddPlayer(std::unique_ptr<CPlayer> player, uint8_t flag);

    CNoteManager* m_notes;
    CCharString m_figureModel;
    std::unique_ptr<CMeshModel> m_figure;  // read from m_figureModel, copied by each player
    CLogFile* m_log;
    CPianist* m_pianist = nullptr;
    CGuitarist* m_leadGuitarist = nullptr;
    CGuitarist* m_rhythmGuitarist = nullptr;
    CGuitarist* m_bassist = nullptr;
    CDrummer* m_drummer = nullptr;
    uint8_t m_flag = 0;
    int m_lineup = kLeadLineup;
    double m_now = 0.0;
    MenuRequest m_menuRequest;
};
