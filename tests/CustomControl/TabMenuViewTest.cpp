// Pointer moves go to the window under test as window-system events, so
// that every window sees its own enter and leave.
#define QTEST_QPA_MOUSE_HANDLING
#include "AppParam.h"
#include "CustomControl/TabMenuView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Records what a menu tells its owner, and whether the menu was still
// showing at that moment.
struct RecordingOwner : TabMenuDelegate {
    struct Call {
        QObject* id;
        FunctionItem function;
        bool menuShown;
    };
    std::vector<Call> calls;
    std::function<void(QObject*, FunctionItem)> then;

    void clickTabMenuItem(QObject* id, FunctionItem function) override
    {
        auto* menu = qobject_cast<TabMenuView*>(id);
        calls.push_back({id, function, menu && menu->isShown()});
        if (then)
            then(id, function);
    }
};

// Moves the pointer onto `target` at `local`: the window under the pointer
// learns of it (window enter and leave, and QCursor::pos()), then the move
// itself reaches the widgets of that window (their enter and leave).
void hover(QWidget* target, QPoint local)
{
    QCursor::setPos(target->mapToGlobal(local));
    QTest::mouseMove(target, local);
}

// Counts how often a window is shown.
struct ShowCounter : QObject {
    explicit ShowCounter(QWidget* watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Show ? 1 : 0;
        return false;
    }
    int count = 0;
};

QColor pixel(QWidget* widget, int x, int y)
{
    return widget->grab().toImage().pixelColor(x, y);
}

// A shown main window to hang menus from.
class MenuTest : public testing::Test {
protected:
    void SetUp() override
    {
        AppParam::functionApcSettingSelect = FunctionItem::None;
        // Small, so that the menus hung from it lie beside it and the
        // pointer finds them.
        window.setGeometry(0, 0, 40, 40);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { AppParam::functionApcSettingSelect = FunctionItem::None; }

    // A popover menu of `titles.size()` plain rows, `Separate`, `Collective`, ...
    std::unique_ptr<TabMenuView> popoverMenu(std::initializer_list<FunctionItem> functions,
                                             ButtonNo button = ButtonNo::None,
                                             TabMenuView* parentMenu = nullptr, qreal width = 120)
    {
        auto menu = std::make_unique<TabMenuView>(QRectF(0, 0, 400, 300), QPointF(0, 0), width, false,
                                                  button, parentMenu);
        for (FunctionItem f : functions)
            menu->appendItem(f, QString::number(int(f)));
        menu->updateMenu();
        menu->createPopover();
        return menu;
    }

    QWidget window;
};

} // namespace

TEST(TabMenuLayout, RowsStackFromTheTopAndTabPanelsHangFromTheirPoint)
{
    AppParam::functionApcSettingSelect = FunctionItem::Collective;
    TabMenuView empty(QRectF(0, 0, 300, 200), QPointF(10, 20), 100, true, ButtonNo::None, nullptr);
    empty.updateMenu();
    EXPECT_TRUE(empty.rows().empty());
    EXPECT_EQ(empty.getMenuViewSize(), QRectF(10, 20, 100, 0));

    TabMenuView tab(QRectF(0, 0, 300, 200), QPointF(10, 20), 100, true, ButtonNo::None, nullptr);
    for (FunctionItem f : {FunctionItem::Separate, FunctionItem::Collective, FunctionItem::UserSetting,
                           FunctionItem::DemoMode})
        tab.appendItem(f, QStringLiteral("x"));
    tab.updateMenu();
    // Four rows of 38 hang down from the given top-left point.
    EXPECT_EQ(tab.getMenuViewSize(), QRectF(10, 20, 100, 152));
    ASSERT_EQ(tab.rows().size(), 4u);
    EXPECT_EQ(tab.rows()[0]->geometry(), QRect(0, 0, 100, 38));
    EXPECT_EQ(tab.rows()[2]->geometry(), QRect(0, 76, 100, 38));
    EXPECT_EQ(tab.rows()[3]->index, 3);
    // The current APC choice starts selected.
    EXPECT_FALSE(tab.rows()[0]->isSelect());
    EXPECT_TRUE(tab.rows()[1]->isSelect());

    // Rebuilding replaces the rows instead of adding to them.
    tab.items.pop_back();
    tab.updateMenu();
    EXPECT_EQ(tab.rows().size(), 3u);
    EXPECT_EQ(tab.getMenuViewSize().height(), 114);
    AppParam::functionApcSettingSelect = FunctionItem::None;
}

