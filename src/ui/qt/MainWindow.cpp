#include "ui/qt/MainWindow.h"

#include "ui/qt/Pictures.h"
#include "ui/qt/Twips.h"
#include "view/listColumns.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeView>

#include <vector>

namespace ui {

namespace {

// Tahoma where it is installed; otherwise the closest sans serif at hand.
QFont formFont(qreal points, bool bold = false) {
    QString family;
    const auto families = QFontDatabase::families();
    for (const char* candidate : {"Tahoma", "Wine Tahoma", "DejaVu Sans Condensed", "Liberation Sans", "DejaVu Sans"}) {
        if (families.contains(QString::fromLatin1(candidate))) {
            family = QString::fromLatin1(candidate);
            break;
        }
    }
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace

struct MainWindow::Adapters {
    std::unique_ptr<QtLabel> lblSubTitle;
    std::unique_ptr<QtPictureBox> picAni;
    std::unique_ptr<QtPictureBox> picProgress;
    std::unique_ptr<QtButton> cmdMonitorOpen, cmdOpenFolder, cmdMakeCopy, cmdFolderCopiesOpen, cmdOpenLog,
        cmdClearLogView, cmdFileOpen;
    std::unique_ptr<QtCheckBox> chkMonitor, chkMakeCopy, chkBalloonTip, chkNotify, chkBeep, chkFollowLog;
    std::unique_ptr<QtTextBox> txtInterval, txtFileName;
    std::unique_ptr<QtListView> lstLog;
    std::unique_ptr<QtTimer> Timer1, Timer2;
    std::vector<QWidget*> tabOrder;
};

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), m_adapters(std::make_unique<Adapters>()) {
    auto& a = *m_adapters;
    setWindowTitle(QStringLiteral("Sentrel"));
    setWindowIcon(pictures::windowIcon());
    setFont(formFont(8.25));
    setFixedSize(twipsToPixels(11070), twipsToPixels(6780));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    std::vector<std::pair<int, QWidget*>> tabs;
    const auto named = [&](QWidget* widget, const char* name, int tab) {
        widget->setObjectName(QString::fromLatin1(name));
        tabs.emplace_back(tab, widget);
        return widget;
    };

    auto* picMain = new PictureWidget(720, 720, false, this);
    named(picMain, "picMain", 19);
    place(picMain, 135, 45, 720, 720);
    picMain->showPixmap(pictures::logo());

    auto* lblTitle = new QLabel(QStringLiteral("Sentrel"), this);
    named(lblTitle, "lblTitle", 20);
    lblTitle->setFont(formFont(9.75, true));
    place(lblTitle, 945, 90, 1455, 285);

    auto* lblSubTitle = new QLabel(QStringLiteral("Version"), this);
    named(lblSubTitle, "lblSubTitle", 21);
    lblSubTitle->setFont(formFont(8.25, true));
    place(lblSubTitle, 945, 405, 1455, 285);
    a.lblSubTitle = std::make_unique<QtLabel>(lblSubTitle);

    auto* picAni = new PictureWidget(480, 480, false, this);
    named(picAni, "picAni", 22);
    place(picAni, 1935, 315, 480, 480);
    a.picAni = std::make_unique<QtPictureBox>(picAni, pictures::animationFrames());

    const auto button = [&](const char* name, const char* caption, int top, int tab) {
        auto* widget = new QPushButton(QString::fromLatin1(caption), this);
        named(widget, name, tab);
        place(widget, 120, top, 2295, 320);
        return widget;
    };
    a.cmdMonitorOpen = std::make_unique<QtButton>(button("cmdMonitorOpen", "Open Monitored File", 945, 0));
    a.cmdOpenFolder = std::make_unique<QtButton>(button("cmdOpenFolder", "Open Folder of Monitored File", 1305, 1));
    a.cmdMakeCopy = std::make_unique<QtButton>(button("cmdMakeCopy", "Make Copy of Monitored File", 1665, 2));
    a.cmdFolderCopiesOpen = std::make_unique<QtButton>(button("cmdFolderCopiesOpen", "Open Copies Folder", 2025, 3));
    a.cmdOpenLog = std::make_unique<QtButton>(button("cmdOpenLog", "Open Log File", 2385, 4));
    a.cmdClearLogView = std::make_unique<QtButton>(button("cmdClearLogView", "Clear Log View", 2745, 5));

    const auto checkBox = [&](const char* name, const char* caption, int left, int top, int width, int height,
                              int tab) {
        auto* widget = new TwoStateCheckBox(QString::fromLatin1(caption), this);
        named(widget, name, tab);
        place(widget, left, top, width, height);
        return widget;
    };
    auto* monitor = checkBox("chkMonitor", "Monitor On/Off", 120, 3465, 2295, 320, 6);
    monitor->setFont(formFont(8.25, true));
    a.chkMonitor = std::make_unique<QtCheckBox>(monitor);
    a.chkMakeCopy =
        std::make_unique<QtCheckBox>(checkBox("chkMakeCopy", "Make Copy on Change", 135, 3825, 2295, 255, 7));
    a.chkBalloonTip =
        std::make_unique<QtCheckBox>(checkBox("chkBalloonTip", "Balloon Tip on Change", 135, 4095, 2295, 255, 8));
    a.chkNotify = std::make_unique<QtCheckBox>(checkBox("chkNotify", "Set Focus on Change", 135, 4365, 2295, 255, 9));
    a.chkBeep = std::make_unique<QtCheckBox>(checkBox("chkBeep", "Beep on Change", 135, 4635, 1815, 255, 10));
    a.chkFollowLog = std::make_unique<QtCheckBox>(checkBox("chkFollowLog", "Follow Log", 135, 4905, 1815, 255, 11));

    auto* label3 = new QLabel(QStringLiteral("Check Interval (ms)"), this);
    named(label3, "Label3", 16);
    label3->setFont(formFont(8.25, true));
    place(label3, 120, 5265, 2055, 375);
    label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* interval = new QLineEdit(QStringLiteral("500"), this);
    named(interval, "txtInterval", 12);
    place(interval, 120, 5535, 2295, 285);
    a.txtInterval = std::make_unique<QtTextBox>(interval);

    auto* label4 = new QLabel(QStringLiteral("File to Monitor"), this);
    named(label4, "Label4", 17);
    label4->setFont(formFont(8.25, true));
    place(label4, 120, 6015, 2055, 375);
    label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* fileName = new QLineEdit(this);
    named(fileName, "txtFileName", 13);
    // Chosen with "...", which also stores it; a typed path would be watched
    // but forgotten at the next start, so the box only shows the path.
    fileName->setReadOnly(true);
    place(fileName, 90, 6255, 10395, 285);
    a.txtFileName = std::make_unique<QtTextBox>(fileName);

    auto* fileOpen = new QPushButton(QStringLiteral("..."), this);
    named(fileOpen, "cmdFileOpen", 14);
    place(fileOpen, 10530, 6255, 375, 285);
    a.cmdFileOpen = std::make_unique<QtButton>(fileOpen);

    m_progress = new PictureWidget(10845, 135, true, this);
    named(m_progress, "picProgress", 18);
    place(m_progress, 120, 6615, 10845, 135);
    a.picProgress = std::make_unique<QtPictureBox>(m_progress);

    m_logModel = new LogListModel(this);
    m_logModel->setIcons([] {
        std::vector<QIcon> icons;
        for (const auto& pixmap : pictures::stateIcons()) {
            icons.emplace_back(pixmap);
        }
        return icons;
    }());
    m_logView = new QTreeView(this);
    named(m_logView, "lstLog", 15);
    m_logView->setModel(m_logModel);
    m_logView->setRootIsDecorated(false);
    m_logView->setUniformRowHeights(true); // keeps a million rows fast
    m_logView->setItemsExpandable(false);
    m_logView->setSortingEnabled(false);
    m_logView->setIconSize(QSize(16, 16));
    m_logView->header()->setStretchLastSection(false);
    m_logView->header()->setSectionsMovable(false);
    for (const auto& column : view::kListColumns) {
        m_logView->setColumnWidth(static_cast<int>(column.column), twipsToPixels(column.widthTwips));
    }
    place(m_logView, 2520, 45, 8475, 6015);
    a.lstLog = std::make_unique<QtListView>(m_logView, m_logModel);

    a.Timer1 = std::make_unique<QtTimer>(this);
    a.Timer1->setInterval(500);
    a.Timer2 = std::make_unique<QtTimer>(this);
    a.Timer2->setInterval(10);

    std::sort(tabs.begin(), tabs.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 0; i + 1 < tabs.size(); ++i) {
        QWidget::setTabOrder(tabs[i].second, tabs[i + 1].second);
    }
    for (const auto& [tab, widget] : tabs) {
        a.tabOrder.push_back(widget);
    }
}

MainWindow::~MainWindow() = default;

frmMainControls MainWindow::controls() {
    auto& a = *m_adapters;
    return {*this,
            *a.lblSubTitle,
            *a.picAni,
            *a.picProgress,
            *a.cmdMonitorOpen,
            *a.cmdOpenFolder,
            *a.cmdMakeCopy,
            *a.cmdFolderCopiesOpen,
            *a.cmdOpenLog,
            *a.cmdClearLogView,
            *a.cmdFileOpen,
            *a.chkMonitor,
            *a.chkMakeCopy,
            *a.chkBalloonTip,
            *a.chkNotify,
            *a.chkBeep,
            *a.chkFollowLog,
            *a.txtInterval,
            *a.txtFileName,
            *a.lstLog,
            *a.Timer1,
            *a.Timer2};
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
        QTimer::singleShot(0, this, [this] {
            try {
                if (onResize) {
                    onResize();
                }
            } catch (...) {
            }
        });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose) {
        try {
            onClose();
        } catch (...) {
        }
    }
}

} // namespace ui
