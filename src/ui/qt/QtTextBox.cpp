#include "ui/qt/QtTextBox.h"

namespace ui {

QtTextBox::QtTextBox(QLineEdit* edit) : m_edit(edit) {
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString&) { view::runHandler(onChange); });
}

std::string QtTextBox::text() const noexcept {
    return m_edit->text().toStdString();
}

void QtTextBox::setText(const std::string& text) noexcept {
    m_edit->setText(QString::fromStdString(text)); // emits textChanged only when the text changes
}

} // namespace ui
