// The dialog mask over the main window: which parts of the window it covers
// for a keyboard and for a mouse, that it swallows clicks, that a second
// request only brings it to the front, and that connecting the other kind of
// device while it is up fits its tab part to that kind's tab row.
#include "AppParam.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/MainTabView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {

// The rectangle of a widget in the main view's coordinates.
QRect inMain(MainViewController& main, QWidget* w)
{
    return QRect(w->mapTo(uitest::WindowProbe::window(main).mainView, QPoint(0, 0)), w->size());
}

// The mask part under a point of the main view (null when the mask is not
// there).
BackgroundView* maskPartAt(MainViewController& main, QPoint p)
{
    QWidget* w = uitest::WindowProbe::window(main).mainView->childAt(p);
    auto* part = qobject_cast<BackgroundView*>(w);
    return part && part->parentWidget() == uitest::WindowProbe::window(main).maskView ? part : nullptr;
}

apptest::HarnessOptions devicesRemembering(bool keyboard, bool mouse)
{
    return apptest::devices(keyboard, mouse,
                            keyboard ? int32_t(apptest::kKeyboardLocation) : int32_t(apptest::kMouseLocation));
}

} // namespace

TEST(DialogMask, CoversTheTabsOfTheDeviceTheButtonsAndTheBodyButNotTheHeader)
{
    for (const bool mouse : {false, true}) {
        AppHarness app(devicesRemembering(!mouse, mouse));
        ASSERT_TRUE(app.start());
        MainViewController& main = app.controller();
        main.setDialogMask(true);
        ASSERT_TRUE(uitest::WindowProbe::window(main).maskView);

        MainTabView* lastTab = mouse ? uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting) : uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting);
        const QRect last = inMain(main, lastTab);
        const QRect load = inMain(main, uitest::WindowProbe::window(main).loadProfileButton);
        const QRect apc = inMain(main, uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
        auto* tabPart = maskPartAt(main, last.center());
        ASSERT_NE(tabPart, nullptr) << mouse;
        EXPECT_EQ(tabPart->nameInfo, QStringLiteral("tabAreaView"));
        EXPECT_EQ(tabPart->backgroundColor(), QColor(56, 56, 56, 160));
        EXPECT_EQ(maskPartAt(main, apc.center()), tabPart);
        // The tab part ends with the last tab of the device's row.
        EXPECT_EQ(maskPartAt(main, QPoint(last.right() + 2, last.center().y())), nullptr);
        auto* buttonPart = maskPartAt(main, load.center());
        ASSERT_NE(buttonPart, nullptr);
        EXPECT_EQ(buttonPart->backgroundColor(), QColor(0, 0, 0, 153));
        // With nothing to store the store button is hidden and the tab bar
        // shows where it would be; shown, it is tinted with the others.
        const QPoint store = inMain(main, uitest::WindowProbe::window(main).sendButton).topLeft() + QPoint(1, 1);
        ASSERT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
        EXPECT_EQ(maskPartAt(main, store), nullptr);
        auto* bodyPart = maskPartAt(main, QPoint(uitest::WindowProbe::window(main).mainView->width() / 2, uitest::WindowProbe::window(main).mainView->height() - 5));
        ASSERT_NE(bodyPart, nullptr);
        EXPECT_NE(bodyPart, tabPart);
        // The header above the tab row stays clear.
        EXPECT_EQ(maskPartAt(main, QPoint(5, apc.top() - 5)), nullptr);
        EXPECT_GE(uitest::WindowProbe::window(main).maskView->geometry().top(), apc.top() - 1);
        EXPECT_LE(uitest::WindowProbe::window(main).maskView->geometry().top(), apc.top());

        main.setDialogMask(false);
        AppParam::keyboardSettingsChanged = true;
        main.updateKeyboardSettingsChanged();
        main.setDialogMask(true);
        ASSERT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());
        EXPECT_EQ(maskPartAt(main, store), maskPartAt(main, load.center()));
        AppParam::keyboardSettingsChanged = false;
    }
}

TEST(DialogMask, SwallowsClicksAndIsBuiltOnce)
{
    AppHarness app(devicesRemembering(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    QSignalSpy loads(uitest::WindowProbe::window(main).loadProfileButton, &QPushButton::clicked);
    main.setDialogMask(true);
    QPointer<BackgroundView> first = uitest::WindowProbe::window(main).maskView;
    main.setDialogMask(true);
    EXPECT_EQ(uitest::WindowProbe::window(main).maskView, first);
    EXPECT_EQ(uitest::WindowProbe::window(main).mainView->findChildren<BackgroundView*>(QStringLiteral("maskView")).size(), 1);
    const QRect load = inMain(main, uitest::WindowProbe::window(main).loadProfileButton);
    QTest::mouseClick(uitest::WindowProbe::window(main).mainView->childAt(load.center()), Qt::LeftButton);
    EXPECT_EQ(loads.count(), 0);

    main.setDialogMask(false);
    EXPECT_FALSE(uitest::WindowProbe::window(main).maskView);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(uitest::WindowProbe::window(main).mainView->findChildren<BackgroundView*>(QStringLiteral("maskView")).size(), 0);
    EXPECT_EQ(maskPartAt(main, load.center()), nullptr);
}

TEST(DialogMask, ConnectingAMouseUnderTheMaskFitsTheTabPart)
{
    AppHarness app(devicesRemembering(true, true));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    main.setDialogMask(true);
    const QRect keyboardLast = inMain(main, uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting));
    const QRect mouseLast = inMain(main, uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
    ASSERT_NE(keyboardLast.right(), mouseLast.right());
    auto* tabPart = maskPartAt(main, inMain(main, uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting)).center());
    ASSERT_NE(tabPart, nullptr);
    const int keyboardWidth = tabPart->width();
    uitest::WindowProbe::updateDialogMask(main, DeviceType::Mouse);
    EXPECT_EQ(tabPart->width(), mouseLast.right() + 1 - uitest::WindowProbe::window(main).maskView->mapTo(uitest::WindowProbe::window(main).mainView, QPoint(0, 0)).x());
    EXPECT_NE(tabPart->width(), keyboardWidth);
    uitest::WindowProbe::updateDialogMask(main, DeviceType::Keyboard);
    EXPECT_EQ(tabPart->width(), keyboardWidth);
    // Without a mask nothing happens.
    main.setDialogMask(false);
    uitest::WindowProbe::updateDialogMask(main, DeviceType::Mouse);
    EXPECT_FALSE(uitest::WindowProbe::window(main).maskView);
}
