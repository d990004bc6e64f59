// Key selection on the keyboard picture, driven by mouse events on the view
// over the shipped JIS keyboard.
#include "KeyboardViewTestSupport.h"

#include "Device/MouseEntry.h"

#include <QPushButton>
#include <QSignalSpy>

namespace {

using kbtest::PictureFixture;

class KeySelection : public PictureFixture {
protected:
    void SetUp() override
    {
        PictureFixture::SetUp();
        loadKeyboard();
    }
};

TEST_F(KeySelection, ClickSelectsTheKeyUnderThePointerAndHandsItOverOnce)
{
    click(centreOf(QStringLiteral("W")));
    ASSERT_EQ(delegate.views.size(), 1u);
    EXPECT_EQ(delegate.views[0], view.get());
    EXPECT_EQ(delegate.selections[0], QStringList{QStringLiteral("W")});
    // Cleared right after the hand-over.
    EXPECT_FALSE(anySelected());
    EXPECT_TRUE(view->keyboardCropView()->indexSetToReturn().empty());

    // A key without per-key settings (code 255) is selected like any other.
    EXPECT_EQ(key(QStringLiteral("Mute")).code, KeytopEntry::kNoKeyCode);
    click(centreOf(QStringLiteral("Mute")));
    ASSERT_EQ(delegate.selections.size(), 2u);
    EXPECT_EQ(delegate.selections[1], QStringList{QStringLiteral("Mute")});
}

TEST_F(KeySelection, BandSelectsTheKeysItTouches)
{
    // From the middle of Q to the middle of T, a few points down: one row.
    const QPoint from = centreOf(QStringLiteral("Q"));
    const QPoint to = centreOf(QStringLiteral("T")) + QPoint(0, 4);
    press(from);
    dragTo(to);
    // While the button is held the keys in the band are marked and framed.
    EXPECT_TRUE(key(QStringLiteral("E")).select);
    EXPECT_FALSE(view->keyboardCropView()->indexSetToReturn().empty());
    release(to);
    ASSERT_EQ(delegate.selections.size(), 1u);
    EXPECT_EQ(delegate.selections[0],
              (QStringList{"Q", "W", "E", "R", "T"}));
    EXPECT_FALSE(anySelected());

    // Dragging back shrinks the band: keys are tested afresh on every move.
    press(from);
    dragTo(to);
    dragTo(centreOf(QStringLiteral("W")) + QPoint(0, 4));
    release(centreOf(QStringLiteral("W")) + QPoint(0, 4));
    EXPECT_EQ(delegate.selections.back(), (QStringList{"Q", "W"}));
}

TEST_F(KeySelection, MoveRedrawsOnlyWhereTheSelectionChanged)
{
    const QPoint from = centreOf(QStringLiteral("Q"));
    press(from);
    dragTo(centreOf(QStringLiteral("W")) + QPoint(0, 4));
    dragTo(centreOf(QStringLiteral("E")) + QPoint(0, 4));
    const QRectF changed = view->keyboardCropView()->changedArea();
    EXPECT_TRUE(changed.contains(widgetRect(key("E").keytop[0])));
    EXPECT_FALSE(changed.intersects(widgetRect(key("Q").keytop[0])));
    EXPECT_FALSE(changed.intersects(widgetRect(key("P").keytop[0])));
    // A move that changes no key redraws nothing.
    dragTo(centreOf(QStringLiteral("E")) + QPoint(1, 5));
    EXPECT_TRUE(view->keyboardCropView()->changedArea().isEmpty());
    release(centreOf(QStringLiteral("E")));
}

TEST_F(KeySelection, BandWithoutHeightTestsOnlyItsCorner)
{
    const QPoint from = centreOf(QStringLiteral("Q"));
    QPoint to = centreOf(QStringLiteral("T"));
    to.setY(from.y());
    drag(from, to);
    ASSERT_EQ(delegate.selections.size(), 1u);
    EXPECT_EQ(delegate.selections[0], QStringList{QStringLiteral("Q")});
    // Dragged leftwards, the corner is the left end: the key there.
    drag(to, from);
    EXPECT_EQ(delegate.selections.back(), QStringList{QStringLiteral("Q")});
}

TEST_F(KeySelection, PushButtonModeKeepsTheFirstKey)
{
    AppParam::appCropMode = CropMode::PushButton;
    drag(centreOf(QStringLiteral("Q")), centreOf(QStringLiteral("T")) + QPoint(0, 4));
    ASSERT_EQ(delegate.selections.size(), 1u);
    EXPECT_EQ(delegate.selections[0], QStringList{QStringLiteral("Q")});
}

TEST_F(KeySelection, NothingIsSelectedWhenThePanelDoesNotAllowIt)
{
    AppParam::appCropMode = CropMode::None;
    drag(centreOf(QStringLiteral("Q")), centreOf(QStringLiteral("T")) + QPoint(0, 4));
    EXPECT_FALSE(view->isMouseCaptured());

    AppParam::appCropMode = CropMode::Area;
    AppParam::paintColor = AppColor::clear();
    click(centreOf(QStringLiteral("Q")));
    EXPECT_FALSE(view->isMouseCaptured());

    // Outside the selection area (above it, in the header).
    AppParam::paintColor = AppColor::opaqueRed();
    click(QPoint(500, 20));
    EXPECT_FALSE(view->isMouseCaptured());
    // Other buttons never select.
    QTest::mouseClick(view.get(), Qt::RightButton, {}, centreOf(QStringLiteral("Q")));

    EXPECT_TRUE(delegate.views.empty());
    EXPECT_FALSE(anySelected());
}

TEST_F(KeySelection, PanelControlsAboveThePictureGetTheirClicks)
{
    // A panel control placed over keys (the key-lock switch, say).
    QPushButton control(view.get());
    control.setGeometry(QRect(centreOf(QStringLiteral("Q")) - QPoint(10, 10), QSize(20, 20)));
    control.show();
    QSignalSpy clicked(&control, &QPushButton::clicked);
    QSignalSpy pressed(view.get(), &KeyboardView::pressed);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(delegate.views.empty());
    EXPECT_EQ(pressed.count(), 0);
    // A press on the picture itself is reported, whether it selects or not.
    AppParam::appCropMode = CropMode::None;
    click(centreOf(QStringLiteral("W")));
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(KeySelection, WithAMouseConnectedNothingCanBeSelected)
{
    AppParam::device = std::make_shared<MouseEntry>();
    EXPECT_FALSE(view->keyboardCropView()->setCrop(QPointF(0, 0), QPointF(1000, 700)));
    click(QPoint(500, 400));
    // The gesture runs but hands over an empty selection.
    ASSERT_EQ(delegate.selections.size(), 1u);
    EXPECT_TRUE(delegate.selections[0].isEmpty());
    EXPECT_EQ(kbtest::PictureFixture::renderLayer(view->keyboardIlluminationView()).pixelColor(500, 300).alpha(), 0);
}

TEST_F(KeySelection, DeviceReplacedDuringTheHandOverIsLeftClean)
{
    // The panel's command fails and the recovery connects a new keyboard.
    auto replacement = std::make_shared<KeyboardEntry>();
    ASSERT_EQ(replacement->loadProfile(kbtest::shippedPackage(shipped::kModels[0])), AppError::NoError);
    for (KeytopEntry& k : replacement->keytopList)
        k.select = true;
    delegate.then = [&] { AppParam::device = replacement; };
    click(centreOf(QStringLiteral("W")));
    ASSERT_EQ(delegate.selections.size(), 1u);
    for (const KeytopEntry& k : replacement->keytopList)
        EXPECT_FALSE(k.select) << qPrintable(k.name);
}

TEST_F(KeySelection, ViewDeletedDuringTheHandOverIsNotTouched)
{
    // The recovery rebuilds the window and the picture goes with it.
    delegate.then = [&] { view.reset(); };
    QTest::mousePress(view.get(), Qt::LeftButton, {}, centreOf(QStringLiteral("W")));
    KeyboardView* raw = view.get();
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(centreOf(QStringLiteral("W"))),
                   raw->mapToGlobal(QPointF(centreOf(QStringLiteral("W")))), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(raw, &up);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(delegate.selections.size(), 1u);
}

TEST_F(KeySelection, PanelSwitchClearsASelectionInProgress)
{
    press(centreOf(QStringLiteral("W")));
    ASSERT_TRUE(key(QStringLiteral("W")).select);
    view->clearSelection();
    EXPECT_FALSE(anySelected());
    EXPECT_TRUE(view->keyboardCropView()->indexSetToReturn().empty());
}

} // namespace