TEST(TabMenuLayout, RowOperationsActOnTheFirstMatchingRow)
{
    TabMenuView menu(QRectF(0, 0, 300, 200), QPointF(0, 0), 100, true, ButtonNo::None, nullptr);
    menu.appendItem(FunctionItem::Copy, QStringLiteral("Copy"));
    menu.appendItem(FunctionItem::Copy, QStringLiteral("Copy again"));
    menu.appendItem(FunctionItem::Paste, QStringLiteral("Paste"));
    menu.updateMenu();
    menu.checkMenuItem(FunctionItem::Copy, true);
    EXPECT_TRUE(menu.rows()[0]->isCheckDraw());
    EXPECT_FALSE(menu.rows()[1]->isCheckDraw());
    EXPECT_TRUE(menu.isCheckMenuItem(FunctionItem::Copy));
    EXPECT_FALSE(menu.isCheckMenuItem(FunctionItem::Cut)); // no such row
    EXPECT_EQ(menu.getSelectCheckMenuItem(FunctionItem::Copy), QStringLiteral("Copy"));
    EXPECT_EQ(menu.getSelectCheckMenuItem(FunctionItem::Paste), QString());
    menu.enableMenuItem(FunctionItem::Paste, false);
    EXPECT_FALSE(menu.rows()[2]->isEnable());
    menu.selectMenuItem(FunctionItem::Paste, true);
    menu.clearMenuItem(true);
    for (auto* row : menu.rows())
        EXPECT_FALSE(row->isSelect() || row->isCheckDraw() || row->mouseInView());
    // Clearing leaves the enabled state alone.
    EXPECT_FALSE(menu.rows()[2]->isEnable());
}

TEST(TabMenuPlacement, PopoversStayOnTheVisibleArea)
{
    const QRect visible(0, 30, 1000, 700); // a panel of 30 at the top
    const QSize size(200, 300);
    struct Row {
        const char* what;
        QPoint asked;
        int hierarchy;
        QPoint placed;
    };
    const Row table[] = {
        {"fits", {100, 100}, 1, {100, 100}},
        {"touches the right edge", {800, 100}, 1, {800, 100}},
        {"right overflow, first level: moved left just enough", {900, 100}, 1, {800, 100}},
        {"right overflow, sub-menu: flips by twice its width", {900, 100}, 2, {500, 100}},
        {"right overflow, deeper sub-menu", {950, 100}, 3, {550, 100}},
        {"above the top: moved down to it", {100, 10}, 1, {100, 30}},
        {"left of the area: pinned to its left edge", {-50, 100}, 1, {0, 100}},
        {"below the bottom: pinned to its bottom edge", {100, 600}, 1, {100, 430}},
        {"corner: right and bottom at once", {900, 650}, 2, {500, 430}},
    };
    for (const Row& row : table)
        EXPECT_EQ(placePopover(row.asked, size, visible, row.hierarchy),
                  row.placed)
            << row.what;
    // A popover taller than the area: the bottom pin wins over the top.
    EXPECT_EQ(placePopover({100, 10}, QSize(200, 800), visible, 1), QPoint(100, -70));
}

