#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtFrameFitter.h"
#include "platform/qt/QtPictureLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <numeric>

#include "platform/qt/QtEventLoop.h"

namespace {

constexpr int kByteBits = 8;
constexpr uint32_t kByteMask = 0xFF;

// The colour of a platform colour value 0x00BBGGRR.
QColor FromColorRef(uint32_t color) {
    return QColor(static_cast<int>(color & kByteMask),
                  static_cast<int>((color >> kByteBits) & kByteMask),
                  static_cast<int>((color >> (2 * kByteBits)) & kByteMask));
}

}  // namespace

CQtControlDialog::CQtControlDialog(CQtEventLoop& loop, const DIALOG_TEMPLATE& dialog,
                                   IWindowHandler* handler, IControlDialogHandler* controlHandler,
                                   QWidget* owner)
    : m_loop(loop),
      m_id(loop.AddWindow(handler)),
      m_widget(new CQtControlWidget(dialog, owner, handler, controlHandler)) {}

CQtControlDialog::~CQtControlDialog() {
    m_loop.RemoveWindow(m_id);
    if (m_widget) {
        m_widget->Detach();
        m_widget->hide();
        m_widget->deleteLater();  // we may be inside one of its events
    }
}

void CQtControlDialog::SetTitle(const char* title) {
    if (m_widget) {
        m_widget->setWindowTitle(QString::fromUtf8(title != nullptr ? title : ""));
    }
}

void CQtControlDialog::SetRect(const WINDOW_RECT& rect) {
    if (m_widget) {
        CQtFrameFitter::Place(m_widget, QRect(rect.left, rect.top, rect.width, rect.height));
    }
}

WINDOW_RECT CQtControlDialog::GetRect() const {
    if (!m_widget) {
        return WINDOW_RECT{};
    }
    // move() places the frame and resize() sizes the client area: read the
    // same two back, so that a restored window does not creep by its frame.
    const QPoint at = m_widget->pos();
    const QSize size = m_widget->size();
    return WINDOW_RECT{at.x(), at.y(), size.width(), size.height()};
}

void CQtControlDialog::SetMinimumSize(int width, int height) {
    if (m_widget) {
        m_widget->setMinimumSize(width, height);
    }
}

void CQtControlDialog::Show(bool show) {
    if (m_widget) {
        m_widget->setVisible(show);  // never exec(): the caller's loop runs on
    }
}

bool CQtControlDialog::IsVisible() const {
    return m_widget && m_widget->isVisible();
}

void CQtControlDialog::BringToFront() {
    if (m_widget) {
        m_widget->raise();
        m_widget->activateWindow();
    }
}

bool CQtControlDialog::SaveScreenshot(const char* path, std::string& error) {
    if (!m_widget) {
        error = "the dialog is gone";
        return false;
    }
    if (!m_widget->grab().toImage().save(QString::fromUtf8(path), "PNG")) {
        error = std::string("can't write ") + path;
        return false;
    }
    return true;
}

IGlDevice* CQtControlDialog::GetGlView(std::string& error) {
    error = "a dialog has no 3D view";
    return nullptr;
}

bool CQtControlDialog::GetItemText(int id, std::string& text) const {
    QString found;
    if (const auto* edit = Find<QLineEdit>(id)) {
        found = edit->text();
    } else if (const auto* button = Find<QAbstractButton>(id)) {
        found = button->text();
    } else if (const auto* label = Find<QLabel>(id)) {
        found = label->text();
    } else if (const auto* group = Find<QGroupBox>(id)) {
        found = group->title();
    } else {
        return false;
    }
    text = found.toStdString();
    return true;
}

bool CQtControlDialog::SetItemText(int id, const char* text) {
    const QString qtText = QString::fromUtf8(text != nullptr ? text : "");
    if (auto* edit = Find<QLineEdit>(id)) {
        const QSignalBlocker quiet(edit);
        edit->setText(qtText);
    } else if (auto* button = Find<QAbstractButton>(id)) {
        button->setText(qtText);
    } else if (auto* label = Find<QLabel>(id);
               label != nullptr && !CQtControlWidget::IsPicture(label)) {
        label->setText(qtText);
    } else if (auto* group = Find<QGroupBox>(id)) {
        group->setTitle(qtText);
    } else {
        return false;
    }
    return true;
}

bool CQtControlDialog::EnableItem(int id, bool enabled) {
    QWidget* item = Find<QWidget>(id);
    if (item == nullptr) {
        return false;
    }
    item->setEnabled(enabled);
    return true;
}

bool CQtControlDialog::SetChecked(int id, bool checked) {
    QAbstractButton* box = Find<QAbstractButton>(id);
    if (box == nullptr || !box->isCheckable()) {
        return false;
    }
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
    return true;
}

bool CQtControlDialog::GetChecked(int id, bool& checked) const {
    const QAbstractButton* box = Find<QAbstractButton>(id);
    if (box == nullptr || !box->isCheckable()) {
        return false;
    }
    checked = box->isChecked();
    return true;
}

