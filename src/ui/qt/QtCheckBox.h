#pragma once
// The view's check box on a Qt check box. A value set from code emits the
// box's own change signal, so it runs the core's handler as a click does.

#include "view/controls.h"

#include <QCheckBox>

namespace ui {

// A check box whose value 2 is the greyed state, which only code sets: a
// click toggles between ticked and not ticked.
class TwoStateCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

class QtCheckBox : public view::CheckBox {
public:
    explicit QtCheckBox(TwoStateCheckBox* box);
    int value() const noexcept override;
    void setValue(int value) noexcept override;

private:
    TwoStateCheckBox* m_box;
};

} // namespace ui
