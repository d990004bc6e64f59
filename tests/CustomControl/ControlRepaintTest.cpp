// The drawn controls repaint themselves: a setter that changes what a menu
// row or a strip tile draws has it painted again, one that stores the value
// it already holds leaves it alone.
#include <chrono>
#include <functional>
#include <map>
#include <utility>

#include <QCursor>
#include <QEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "CustomControl/KeyboardListView.h"
#include "CustomControl/TabMenuView.h"
#include "support/VirtualHidBus.h"

namespace {

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++counts[watched];
        return false;
    }
    std::map<QObject*, int> counts;
};

// Generous: a repaint only has to come at all, however busy the machine.
constexpr std::chrono::milliseconds kPaintWait{10000};

// Shows `window` away from the pointer (whose arrival would light a row
// up) and lets the paints of the showing pass: one whole repaint asked
// after the window is exposed has reached `probe`.
void showAndSettle(QWidget& window, QWidget* probe, PaintCounter& paints)
{
    QCursor::setPos(0, 0);
    window.move(300, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    paints.counts.clear();
    window.update();
    ASSERT_TRUE(emu::waitUntil([&] { return paints.counts[probe] > 0; }, kPaintWait));
    paints.counts.clear();
}

} // namespace

TEST(ControlRepaint, ChangedValuesRepaintTheirControlAndUnchangedOnesDoNot)
{
    // Two rows of a menu panel: one gets a new value, the other the value
    // it holds. Both setters run before the event loop does, so the one
    // repaint pass that paints the changed row would paint the other too
    // had it been marked.
    QWidget window;
    window.resize(200, 120);
    auto* panel = new TabMenuSettingView(QRectF(0, 0, 160, 76), &window);
    auto* changed = new TabMenuSettingItemView(FunctionItem::Copy, QStringLiteral("Copy"),
                                               QRectF(0, 0, 160, 38), panel);
    auto* same = new TabMenuSettingItemView(FunctionItem::Cut, QStringLiteral("Cut"), QRectF(0, 38, 160, 38),
                                            panel);
    PaintCounter paints;
    paints.watch(changed);
    paints.watch(same);
    ASSERT_NO_FATAL_FAILURE(showAndSettle(window, changed, paints));

    // Each setter with `true` gives the row a look other than its first one,
    // with `false` the look it has.
    using Row = TabMenuSettingItemView;
    const std::pair<const char*, std::function<void(Row*, bool)>> setters[] = {
        {"select", [](Row* r, bool on) { r->setSelect(on); }},
        {"check mark", [](Row* r, bool on) { r->setCheckDraw(on); }},
        {"enable", [](Row* r, bool on) { r->setEnable(!on); }},
        {"title", [](Row* r, bool on) { r->setTitleString(on ? QStringLiteral("Paste") : r->titleString()); }},
        {"highlight", [](Row* r, bool on) { r->setHighlight(!on); }},
        {"sub-menu mark", [](Row* r, bool on) { r->setHasSubMenu(on); }},
        {"pointer", [](Row* r, bool on) { r->setMouseInView(on); }},
    };
    for (const auto& [what, set] : setters) {
        SCOPED_TRACE(what);
        set(changed, true);
        set(same, false);
        ASSERT_TRUE(emu::waitUntil([&] { return paints.counts[changed] > 0; }, kPaintWait));
        EXPECT_EQ(paints.counts[same], 0);
        paints.counts.clear();
    }

    // The strip: selecting a tile repaints the tile that loses the selection
    // and the one that gains it; a pointer flag set to what it was repaints
    // nothing.
    QWidget stripWindow;
    stripWindow.resize(800, 200);
    KeyboardListView strip;
    strip.keyboardListView()->setParent(&stripWindow);
    for (int i = 0; i < 2; ++i)
        strip.addItem(new KeyboardListItem());
    strip.select(0);
    KeyboardListItemView* first = strip.detailArray()[0]->view();
    KeyboardListItemView* second = strip.detailArray()[1]->view();
    paints.watch(first);
    paints.watch(second);
    ASSERT_NO_FATAL_FAILURE(showAndSettle(stripWindow, second, paints));

    strip.select(1);
    ASSERT_TRUE(emu::waitUntil([&] { return paints.counts[first] > 0 && paints.counts[second] > 0; }, kPaintWait));
    paints.counts.clear();

    second->setOnMouse(true);
    first->setOnMouse(false);
    ASSERT_TRUE(emu::waitUntil([&] { return paints.counts[second] > 0; }, kPaintWait));
    EXPECT_EQ(paints.counts[first], 0);
}
