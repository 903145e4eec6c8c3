#pragma once

#include <QDialog>
#include <map>

#include "platform/ControlDialog.h"

class IWindowHandler;
class QButtonGroup;
class QLabel;

// The widget of a control dialog: one child widget per item of a template,
// each at its own place. A title-bar close and Esc become close requests
// for the owner; what the user does with the items goes to the handler.
class CQtControlWidget : public QDialog {
    Q_OBJECT

public:
    CQtControlWidget(const DIALOG_TEMPLATE& dialog, QWidget* parent, IWindowHandler* handler,
                     IControlDialogHandler* controlHandler);
    // Stops events from reaching the owner; used while the dialog goes away.
    void Detach();

    // The item with id when it is a T, else null.
    template <class T>
    T* Find(int id) const {
        const auto found = m_items.find(id);
        return found != m_items.end() ? qobject_cast<T*>(found->second) : nullptr;
    }
    // The picture item with id, else null; a picture is a label that keeps
    // its pixels and takes no text.
    QLabel* FindPicture(int id) const;
    static bool IsPicture(const QWidget* item);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc: a close request as well

private:
    QWidget* MakeItem(const CONTROL_ITEM& item);
    QWidget* MakeButton(const CONTROL_ITEM& item);
    QWidget* MakeCheckBox(const CONTROL_ITEM& item);
    QWidget* MakeComboBox(const CONTROL_ITEM& item);
    QWidget* MakeTrackBar(const CONTROL_ITEM& item);
    QWidget* MakeProgressBar();
    QWidget* MakePicture();
    QWidget* MakeRadioButton(const CONTROL_ITEM& item);
    QWidget* MakeEditBox(const CONTROL_ITEM& item);
    QWidget* MakeListBox(const CONTROL_ITEM& item);
    QWidget* MakeImageButton(const CONTROL_ITEM& item);
    void Report(int id, ControlEvent event);

    IWindowHandler* m_handler;
    IControlDialogHandler* m_controlHandler;
    std::map<int, QWidget*> m_items;             // children of this widget, by id
    std::map<int, QButtonGroup*> m_radioGroups;  // children of this widget, by group
};
