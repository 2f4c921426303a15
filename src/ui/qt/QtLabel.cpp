#include "ui/qt/QtLabel.h"

namespace ui {

void QtLabel::setCaption(const std::string& caption) noexcept {
    m_label->setText(QString::fromStdString(caption));
}

} // namespace ui
