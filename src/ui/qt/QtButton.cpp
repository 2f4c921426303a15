#include "ui/qt/QtButton.h"

namespace ui {

QtButton::QtButton(QPushButton* button) {
    QObject::connect(button, &QPushButton::clicked, button, [this] { view::runHandler(onClick); });
}

} // namespace ui
