#pragma once

#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

class CQtEventLoop;
class QMessageBox;

// Windows and message boxes on Qt Widgets.
class CQtWindowSystem : public IWindowSystem {
public:
    explicit CQtWindowSystem(CQtEventLoop& loop);

    std::unique_ptr<IWindow> CreateTopLevelWindow(IWindowHandler* handler,
                                                  std::string& error) override;
    std::unique_ptr<IDocumentDialog> CreateDocumentDialog(IWindowHandler* handler,
                                                          IDocumentDialogHandler* documentHandler,
                                                          IWindow* owner,
                                                          std::string& error) override;
    std::unique_ptr<IControlDialog> CreateControlDialog(const DIALOG_TEMPLATE& dialog,
                                                        IWindowHandler* handler,
                                                        IControlDialogHandler* controlHandler,
                                                        IWindow* owner,
                                                        std::string& error) override;
    BoxResult MessageBox(IWindow* owner, const char* text, const char* caption, BoxIcon icon,
                         BoxButtons buttons) override;
    bool ChooseFileToOpen(IWindow* owner, const char* title, const char* folder, const char* filter,
                          std::string& path) override;
    bool ChooseFileToSave(IWindow* owner, const char* title, const char* suggested,
                          const char* filter, std::string& path) override;
    // A QMenu run at the owner's client point; the chosen command or 0.
    int PopupMenu(IWindow* owner, const std::vector<MENU_ITEM>& menu, int x, int y) override;
    // The texture painter of the 3D views: QPainter on a QImage, no GL.
    std::unique_ptr<IImagePainter> CreateImagePainter() override;
    WINDOW_RECT GetWorkArea() override;
    std::vector<WINDOW_RECT> GetScreenAreas() override;

    // Boxes close by themselves after ms (< 0: they wait for the user).
    void EndMessageBoxes() override;
    void SetMessageBoxTimeout(int ms) { m_boxTimeoutMs = ms; }

private:
    CQtEventLoop& m_loop;
    int m_boxTimeoutMs = -1;
    // The boxes open now, innermost last, with the answer that changes nothing.
    std::vector<std::pair<QMessageBox*, int>> m_openBoxes;
    bool m_ending = false;  // boxes are answered at once from then on
};
