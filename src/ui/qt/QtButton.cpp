#include "ui/qt/QtButton.h"

#include "ui/qt/RunHandler.h"

namespace ui {

QtButton::QtButton(QPushButton* button) {
    QObject::connect(button, &QPushButton::clicked, button, [this] { runHandler(onClick); });
}

} // namespace ui
