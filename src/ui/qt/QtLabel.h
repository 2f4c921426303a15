#pragma once
// The view's label on a Qt label.

#include "view/controls.h"

#include <QLabel>

namespace ui {

class QtLabel : public view::Label {
public:
    explicit QtLabel(QLabel* label) : m_label(label) {}
    void setCaption(const std::string& caption) noexcept override;

private:
    QLabel* m_label;
};

} // namespace ui
