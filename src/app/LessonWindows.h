#pragma once

#include <functional>

#include "app/LessonHost.h"

class CWindowRegistry;
class IEventLoop;
class IWindow;
class IWindowSystem;

// The lesson controller's host in the application: the status line and
// focus of the main window, boxes, the lesson list of the Text dialog and
// the lesson report dialog, which it makes when first needed.
class CLessonWindows : public ILessonHost {
public:
    // true for "next lesson", false for "again".
    using ChoiceReceiver = std::function<void(bool next)>;
    using HintsShower = std::function<void(const HINTS&)>;

    // Everything given must outlive the host; main may be null (no boxes
    // owner, no status line).
    CLessonWindows(IWindowSystem& windowSystem, IEventLoop& eventLoop, CWindowRegistry& windows,
                   IWindow* main);

    void SetChoiceReceiver(ChoiceReceiver receiver) { m_choice = std::move(receiver); }
    void SetHintsShower(HintsShower shower) { m_hints = std::move(shower); }
    void SetFrameRequest(std::function<void()> request) { m_frame = std::move(request); }

    void SetStatus(const char* text) override;
    void FocusPicture() override;
    void TellError(const char* text) override;
    void ShowHints(const HINTS& hints) override;
    void RequestFrame() override;
    const char* GetShownLessonTitle() const override;
    bool HasNextLesson() const override;
    bool StartNextLesson() override;
    void ShowReport(const char* report, bool hasNext) override;

private:
    static constexpr const char* kSource = "LessonWindows";

    IWindowSystem& m_windowSystem;
    IEventLoop& m_eventLoop;
    CWindowRegistry& m_windows;
    IWindow* m_main;
    ChoiceReceiver m_choice;
    HintsShower m_hints;
    std::function<void()> m_frame;
};
