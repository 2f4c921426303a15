#pragma once
// The view's text box on a Qt line edit. Text set from code emits the edit's
// own change signal, so it runs the core's handler as typing does.

#include "view/controls.h"

#include <QLineEdit>

namespace ui {

class QtTextBox : public view::TextBox {
public:
    explicit QtTextBox(QLineEdit* edit);
    std::string text() const noexcept override;
    void setText(const std::string& text) noexcept override;

private:
    QLineEdit* m_edit;
};

} // namespace ui
