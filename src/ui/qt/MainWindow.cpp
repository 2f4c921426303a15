#include "ui/qt/MainWindow.h"

#include "ui/qt/Pictures.h"
#include "ui/qt/QtButton.h"
#include "ui/qt/QtCheckBox.h"
#include "ui/qt/QtLabel.h"
#include "ui/qt/QtListView.h"
#include "ui/qt/QtPictureBox.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtTextBox.h"
#include "ui/qt/QtTimer.h"
#include "ui/qt/Twips.h"
#include "view/binder.h"
#include "view/controlTable.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// The designed face where it is installed; otherwise the closest sans serif at hand.
QFont qtFont(const view::Font& design) {
    static const QStringList families = QFontDatabase::families();
    QString family;
    for (const QString& candidate :
         {toQString(design.face), QStringLiteral("Wine ") + toQString(design.face),
          QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}) {
        if (families.contains(candidate)) {
            family = candidate;
            break;
        }
    }
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont(family);
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    return font;
}

// The pictures of the image list called `imageList`, which the program draws rather than loads.
std::vector<QPixmap> imagesOf(std::string_view imageList) {
    const auto* list = view::findControl(imageList);
    std::vector<QPixmap> images;
    switch (list != nullptr ? list->holds : view::ImageSet::None) {
    case view::ImageSet::AnimationFrames:
        images = pictures::animationFrames();
        break;
    case view::ImageSet::StateIcons:
        images = pictures::stateIcons();
        break;
    case view::ImageSet::None:
        break;
    }
    Q_ASSERT(list == nullptr || static_cast<int>(images.size()) == list->value);
    return images;
}

// What assistive technology calls the controls whose own text does not say
// what they are: a text box by the caption of the label above it (which then
// points at it), the others by a name of their own.
void nameForAssistiveTechnology(const QWidget& window) {
    for (const auto& design : view::kMainWindowControls) {
        auto* widget = window.findChild<QWidget*>(toQString(design.name));
        auto* label = design.label.empty() ? nullptr : window.findChild<QLabel*>(toQString(design.label));
        if (widget == nullptr) {
            continue;
        }
        if (label != nullptr) {
            label->setBuddy(widget);
            widget->setAccessibleName(label->text());
        } else if (!design.accessibleName.empty()) {
            widget->setAccessibleName(toQString(design.accessibleName));
        }
    }
}

} // namespace

