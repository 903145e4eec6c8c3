#include "platform/qt/QtControlWidget.h"

#include "platform/qt/QtImageButton.h"
#include "platform/qt/QtPictureLabel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "platform/WindowHandler.h"

namespace {

// The property that tells a picture item from a text label.
constexpr const char* kPictureProperty = "notaraPicture";

}  // namespace

CQtControlWidget::CQtControlWidget(const DIALOG_TEMPLATE& dialog, QWidget* parent,
                                   IWindowHandler* handler, IControlDialogHandler* controlHandler)
    : QDialog(parent, Qt::Dialog), m_handler(handler), m_controlHandler(controlHandler) {
    setWindowTitle(QString::fromUtf8(dialog.title.c_str()));
    resize(dialog.width, dialog.height);
    for (const CONTROL_ITEM& item : dialog.items) {
        QWidget* widget = MakeItem(item);
        widget->setGeometry(item.rect.left, item.rect.top, item.rect.width, item.rect.height);
        if (!item.toolTip.empty()) {
            widget->setToolTip(QString::fromUtf8(item.toolTip.c_str()));
        }
        if (item.id != 0) {
            // Named by its id, so that tools and tests can find it.
            widget->setObjectName(QString("item%1").arg(item.id));
            m_items.emplace(item.id, widget);  // the first item of an id keeps it
        }
    }
}

void CQtControlWidget::Detach() {
    m_handler = nullptr;
    m_controlHandler = nullptr;
}

void CQtControlWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_handler != nullptr) {
        m_handler->OnCloseRequest();
    }
}

void CQtControlWidget::reject() {
    if (m_handler != nullptr) {
        m_handler->OnCloseRequest();
    }
}

QWidget* CQtControlWidget::MakeItem(const CONTROL_ITEM& item) {
    const QString text = QString::fromUtf8(item.text.c_str());
    switch (item.kind) {
        case ControlKind::kGroup:
            return new QGroupBox(text, this);
        case ControlKind::kButton:
            return MakeButton(item);
        case ControlKind::kCheckBox:
            return MakeCheckBox(item);
        case ControlKind::kComboBox:
            return MakeComboBox(item);
        case ControlKind::kTrackBar:
            return MakeTrackBar(item);
        case ControlKind::kProgressBar:
            return MakeProgressBar();
        case ControlKind::kPicture:
            return MakePicture();
        case ControlKind::kRadioButton:
            return MakeRadioButton(item);
        case ControlKind::kEditBox:
            return MakeEditBox(item);
        case ControlKind::kListBox:
            return MakeListBox(item);
        case ControlKind::kImageButton:
            return MakeImageButton(item);
        default: {
            // A label's text goes on over more lines rather than be cut.
            auto* label = new QLabel(text, this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
    }
}

QWidget* CQtControlWidget::MakeButton(const CONTROL_ITEM& item) {
    auto* button = new QPushButton(QString::fromUtf8(item.text.c_str()), this);
    // Enter presses OK unless another button has the focus.
    button->setDefault(item.id == IControlDialog::kIdOk);
    const int id = item.id;
    connect(button, &QPushButton::clicked, this,
            [this, id] { Report(id, ControlEvent::kClicked); });
    return button;
}

QWidget* CQtControlWidget::MakeCheckBox(const CONTROL_ITEM& item) {
    auto* box = new QCheckBox(QString::fromUtf8(item.text.c_str()), this);
    // clicked comes from the user only, unlike toggled.
    const int id = item.id;
    connect(box, &QCheckBox::clicked, this, [this, id] { Report(id, ControlEvent::kClicked); });
    return box;
}

QWidget* CQtControlWidget::MakeComboBox(const CONTROL_ITEM& item) {
    auto* list = new QComboBox(this);
    const int id = item.id;
    connect(list, QOverload<int>::of(&QComboBox::activated), this,
            [this, id] { Report(id, ControlEvent::kSelectionChanged); });
    return list;
}

QWidget* CQtControlWidget::MakeTrackBar(const CONTROL_ITEM& item) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setTickPosition(QSlider::TicksBelow);
    // A drag, a click in the groove, a key or the wheel all end in a new
    // value; the owner's Set calls block the signal.
    const int id = item.id;
    connect(slider, &QSlider::valueChanged, this, [this, id] { Report(id, ControlEvent::kMoved); });
    return slider;
}

QWidget* CQtControlWidget::MakeProgressBar() {
    auto* meter = new QProgressBar(this);
    meter->setTextVisible(false);
    return meter;
}

QWidget* CQtControlWidget::MakePicture() {
    auto* picture = new CQtPictureLabel(this);
    picture->setProperty(kPictureProperty, true);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

QWidget* CQtControlWidget::MakeRadioButton(const CONTROL_ITEM& item) {
    auto* radio = new QRadioButton(QString::fromUtf8(item.text.c_str()), this);
    QButtonGroup*& group = m_radioGroups[item.group];
    if (group == nullptr) {
        group = new QButtonGroup(this);  // exclusive: one choice of the group
    }
    group->addButton(radio);
    const int id = item.id;
    connect(radio, &QRadioButton::clicked, this,
            [this, id] { Report(id, ControlEvent::kClicked); });
    return radio;
}

QWidget* CQtControlWidget::MakeEditBox(const CONTROL_ITEM& item) {
    auto* edit = new QLineEdit(QString::fromUtf8(item.text.c_str()), this);
    // textEdited comes from the user only, unlike textChanged.
    const int id = item.id;
    connect(edit, &QLineEdit::textEdited, this, [this, id] { Report(id, ControlEvent::kEdited); });
    return edit;
}

QWidget* CQtControlWidget::MakeListBox(const CONTROL_ITEM& item) {
    auto* list = new QListWidget(this);
    // The owner's Set calls block the signal.
    const int id = item.id;
    connect(list, &QListWidget::currentRowChanged, this,
            [this, id] { Report(id, ControlEvent::kSelectionChanged); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QListWidget::customContextMenuRequested, this,
            [this, id] { Report(id, ControlEvent::kContextMenu); });
    return list;
}

QWidget* CQtControlWidget::MakeImageButton(const CONTROL_ITEM& item) {
    const int id = item.id;
    auto* button = new CQtImageButton(
        this, [this, id](ControlEvent event) { Report(id, event); },
        [this, id](const POINTER_EVENT& event) {
            if (m_controlHandler != nullptr && id != 0) {
                m_controlHandler->OnPointer(id, event);
            }
        });
    button->setProperty(kPictureProperty, true);
    button->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return button;
}

bool CQtControlWidget::IsPicture(const QWidget* item) {
    return item != nullptr && item->property(kPictureProperty).toBool();
}

QLabel* CQtControlWidget::FindPicture(int id) const {
    QLabel* label = Find<QLabel>(id);
    return IsPicture(label) ? label : nullptr;
}

void CQtControlWidget::Report(int id, ControlEvent event) {
    if (m_controlHandler != nullptr && id != 0) {
        m_controlHandler->OnControl(id, event);
    }
}