TEST_F(MenuTest, TabMenuIsRemovedBeforeItsOwnerIsTold)
{
    window.setGeometry(0, 0, 640, 480);
    QWidget body(&window);
    body.setGeometry(0, 40, 640, 440);
    body.show();
    TabMenuView menu(QRectF(0, 0, 640, 440), QPointF(20, 0), 160, true, ButtonNo::None, nullptr, &body);
    menu.appendItem(FunctionItem::Separate, QStringLiteral("Separate"));
    menu.appendItem(FunctionItem::Collective, QStringLiteral("Collective"));
    menu.appendItem(FunctionItem::UserSetting, QStringLiteral("User"));
    menu.updateMenu();
    RecordingOwner owner;
    menu.delegate = &owner;

    menu.showInView(&body);
    ASSERT_TRUE(menu.isShown());
    QTest::mouseClick(menu.rows()[1], Qt::LeftButton);
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].id, &menu);
    EXPECT_EQ(owner.calls[0].function, FunctionItem::Collective);
    EXPECT_FALSE(owner.calls[0].menuShown);
    EXPECT_FALSE(menu.isShown());
    // The chosen row is the selected one.
    EXPECT_FALSE(menu.rows()[0]->isSelect());
    EXPECT_TRUE(menu.rows()[1]->isSelect());

    // A disabled row keeps the menu open and tells nobody.
    menu.showInView(&body);
    menu.enableMenuItem(FunctionItem::UserSetting, false);
    QTest::mouseClick(menu.rows()[2], Qt::LeftButton);
    EXPECT_TRUE(menu.isShown());
    EXPECT_EQ(owner.calls.size(), 1u);

    // A click beside the rows removes the menu and tells nobody.
    QTest::mouseClick(&menu, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_FALSE(menu.isShown());
    EXPECT_EQ(owner.calls.size(), 1u);
}

TEST_F(MenuTest, PopoverStaysOpenOnAClickAndTheOwnerMayRebuildTheMenu)
{
    auto menu = popoverMenu({FunctionItem::LeftClick, FunctionItem::RightClick});
    RecordingOwner owner;
    menu->delegate = &owner;
    // The owner rebuilds the menu from inside the click, as panels do after
    // a command: the clicked row goes away under its own handler.
    owner.then = [&](QObject*, FunctionItem) {
        menu->updateMenu();
        menu->checkMenuItem(FunctionItem::RightClick, true);
    };
    menu->popover()->displayPopoverInWindow(&window, QPoint(100, 50), 1);
    ASSERT_TRUE(menu->isShown());
    QPointer<TabMenuSettingItemView> clicked = menu->rows()[1];
    QTest::mouseClick(clicked, Qt::LeftButton);
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].id, menu.get());
    EXPECT_EQ(owner.calls[0].function, FunctionItem::RightClick);
    EXPECT_TRUE(owner.calls[0].menuShown);
    EXPECT_TRUE(menu->isShown());
    EXPECT_TRUE(menu->isCheckMenuItem(FunctionItem::RightClick));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clicked.isNull());

    // The popover's window sits with its top-left corner at the point.
    EXPECT_EQ(menu->popover()->popoverWindow()->pos(), window.mapToGlobal(QPoint(100, 50)));
    // Showing it again changes neither its place nor its level.
    menu->popover()->displayPopoverInWindow(&window, QPoint(200, 200), 5);
    EXPECT_EQ(menu->popover()->popoverWindow()->pos(), window.mapToGlobal(QPoint(100, 50)));
    EXPECT_EQ(menu->popover()->mHierarchy, 1);

    // Going inactive closes every open popover.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(menu->isShown());
}

TEST_F(MenuTest, CallsOnAPopoverMenuWithoutItsPopoverDoNothing)
{
    TabMenuView sub(QRectF(0, 0, 100, 100), QPointF(0, 0), 100, false, ButtonNo::None, nullptr);
    sub.appendItem(FunctionItem::Copy, QStringLiteral("Copy"));
    sub.updateMenu(); // no createPopover()
    TabMenuView menu(QRectF(0, 0, 100, 100), QPointF(0, 0), 100, false, ButtonNo::None, nullptr, &window);
    menu.appendItem(FunctionItem::RegistKey, ButtonAssignCode::None, QStringLiteral("Keys"), true, &sub);
    menu.updateMenu();
    menu.closeAllPopover();
    menu.closePopovers(0);
    menu.closeMenuView();
    EXPECT_FALSE(menu.isShown());
    // Hovering the row whose sub-menu has no popover opens nothing.
    menu.rows()[0]->mouseEntered();
    EXPECT_TRUE(menu.rows()[0]->mouseInView());
    EXPECT_FALSE(sub.isShown());
    // A click on the menu view itself.
    menu.show();
    QTest::mouseClick(&menu, Qt::LeftButton, {}, QPoint(50, 80));
    EXPECT_FALSE(sub.isShown());
}

