#pragma once

#include <QOpenGLWidget>

#include "platform/GlDevice.h"

// A GL view inside a window. Qt destroys the view's context when the view
// moves to another top-level window or screen; the handler hears OnGlLost
// before and OnGlCreated after, and rebuilds what it had made.
class CQtGlView : public QOpenGLWidget, public IGlDevice {
    Q_OBJECT

public:
    explicit CQtGlView(QWidget* parent);
    ~CQtGlView() override;

    void SetHandler(IGlViewHandler* handler) override { m_handler = handler; }
    bool IsReady() const override { return m_ready; }
    GlProc GetProcAddress(const char* name) override;
    void MakeCurrent() override { makeCurrent(); }
    void DoneCurrent() override { doneCurrent(); }
    uint32_t GetFramebuffer() const override { return defaultFramebufferObject(); }
    int GetWidth() const override;
    int GetHeight() const override;
    int GetSamples() const override;
    void RequestFrame() override { update(); }
    bool ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) override;
    bool SetFullScreen(bool on) override;
    bool MakeGlyphAtlas(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                        std::string& error) override;
    std::unique_ptr<IImagePainter> CreateImagePainter() override;

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Keys typed in the application's other windows (the lessons, say) are
    // offered to the view's handler first, so that notes reach the exercise
    // whichever window has the focus; what it does not take goes on as
    // usual, and scrolling keys and modal dialogs keep theirs.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnContextGone();
    void SendMouse(MouseAction action, QMouseEvent* event);
    bool SendKey(QKeyEvent* event, bool down);

    IGlViewHandler* m_handler = nullptr;
    bool m_ready = false;
};
