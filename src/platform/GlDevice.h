#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Keys the scene reacts to, as codes independent of the backend: letters
// and digits are their upper-case characters, the rest are listed here.
enum SceneKey : int {
    kKeyEnter = 13,
    kKeyEscape = 27,
    kKeyF1 = 112,
    kKeyF2 = 113,
    kKeyPlus = 0xBB,
    kKeyMinus = 0xBD,
};

// Modifier and button flags of mouse and key events.
enum InputFlag : int {
    kFlagShift = 0x01,
    kFlagControl = 0x02,
    kFlagAlt = 0x04,
    kFlagLeftButton = 0x10,
    kFlagRightButton = 0x20,
    kFlagMiddleButton = 0x40,
};

enum class MouseAction { kMove, kWheel, kDown, kUp, kDoubleClick };
enum class MouseButton { kNone, kLeft, kRight, kMiddle };

struct MOUSE_EVENT {
    MouseAction action = MouseAction::kMove;
    MouseButton button = MouseButton::kNone;
    int x = 0;
    int y = 0;
    int wheelDelta = 0;  // in units of 120 per notch
    int flags = 0;       // InputFlag bits
};

// A key pressed or released in a view.
struct KEY_EVENT {
    bool down = true;
    bool repeat = false;  // sent again while the key is held
    int key = 0;          // SceneKey code, upper-case letter or digit; 0 for others
    char character = 0;   // the Latin-1 character the key types, 0 for none
    int flags = 0;        // InputFlag bits of the modifiers
};

// One glyph of a font atlas; positions in atlas pixels.
struct GLYPH_INFO {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
};

// The printable Latin-1 characters of one font face, rendered once into an
// 8-bit coverage image.
struct GLYPH_ATLAS {
    static constexpr int kFirst = 32;
    static constexpr int kLast = 255;
    int width = 0;
    int height = 0;
    int lineHeight = 0;
    int ascent = 0;
    std::vector<uint8_t> coverage;  // width * height, top row first
    GLYPH_INFO glyphs[kLast - kFirst + 1];
};

class IImagePainter;

using GlProc = void (*)();

// What the owner of a GL view hears. Every call arrives on the user-interface
// thread; the GL calls (created, lost, draw, resize) run with the context
// current.
class IGlViewHandler {
public:
    virtual ~IGlViewHandler() = default;
    // A context exists, for the first time or again after a loss: every GL
    // object made before is gone and must be made anew.
    virtual void OnGlCreated() = 0;
    // The context is about to go away; its objects may still be deleted.
    virtual void OnGlLost() = 0;
    virtual void OnGlResize(int width, int height) = 0;
    virtual void OnGlDraw() = 0;
    virtual bool OnGlMouse(const MOUSE_EVENT& event) = 0;
    virtual bool OnGlKey(const KEY_EVENT& event) = 0;
    virtual void OnGlFocusLost() = 0;
    virtual void OnGlShown(bool shown) = 0;
};

// A surface with an OpenGL 3.3 core context: a view in a window, or an
// off-screen picture for tests and benchmarks.
class IGlDevice {
public:
    virtual ~IGlDevice() = default;

    virtual void SetHandler(IGlViewHandler* handler) = 0;
    // True while a context exists.
    virtual bool IsReady() const = 0;
    virtual GlProc GetProcAddress(const char* name) = 0;
    virtual void MakeCurrent() = 0;
    virtual void DoneCurrent() = 0;
    // The framebuffer object that frames are drawn into.
    virtual uint32_t GetFramebuffer() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // Samples per pixel that the driver gave for the requested four.
    virtual int GetSamples() const = 0;
    // Asks for a frame: the handler's OnGlDraw runs, at once for an
    // off-screen device, at the next paint for a view.
    virtual void RequestFrame() = 0;
    // The last frame as RGBA bytes, top row first.
    virtual bool ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) = 0;
    virtual bool SetFullScreen(bool on) = 0;
    virtual bool MakeGlyphAtlas(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                                std::string& error) = 0;
    // A painter for texture pictures; null when the backend has none.
    virtual std::unique_ptr<IImagePainter> CreateImagePainter() = 0;
};