bool CQtControlDialog::ClearList(int id) {
    if (QListWidget* box = Find<QListWidget>(id)) {
        const QSignalBlocker quiet(box);
        box->clear();
        return true;
    }
    QComboBox* list = Find<QComboBox>(id);
    if (list == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(list);
    list->clear();
    return true;
}

bool CQtControlDialog::AddListItem(int id, const char* text) {
    if (QListWidget* box = Find<QListWidget>(id)) {
        const QSignalBlocker quiet(box);
        box->addItem(QString::fromUtf8(text != nullptr ? text : ""));
        return true;
    }
    QComboBox* list = Find<QComboBox>(id);
    if (list == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(list);
    // A first item would become the selection: the selection stays as it was.
    const int selected = list->currentIndex();
    list->addItem(QString::fromUtf8(text != nullptr ? text : ""));
    list->setCurrentIndex(selected);
    return true;
}

bool CQtControlDialog::SelectListItem(int id, int index) {
    if (QListWidget* box = Find<QListWidget>(id)) {
        if (index < -1 || index >= box->count()) {
            return false;
        }
        const QSignalBlocker quiet(box);
        box->setCurrentRow(index);
        return true;
    }
    QComboBox* list = Find<QComboBox>(id);
    if (list == nullptr || index < -1 || index >= list->count()) {
        return false;
    }
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(index);
    return true;
}

bool CQtControlDialog::GetListSelection(int id, int& index) const {
    if (const QListWidget* box = Find<QListWidget>(id)) {
        index = box->currentRow();
        return true;
    }
    const QComboBox* list = Find<QComboBox>(id);
    if (list == nullptr) {
        return false;
    }
    index = list->currentIndex();
    return true;
}

bool CQtControlDialog::SetSliderRange(int id, int minPosition, int maxPosition, int page) {
    QSlider* slider = Find<QSlider>(id);
    if (slider == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(slider);  // the range may move the knob
    slider->setRange(minPosition, maxPosition);
    slider->setPageStep(page);
    return true;
}

bool CQtControlDialog::SetSliderPosition(int id, int position) {
    QSlider* slider = Find<QSlider>(id);
    if (slider == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
    return true;
}

bool CQtControlDialog::GetSliderPosition(int id, int& position) const {
    const QSlider* slider = Find<QSlider>(id);
    if (slider == nullptr) {
        return false;
    }
    position = slider->value();
    return true;
}

bool CQtControlDialog::SetSliderTick(int id, int position) {
    QSlider* slider = Find<QSlider>(id);
    if (slider == nullptr) {
        return false;
    }
    // A slider draws ticks at whole steps from its start only: a step that
    // divides both distances puts a tick at position and at both ends.
    const int before = position - slider->minimum();
    const int after = slider->maximum() - position;
    int interval = before > 0 ? std::gcd(before, std::max(after, 0)) : slider->pageStep();
    if (interval > 0 && (slider->maximum() - slider->minimum()) / interval > kMostTicks) {
        interval = before;  // fewer ticks, with one still at position
    }
    slider->setTickInterval(interval);
    return true;
}

bool CQtControlDialog::SetMeterRange(int id, int minPosition, int maxPosition) {
    QProgressBar* meter = Find<QProgressBar>(id);
    if (meter == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(meter);
    meter->setRange(minPosition, maxPosition);
    return true;
}

bool CQtControlDialog::SetMeterPosition(int id, int position) {
    QProgressBar* meter = Find<QProgressBar>(id);
    if (meter == nullptr) {
        return false;
    }
    const QSignalBlocker quiet(meter);
    meter->setValue(position);
    return true;
}

bool CQtControlDialog::SetMeterColor(int id, uint32_t color) {
    QProgressBar* meter = Find<QProgressBar>(id);
    if (meter == nullptr) {
        return false;
    }
    meter->setStyleSheet(
        QString("QProgressBar::chunk { background-color: %1; }").arg(FromColorRef(color).name()));
    return true;
}

bool CQtControlDialog::SetPicture(int id, int width, int height,
                                  const std::vector<uint32_t>& argb) {
    QLabel* picture = m_widget ? m_widget->FindPicture(id) : nullptr;
    if (picture == nullptr || width <= 0 || height <= 0 ||
        argb.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        return false;
    }
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = argb.data() + static_cast<size_t>(y) * width;
        std::copy(row, row + width, reinterpret_cast<uint32_t*>(image.scanLine(y)));
    }
    picture->setPixmap(QPixmap::fromImage(image));
    return true;
}

bool CQtControlDialog::SetPictureTips(int id, const std::vector<PICTURE_TIP>& tips) {
    QLabel* picture = m_widget ? m_widget->FindPicture(id) : nullptr;
    auto* tipped = dynamic_cast<CQtPictureLabel*>(picture);
    if (tipped == nullptr) {
        return false;
    }
    tipped->SetTips(tips);
    return true;
}

void CQtControlDialog::SetModal(bool modal) {
    if (m_widget) {
        // Takes effect when the dialog is next shown.
        m_widget->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    }
}

void CQtControlDialog::SetBusy(bool busy) {
    if (!m_widget) {
        return;
    }
    if (busy) {
        m_widget->setCursor(Qt::WaitCursor);
    } else {
        m_widget->unsetCursor();
    }
}
