// The fake controls the main window's tests run against keep the view's
// contract as the real windows do.

#include "support/fakeView.h"
#include "ui/viewContract.h"

namespace {

class FakeView {
public:
    frmMainControls controls() { return m_view.controls(); }
    void click(std::string_view name) {
        if (auto* box = named<testsupport::FakeCheckBox>(name)) {
            box->click();
        } else {
            named<testsupport::FakeButton>(name)->click();
        }
    }
    void type(std::string_view name, const std::string& keys) { named<testsupport::FakeTextBox>(name)->type(keys); }
    std::string caption() const { return m_view.window.caption; }
    std::string shownText(std::string_view name) {
        auto* label = named<testsupport::FakeLabel>(name);
        return label != nullptr ? label->text : named<testsupport::FakeTextBox>(name)->text();
    }
    std::int64_t shownRows() const { return static_cast<std::int64_t>(m_view.lstLog.rows.size()); }
    std::string shownCell(std::int64_t row, ChangeColumn column) const { return *m_view.lstLog.subItem(row, column); }
    int shownIcon(std::int64_t row) const { return m_view.lstLog.shown(static_cast<std::size_t>(row - 1)).icon; }
    // What was painted last over the point, over the background (the button face); a picture covers the box.
    std::uint32_t shownColour(std::string_view name, int x, int y) {
        const auto& box = *named<testsupport::FakePictureBox>(name);
        const std::int32_t left = box.width() * x / 100;
        const std::int32_t top = box.height() * y / 100;
        std::uint32_t colour = kButtonFace;
        for (const auto& [l, t, r, b, c] : box.rectangles) {
            if (left >= l && left < r && top >= t && top < b) {
                colour = c.buttonFace ? kButtonFace : (std::uint32_t{c.red} << 16) | (c.green << 8) | c.blue;
            }
        }
        return box.image != 0 ? static_cast<std::uint32_t>(box.image) : colour;
    }
    std::string rowTip(std::int64_t row) const { return m_view.lstLog.rowOffer(row).tip; }
    void doubleClickRow(std::int64_t row) const { m_view.lstLog.runRowCommand(row, view::RowCommand::OpenCopy); }
    void pressEnterOnRow(std::int64_t row) const { doubleClickRow(row); }
    std::vector<testsupport::ShownMenuItem> chooseLastRowMenuItem(std::int64_t row) {
        auto& list = m_view.lstLog;
        list.menuChoice = view::kRowMenu.back().command;
        const auto menus = list.menusShown.size();
        list.runRowMenu(row);
        std::vector<testsupport::ShownMenuItem> items;
        if (list.menusShown.size() > menus) {
            for (const auto& item : view::kRowMenu) {
                items.push_back({std::string(item.caption), !list.menusShown.back()});
            }
        }
        return items;
    }
    bool visible() const { return m_view.window.visible; }
    int closes() const { return m_view.window.closed; }
    // Each turn of the loop delivers what was queued and a tick of every running timer.
    void pump(std::chrono::milliseconds span) {
        for (auto turns = std::max<std::int64_t>(span.count() / 10, 1); turns > 0; --turns) {
            m_view.window.closeQueued();
            m_view.Timer1.tick();
            m_view.Timer2.tick();
        }
    }

private:
    static constexpr std::uint32_t kButtonFace = 0xF0F0F0;

    // The fake of that name and type, or nullptr.
    template <class Fake>
    Fake* named(std::string_view name) {
        Fake* found = nullptr;
        testsupport::forEachControl(m_view.controls(), [&](std::string_view each, auto& control) {
            found = each == name ? dynamic_cast<Fake*>(&control) : found;
        });
        return found;
    }

    testsupport::FakeMainWindow m_view;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, ViewContract, FakeView);