TEST_F(MenuTest, HoverCascadesSubMenusAndClosesSiblings)
{
    auto keys = popoverMenu({FunctionItem::Copy, FunctionItem::Paste});
    auto media = popoverMenu({FunctionItem::Mute});
    TabMenuView menu(QRectF(0, 0, 400, 300), QPointF(0, 0), 150, false, ButtonNo::None, nullptr);
    menu.appendItem(FunctionItem::RegistKey, ButtonAssignCode::None, QStringLiteral("Keys"), true, keys.get());
    menu.appendItem(FunctionItem::Multimedia, ButtonAssignCode::None, QStringLiteral("Media"), true,
                    media.get());
    menu.appendItem(FunctionItem::SwapButton1, QStringLiteral("Plain"));
    menu.updateMenu();
    menu.createPopover();
    menu.popover()->displayPopoverInWindow(&window, QPoint(100, 50), 1);
    ASSERT_TRUE(menu.isShown());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu.popover()->popoverWindow()));

    auto* keysRow = menu.rows()[0];
    auto* mediaRow = menu.rows()[1];
    auto* plainRow = menu.rows()[2];
    hover(keysRow, QPoint(30, 19));
    ASSERT_TRUE(keysRow->mouseInView());
    ASSERT_TRUE(keys->isShown());
    // The sub-menu opens at the row's top-right corner, one level deeper.
    EXPECT_EQ(keys->popover()->popoverWindow()->pos(), keysRow->mapToGlobal(QPoint(150, 0)));
    EXPECT_GT(keys->popover()->mHierarchy, 1);
    // A repeated enter on the hovered row (window systems send one when a
    // window opens or closes under the pointer) leaves the sub-menu as it is.
    ShowCounter shows(keys->popover()->popoverWindow());
    keysRow->mouseEntered();
    EXPECT_TRUE(keys->isShown());
    EXPECT_EQ(shows.count, 0);

    // A plain row leaves the open sub-menu alone.
    hover(plainRow, QPoint(30, 19));
    EXPECT_TRUE(plainRow->mouseInView());
    EXPECT_TRUE(keys->isShown());

    // Another row with a sub-menu closes the first one and opens its own.
    hover(mediaRow, QPoint(30, 19));
    EXPECT_FALSE(keys->isShown());
    EXPECT_TRUE(media->isShown());
    EXPECT_FALSE(keysRow->mouseInView());

    // Into the sub-menu (off the menu's right edge): it stays open.
    mediaRow->handleExit(mediaRow->mapToGlobal(QPoint(170, 19)));
    EXPECT_TRUE(media->isShown());
    EXPECT_TRUE(mediaRow->mouseInView());
    // Off the top of the menu, above the row: the sub-menu closes.
    mediaRow->handleExit(menu.getMenuView()->mapToGlobal(QPoint(30, -15)));
    EXPECT_FALSE(media->isShown());
    EXPECT_FALSE(mediaRow->mouseInView());

    // A disabled row never opens its sub-menu.
    menu.enableMenuItem(FunctionItem::RegistKey, false);
    keysRow->mouseEntered();
    EXPECT_FALSE(keys->isShown());
    EXPECT_FALSE(keysRow->mouseInView());

    menu.closeAllPopover();
    EXPECT_FALSE(menu.isShown());
}