struct MainWindow::Adapters
    : view::ControlAdapters<QtLabel, QtButton, QtCheckBox, QtTextBox, QtPictureBox, QtListView, QtTimer> {};

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), m_adapters(std::make_unique<Adapters>()) {
    const auto& form = view::kMainWindow;
    setWindowTitle(toQString(form.caption));
    setWindowIcon(pictures::windowIcon());
    setFont(qtFont(form.font));
    setFixedSize(twipsToPixels(form.clientWidth), twipsToPixels(form.clientHeight));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    std::vector<QWidget*> widgets;
    for (std::size_t position = 0; position < view::kMainWindowControls.size(); ++position) {
        const auto& design = view::kMainWindowControls[position];
        QWidget* widget = createControl(position);
        widgets.push_back(widget);
        if (widget == nullptr) {
            continue;
        }
        const auto& rect = *design.rect;
        widget->setObjectName(toQString(design.name));
        widget->setFont(qtFont(design.font));
        widget->setGeometry(twipsToPixels(rect.left), twipsToPixels(rect.top), twipsToPixels(rect.width),
                            twipsToPixels(rect.height));
    }
    QWidget* previous = nullptr;
    for (const std::size_t index : view::windowsInTabOrder()) {
        if (QWidget* widget = widgets[index]) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    nameForAssistiveTechnology(*this);
}

QWidget* MainWindow::createControl(std::size_t position) {
    const auto& design = view::kMainWindowControls[position];
    auto& a = *m_adapters;
    const QString text = toQString(design.text);
    switch (design.kind) {
    case view::ControlKind::PictureBox: {
        auto* picture = new PictureWidget(design.rect->width, design.rect->height, design.border, this);
        if (design.shows == view::Picture::Logo) {
            picture->showPixmap(pictures::logo());
        }
        a.add(position, std::make_unique<QtPictureBox>(picture, imagesOf(design.imageList)));
        return picture;
    }
    case view::ControlKind::Label: {
        auto* label = new QLabel(text, this);
        // A designed caption starts at its label's top left corner, however tall the label.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        a.add(position, std::make_unique<QtLabel>(label));
        return label;
    }
    case view::ControlKind::CommandButton: {
        auto* button = new QPushButton(text, this);
        a.add(position, std::make_unique<QtButton>(button));
        return button;
    }
    case view::ControlKind::CheckBox: {
        auto* box = new TwoStateCheckBox(text, this);
        a.add(position, std::make_unique<QtCheckBox>(box)).setValue(design.value); // no handler is set yet
        return box;
    }
    case view::ControlKind::TextBox: {
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly(design.readOnly);
        a.add(position, std::make_unique<QtTextBox>(edit));
        return edit;
    }
    case view::ControlKind::ListView: {
        m_logModel = new LogListModel(this);
        std::vector<QIcon> icons;
        for (const auto& pixmap : imagesOf(design.imageList)) {
            icons.emplace_back(pixmap);
        }
        m_logModel->setIcons(std::move(icons));
        m_logView = new QTreeView(this);
        m_logView->setModel(m_logModel);
        m_logView->setRootIsDecorated(false);
        m_logView->setUniformRowHeights(true); // keeps a million rows fast
        m_logView->setItemsExpandable(false);
        m_logView->setSortingEnabled(false);
        const int iconSize = view::findControl(design.imageList)->imageSize;
        m_logView->setIconSize(QSize(iconSize, iconSize));
        m_logView->header()->setStretchLastSection(false);
        m_logView->header()->setSectionsMovable(false);
        for (const auto& column : design.columns) {
            m_logView->setColumnWidth(static_cast<int>(column.column), twipsToPixels(column.widthTwips));
        }
        a.add(position, std::make_unique<QtListView>(m_logView, m_logModel));
        return m_logView;
    }
    case view::ControlKind::Timer: {
        auto& timer = a.add(position, std::make_unique<QtTimer>(this));
        timer.setObjectName(toQString(design.name));
        timer.setInterval(design.value);
        timer.setEnabled(design.enabled);
        return nullptr;
    }
    case view::ControlKind::ImageList:    // loaded into the controls that show it
    case view::ControlKind::CommonDialog: // the host opens Qt's file dialog
        return nullptr;
    }
    return nullptr;
}

MainWindow::~MainWindow() = default;

frmMainControls MainWindow::controls() {
    return m_adapters->bind(*this);
}

QWidget* MainWindow::control(const char* name) const {
    return findChild<QWidget*>(QString::fromLatin1(name));
}

void MainWindow::setCaption(const std::string& caption) noexcept {
    setWindowTitle(QString::fromStdString(caption));
}

view::WindowState MainWindow::state() const noexcept {
    if (isMinimized()) {
        return view::WindowState::Minimized;
    }
    return isMaximized() ? view::WindowState::Maximized : view::WindowState::Normal;
}

void MainWindow::setState(view::WindowState state) noexcept {
    switch (state) {
    case view::WindowState::Minimized:
        setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
        break;
    case view::WindowState::Maximized:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    case view::WindowState::Normal:
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        break;
    }
}

void MainWindow::bringToFront() noexcept {
    raise();
    activateWindow();
}

void MainWindow::close() noexcept {
    // Queued: the request may come from inside the tray's own event handling.
    QTimer::singleShot(0, this, [this] { QWidget::close(); });
}

bool MainWindow::canHideToTray() const noexcept {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && onResize) {
        // Hiding from inside the state change confuses some window managers.
        QTimer::singleShot(0, this, [this] { view::runHandler(onResize); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    view::runHandler(onClose);
}

} // namespace ui
