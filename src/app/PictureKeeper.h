#pragma once

#include <memory>

#include "foundation/CharString.h"

class CHeldKeys;
class CNoteManager;
class CPianoNotes;
class CPracticeKeeper;
class CSpacePainter;
class IWindow;
class Teacher;
enum class VIEW_COMMAND;

// The 3D picture of the application: starts the scene on the main window's
// view with the kind's picture (the note-reading picture shows the running
// lesson), runs the view commands, colours the keys by accuracy on request
// and asks for frames.
// What the groove kind's picture says until its band exists.
constexpr const char* kBandLaterText = "The band joins in a later version";

class CPictureKeeper {
public:
    static constexpr const char* kSource = "Picture";

    // The parts of the exercise the picture shows; they must outlive it.
    struct EXERCISE {
        CNoteManager* notes = nullptr;
        Teacher* teacher = nullptr;
        CHeldKeys* heldKeys = nullptr;
        CPracticeKeeper* practice = nullptr;  // may be null
    };

    explicit CPictureKeeper(const EXERCISE& exercise);
    ~CPictureKeeper();
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
    bool m_keyAccuracy = false;
    CCharString m_error;
};
