#pragma once
// The view's command button on a Qt push button: a click runs the core's handler.

#include "view/controls.h"

#include <QPushButton>

namespace ui {

class QtButton : public view::Button {
public:
    explicit QtButton(QPushButton* button);
};

} // namespace ui
