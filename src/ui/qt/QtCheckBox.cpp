#include "ui/qt/QtCheckBox.h"

namespace ui {

QtCheckBox::QtCheckBox(TwoStateCheckBox* box) : m_box(box) {
    QObject::connect(box, &QCheckBox::stateChanged, box, [this](int) { view::runHandler(onClick); });
}

int QtCheckBox::value() const noexcept {
    switch (m_box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void QtCheckBox::setValue(int value) noexcept {
    const auto state = value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
    if (state == Qt::PartiallyChecked) {
        m_box->setTristate(true);
    }
    m_box->setCheckState(state); // emits stateChanged only when the state changes
}

} // namespace ui
