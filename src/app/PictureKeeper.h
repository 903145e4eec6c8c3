#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foundation/CharString.h"
#include "theory/NoteSubscriber.h"

class CBand;
class CHeldKeys;
class CLogFile;
class CNoteManager;
class CPianoNotes;
class CPracticeKeeper;
class CSpacePainter;
class IWindow;
class Teacher;
enum class VIEW_COMMAND;

// The 3D picture of the application: starts the scene on the main window's
// view with the kind's picture (the note-reading picture shows the running
// lesson, the band plays the notes on the road), runs the view commands,
// points the camera at the band's players, colours the keys by accuracy on
// request and asks for frames.
class CPictureKeeper : public INoteSubscriber {
public:
    static constexpr const char* kSource = "Picture";

    // The parts of the exercise the picture shows; they must outlive it.
    struct EXERCISE {
        CNoteManager* notes = nullptr;
        Teacher* teacher = nullptr;
        CHeldKeys* heldKeys = nullptr;
        CPracticeKeeper* practice = nullptr;  // may be null
        CLogFile* log = nullptr;              // may be null
    };

    explicit CPictureKeeper(const EXERCISE& exercise);
    ~CPictureKeeper() override;
    CPictureKeeper(const CPictureKeeper&) = delete;
    CPictureKeeper& operator=(const CPictureKeeper&) = delete;

    // Starts the scene on main's GL view with a picture of pictureKind;
    // false with the reason in GetError when there is no view or no GL.
    bool Start(IWindow& main, int pictureKind);
    CSpacePainter& GetPainter() { return *m_painter; }
    bool IsFullScreen() const;

    // Runs a view command of the keys (not kShowLessons, which is no picture's).
    void RunViewCommand(VIEW_COMMAND command);
    bool ResetView();
    // The keys coloured by how well their notes are read, or plain again.
    void ToggleKeyAccuracy();
    bool IsShowingKeyAccuracy() const { return m_keyAccuracy; }
    // What a right click on the band asks for: its camera menu at a point
    // of the view.
    void SetBandMenu(std::function<void(int x, int y)> menu) { m_bandMenu = std::move(menu); }
    // The model file of the band's skinned figures; the figures of
    // primitives play when it can't be used.
    void SetFigureModel(const char* path) { m_figureModel = path != nullptr ? path : ""; }
    // The band's figures: skinned from the model, or of primitives (the
    // default: they draw in half the time on a software renderer). The
    // band is built anew with them.
    bool SetSkinnedFigures(bool on);
    bool HasSkinnedFigures() const { return m_skinnedFigures; }
    // Shows a model file alone (skinned: in the pose of its bones); a file
    // that can't be read is told in the error and the picture stays.
    bool ShowMesh(const char* path, bool skinned);
    // Builds the band picture anew (after a mesh was shown, say).
    bool ShowBand();
    // The band while it is the picture, else null.
    CBand* GetBand() const;
    // Points the camera at the band or one of its players (62 the band,
    // 39 and 65 the front player, 38, 36 and 1 the others; any drum piece
    // the drummer); false when there is no band or no such player.
    bool LookAt(int thing);
    // LookAt by the instrument's name ("Band", "Drum set", "Crash cymbal");
    // false with the reason when the name is none the band knows.
    bool LookAt(const char* name);
    // The bass player's camera walks round it: positions 0 to 12, one step
    // further at each call.
    bool LookAtBassistNext();
    // A played note reaches the band's player of its instrument.
    bool OnNote(ROUTED_NOTE& note) override;
    // Marks the picture changed and asks for a frame.
    void RequestFrame();
    // Asks for a frame only when something changed.
    void RequestFrameIfDirty();
    const char* GetError() const { return m_error; }

private:
    void ApplyKeyAccuracy();

    EXERCISE m_exercise;
    std::unique_ptr<CSpacePainter> m_painter;
    CPianoNotes* m_pianoNotes = nullptr;  // the picture, while it is the painter's
    CBand* m_band = nullptr;              // the same for the band
    int m_bassCamera = 0;
    std::function<void(int x, int y)> m_bandMenu;
    std::string m_meshPath;  // the file the mesh pictures show
    std::string m_figureModel;
    bool m_skinnedFigures = false;
    bool m_keyAccuracy = false;
    CCharString m_error;
};
