#pragma once

#include <functional>
#include <memory>

#include "editors/ModalDlg.h"
#include "foundation/CharString.h"
#include "platform/WindowSystem.h"
#include "ui/ListBox.h"

class CChord;
class CSongPart;
class ISongEditorHost;
struct PART_CHORD;
struct PART_SETTINGS;

// The Song Editor's song parts and their chords: the "Parts" and "Chords"
// lists and the commands of the song part and chord menus, working on the
// host's song. Questions go to small dialogs that the editor keeps.
class CSongPartsEditor {
public:
    static constexpr const char* kSelectGroove =
        "Please select a groove to be\nused with the new song part.";
    static constexpr const char* kSelectGrooveTitle = "Select Part's Groove";
    static constexpr const char* kDuplicateName = "Part with this name already exists.";
    static constexpr const char* kDeleteQuestion =
        "This part will be permanently deleted.\nDo you want to delete it?";
    static constexpr const char* kDeleteTitle = "Delete song part";
    static constexpr const char* kNoPart = "No song part is selected";
    static constexpr const char* kNoGroove = "Please select a groove.";
    static constexpr const char* kSetGrooveTitle = "Set Part's Groove";
    static constexpr const char* kSelectPart = "Select song part first";
    static constexpr const char* kAddingChord = "Adding chord";
    static constexpr const char* kSelectChord = "Select the chord to delete";
    static constexpr const char* kDeletingChord = "Deleting chord";

    // The groove selected in the editor; false when none is.
    using GrooveGetter = std::function<bool(CCharString& style, CCharString& name)>;
    // Keeps a question's dialog until the editor no longer needs it.
    using DialogKeeper = std::function<void(std::unique_ptr<CModalDlg> dialog)>;

    CSongPartsEditor(IWindowSystem& windowSystem, IEventLoop& eventLoop, ISongEditorHost& host);

    void Attach(IControlDialog* dialog, IWindow* owner, GrooveGetter groove, DialogKeeper keeper);
    // Runs a part or chord command; false when id is none of them.
    bool RunCommand(int id);
    // Fills the lists from the song, keeping the selections where they can.
    void FillParts();
    void FillChords();
    // The part selected in the list, or null.
    CSongPart* GetSelectedPart();
    int GetSelectedChord() const { return m_chords.GetSelection(); }
    // The list told that the user chose another part.
    void PartChosen() { FillChords(); }

private:
    BoxResult Box(const char* text, const char* caption, BoxButtons buttons = BoxButtons::kOk);
    void NewPart();
    void CopyPart();
    void PartInfo();
    void MovePart(int step);
    void DeletePart();
    void SetGrooveToPart();
    bool AddPart(const PART_SETTINGS& settings, const CSongPart* from);
    bool LoadGroove(CSongPart& part, const char* style, const char* name);
    void AskChord(bool change, int at);
    bool MakeChord(const CSongPart& part, const PART_CHORD& given, CChord& chord);
    void MoveChord(int step);
    void DeleteChord();
    void SelectPart(int index);

    IWindowSystem& m_windowSystem;
    IEventLoop& m_eventLoop;
    ISongEditorHost& m_host;
    IWindow* m_owner = nullptr;
    CListBox m_parts;
    CListBox m_chords;
    GrooveGetter m_groove;
    DialogKeeper m_keeper;
};
