// The support link of the no-device view, used as the user sees it: drawn in
// the link font and colours, exactly as wide as its text and centred, opening
// the support page on a click, and on nothing else (a press dragged out and
// back in, a click on the message or the background).
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

bool near(const QColor& a, const QColor& b, int tolerance = 4)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether the link's text (above its underline) shows `colour` somewhere.
bool textShows(QWidget* link, const QColor& colour)
{
    const QImage image = link->grab().toImage();
    for (int y = 0; y < image.height() - 14; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixelColor(x, y), colour))
                return true;
    return false;
}

void moveHeld(QWidget* w, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

TEST(NoDeviceLink, DrawnAsTheLinkAndOpensThePageOnlyForAPressThatStayedOnIt)
{
    HarnessOptions o;
    o.keyboard = false;
    o.mouse = false;
    AppHarness app(o);
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    std::vector<QString> opened;
    uitest::WindowProbe::setOpenUrl(main, [&](const QString& url) { opened.push_back(url); });
    KeyboardErrorView* view = uitest::WindowProbe::window(main).keyboardErrorView;
    ASSERT_FALSE(view->isHidden());

    const QString text = platform::localizedString(QStringLiteral("JumpToKolventraSupportPage"));
    QWidget* link = nullptr;
    for (QWidget* w : view->findChildren<QWidget*>())
        if (w->accessibleName() == text)
            link = w;
    ASSERT_NE(link, nullptr);

    // The size-28 font, as wide as the text and centred where the layout
    // puts the link.
    QFont font;
    font.setPixelSize(28);
    EXPECT_NEAR(link->width(), QFontMetricsF(font).size(0, text).width(), 1.0);
    EXPECT_NEAR(link->geometry().center().x(), layout::kDeviceNotFoundLink.center().x(), 1.0);

    // Colours: normal, under the pointer, pressed.
    const QColor normal(141, 179, 226), hover(116, 143, 176), pressed(109, 131, 160);
    const QPoint inside(link->width() / 2, link->height() / 3);
    EXPECT_TRUE(textShows(link, normal));
    QTest::mouseMove(link, inside);
    EXPECT_TRUE(textShows(link, hover));
    EXPECT_FALSE(textShows(link, normal));
    QTest::mousePress(link, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(textShows(link, pressed));

    // Dragged out and back in before the release: no click.
    moveHeld(link, QPoint(link->width() + 40, inside.y()));
    moveHeld(link, inside);
    QTest::mouseRelease(link, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(opened.empty());

    // The message and the background are no link.
    QTest::mouseClick(view->deviceNotFountLabel, Qt::LeftButton);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(link->x() - 30, link->geometry().center().y()));
    EXPECT_TRUE(opened.empty());

    // A click that stays on the link opens the support page once.
    QTest::mouseMove(link, inside);
    QTest::mouseClick(link, Qt::LeftButton, {}, inside);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], platform::localizedString(QStringLiteral("WebLink_DeviceFaq")));
}