TEST_F(MenuTest, AButtonMenuOpensItsSubMenuOnlyWhileItsOwnButtonIsHovered)
{
    // The buttons' menu: rows Button1 and Button3, each with the button's
    // own menu; button 3's menu has a sub-menu of functions.
    auto tabMenu = std::make_unique<TabMenuView>(QRectF(0, 0, 400, 300), QPointF(0, 0), 150, false,
                                                 ButtonNo::None, nullptr);
    auto functions = popoverMenu({FunctionItem::LeftClick}, ButtonNo::Button3);
    auto button1 = popoverMenu({FunctionItem::SwapButton2}, ButtonNo::Button1, tabMenu.get());
    TabMenuView button3(QRectF(0, 0, 400, 300), QPointF(0, 0), 150, false, ButtonNo::Button3, tabMenu.get());
    button3.appendItem(FunctionItem::FunctionSwitching, ButtonAssignCode::None, QStringLiteral("Functions"),
                       true, functions.get());
    button3.updateMenu();
    button3.createPopover();
    tabMenu->appendItem(FunctionItem::Button1, ButtonAssignCode::None, QStringLiteral("1"), true, button1.get());
    tabMenu->appendItem(FunctionItem::Button3, ButtonAssignCode::None, QStringLiteral("3"), true, &button3);
    tabMenu->updateMenu();
    tabMenu->createPopover();
    tabMenu->popover()->displayPopoverInWindow(&window, QPoint(0, 0), 1);

    auto* functionsRow = button3.rows()[0];
    ASSERT_EQ(functionsRow->parentMenu, tabMenu.get());
    // The tab menu's pointer is on button 1: button 3's sub-menu stays shut.
    tabMenu->rows()[0]->setMouseInView(true);
    functionsRow->mouseEntered();
    EXPECT_FALSE(functions->isShown());
    EXPECT_FALSE(functionsRow->showSunMenu);
    // On button 3 itself it opens.
    tabMenu->rows()[0]->setMouseInView(false);
    tabMenu->rows()[1]->setMouseInView(true);
    functionsRow->mouseEntered();
    EXPECT_TRUE(functions->isShown());
    tabMenu->closeAllPopover();
    button3.closeAllPopover();
    EXPECT_FALSE(functions->isShown());
}

TEST_F(MenuTest, RowsLightUpOnlyWhenEnabledAndSelectedRowsStayBright)
{
    auto menu = popoverMenu({FunctionItem::Copy, FunctionItem::Cut, FunctionItem::Paste});
    menu->popover()->displayPopoverInWindow(&window, QPoint(100, 50), 1);
    auto* panel = menu->getMenuView();
    // The panel's top band darkens to black; below it the panel colour.
    EXPECT_LT(pixel(panel, 60, 0).red(), 12);
    EXPECT_EQ(pixel(panel, 5, 30), QColor(53, 47, 45));

    auto* hovered = menu->rows()[1];
    hover(hovered, QPoint(5, 19));
    EXPECT_EQ(pixel(panel, 3, hovered->y() + 3), QColor(114, 110, 109));

    auto* disabled = menu->rows()[2];
    menu->enableMenuItem(FunctionItem::Paste, false);
    hover(disabled, QPoint(5, 19));
    EXPECT_FALSE(disabled->mouseInView());
    EXPECT_EQ(pixel(panel, 3, disabled->y() + 3), QColor(53, 47, 45));

    // Selected, with the pointer on it: the selection fill and dark text.
    menu->selectMenuItem(FunctionItem::Cut, true);
    menu->checkMenuItem(FunctionItem::Cut, true);
    hovered->setHasSubMenu(true);
    hovered->setMouseInView(true);
    const QImage image = hovered->grab().toImage();
    EXPECT_EQ(image.pixelColor(3, 3), QColor(200, 200, 200));
    // The title, the check mark at the left and ">" at the right are all
    // drawn dark on the light fill.
    auto darkest = [&](int x0, int x1) {
        int dark = 255;
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < image.height(); ++y)
                dark = std::min(dark, qGray(image.pixel(x, y)));
        return dark;
    };
    EXPECT_LT(darkest(0, 16), 100);
    EXPECT_LT(darkest(40, 80), 100);
    EXPECT_LT(darkest(100, 120), 100);
}
