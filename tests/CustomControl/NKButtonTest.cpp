// Pointer moves go to the window under test as window-system events.
#define QTEST_QPA_MOUSE_HANDLING
#include "CustomControl/AppUtilUi.h"
#include "CustomControl/NKButton.h"
#include "UiLayout.h"

#include <QAccessible>
#include <QPainter>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The widget painted on its own over white, without its parent's background.
QImage render(QWidget* widget, const QColor& under = Qt::white)
{
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(under);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The lightest and darkest grey level inside `area`.
std::pair<int, int> greyRange(const QImage& image, const QRect& area)
{
    int light = 0;
    int dark = 255;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const int g = qGray(image.pixel(x, y));
            light = std::max(light, g);
            dark = std::min(dark, g);
        }
    return {light, dark};
}

// Where a check box draws its title: right of the box.
QRect titleArea(const QCheckBox& box)
{
    const int left = box.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &box) +
                     box.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &box);
    return QRect(left, 0, box.width() - left, box.height());
}

// Moves the pointer onto `target`'s centre (window enter, then the move).
void hover(QWidget* target)
{
    QCursor::setPos(target->mapToGlobal(target->rect().center()));
    QTest::mouseMove(target);
}

void away(QWidget* window)
{
    QCursor::setPos(window->mapToGlobal(QPoint(2, 2)));
    QTest::mouseMove(window, QPoint(2, 2));
}

class ButtonTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.setGeometry(0, 0, 300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QWidget window;
};

} // namespace

TEST_F(ButtonTest, FlatButtonLightsUpUnderThePointerOnlyWhileEnabled)
{
    NKButton button(QStringLiteral("OK"), &window);
    button.setGeometry(50, 50, 100, 30);
    button.setColors(QColor(102, 102, 102), QColor(92, 92, 92));
    button.show();
    QSignalSpy clicked(&button, &QPushButton::clicked);

    EXPECT_EQ(render(&button).pixelColor(3, 3), QColor(102, 102, 102));
    hover(&button);
    ASSERT_TRUE(button.mouseInView());
    EXPECT_EQ(render(&button).pixelColor(3, 3), QColor(92, 92, 92));
    // A click keeps the hover look until the pointer leaves.
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(render(&button).pixelColor(3, 3), QColor(92, 92, 92));
    // Disabled under the pointer: the plain fill and a grey title.
    button.setEnabled(false);
    const QImage disabled = render(&button);
    EXPECT_EQ(disabled.pixelColor(3, 3), QColor(102, 102, 102));
    EXPECT_LE(greyRange(disabled, QRect(30, 5, 40, 20)).first, 130);
    button.setEnabled(true);
    EXPECT_GT(greyRange(render(&button), QRect(30, 5, 40, 20)).first, 240); // white title
    away(&window);
    EXPECT_FALSE(button.mouseInView());
    EXPECT_EQ(render(&button).pixelColor(3, 3), QColor(102, 102, 102));
}

TEST_F(ButtonTest, FlatButtonTitleFollowsAlignmentAndColour)
{
    NKButton button(QStringLiteral("Keyboards"), &window);
    button.setGeometry(0, 0, 240, 30);
    button.setColors(Qt::black, Qt::black);
    // The title look that the windows give their buttons.
    AppUtil::setAlignmentButton(&button, Qt::AlignRight, QColor(255, 0, 0));
    const QImage image = render(&button);
    // All of the title stands in the right half, in red, ending as far
    // from the right edge as a fitted button's title does.
    EXPECT_EQ(greyRange(image, QRect(0, 0, 120, 30)).first, 0);
    int lastRed = -1;
    for (int x = 120; x < 240; ++x)
        for (int y = 0; y < 30; ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 40)
                lastRed = x;
        }
    ASSERT_GE(lastRed, 120);
    EXPECT_NEAR(240 - 1 - lastRed, layout::kButtonTitleInset, 1.5);
    // Without the fixed colour the title follows the enabled state again.
    button.setTitleColor(QColor());
    EXPECT_EQ(button.effectiveTitleColor(), QColor(255, 255, 255));
    EXPECT_EQ(button.titleAlignment(), Qt::AlignRight);
    auto name = [&] { return QAccessible::queryAccessibleInterface(&button)->text(QAccessible::Name); };
    EXPECT_EQ(name(), QStringLiteral("Keyboards"));
    button.setText(QStringLiteral("Return"));
    EXPECT_EQ(name(), QStringLiteral("Return"));
}

TEST_F(ButtonTest, ColourSwatchShowsItsChoiceAsTwoOutlines)
{
    NKColorButton swatch(&window);
    swatch.setGeometry(10, 10, 30, 20);
    swatch.setBackgroundColor(QColor(255, 0, 0));
    QImage image = render(&swatch);
    EXPECT_EQ(image.pixelColor(0, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(15, 10), QColor(255, 0, 0));
    // The corners are rounded off.
    EXPECT_GT(image.pixelColor(0, 0).green(), 200);

    swatch.setIsDefault(true);
    image = render(&swatch);
    EXPECT_EQ(image.pixelColor(0, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(1, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(15, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(2, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(15, 10), QColor(255, 0, 0));
}

TEST_F(ButtonTest, CheckBoxTitleIsGreyOnlyWhileOff)
{
    NKCheckBox box(QStringLiteral("Overwrite"), &window);
    box.setTristate(true);
    box.setGeometry(0, 0, 160, 24);
    box.setBackgroundColor(QColor(26, 26, 26));
    box.show();
    const QRect title = titleArea(box);
    auto lightest = [&] { return greyRange(render(&box), title.intersected(box.rect())).first; };

    EXPECT_EQ(render(&box).pixelColor(title.right() - 1, 1), QColor(26, 26, 26));
    EXPECT_LE(lightest(), 130);
    QTest::mouseClick(&box, Qt::LeftButton);
    ASSERT_EQ(box.checkState(), Qt::PartiallyChecked);
    EXPECT_GT(lightest(), 240);
    box.setCheckState(Qt::Checked);
    EXPECT_GT(lightest(), 240);
    // The title keeps the colour of its state when the box is disabled.
    box.setEnabled(false);
    EXPECT_GT(lightest(), 240);
}

TEST_F(ButtonTest, CellStylesColourTitlesOfPlainButtons)
{
    QPushButton push(QStringLiteral("Update"), &window);
    push.setGeometry(0, 0, 120, 30);
    NKButtonCell::apply(&push);
    push.setEnabled(false);
    const QRect label(10, 6, 100, 18);
    EXPECT_LE(greyRange(render(&push), label).second, 130);
    EXPECT_GT(greyRange(render(&push), label).second, 100); // grey, not black

    QCheckBox check(QStringLiteral("APC"), &window);
    check.setGeometry(0, 40, 120, 24);
    NKCheckButtonCell::apply(&check);
    const QRect text = titleArea(check);
    const QColor withBackground = Qt::black;
    EXPECT_LE(greyRange(render(&check, withBackground), text).first, 130);
    check.setChecked(true);
    EXPECT_GT(greyRange(render(&check, withBackground), text).first, 240);
}

TEST_F(ButtonTest, IconButtonDarkensWhileHeld)
{
    NKIconButton button(&window);
    button.setGeometry(0, 0, 20, 20);
    button.show();
    // Without an image: nothing, then only the half-black cover.
    EXPECT_EQ(render(&button).pixelColor(10, 10), QColor(Qt::white));
    QTest::mousePress(&button, Qt::LeftButton);
    QColor held = render(&button).pixelColor(10, 10);
    EXPECT_NEAR(held.red(), 127, 2);
    EXPECT_EQ(held.red(), held.blue());
    QTest::mouseRelease(&button, Qt::LeftButton);

    QPixmap image(20, 20);
    image.fill(QColor(0, 0, 255));
    button.setIcon(QIcon(image));
    EXPECT_EQ(render(&button).pixelColor(10, 10), QColor(0, 0, 255));
    QTest::mousePress(&button, Qt::LeftButton);
    held = render(&button).pixelColor(10, 10);
    EXPECT_EQ(held.red(), 0);
    EXPECT_NEAR(held.blue(), 127, 2);
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(render(&button).pixelColor(10, 10), QColor(0, 0, 255));
}

TEST_F(ButtonTest, SliderBarIsFiveHighWhateverTheGroove)
{
    QSlider slider(Qt::Horizontal, &window);
    slider.setGeometry(0, 0, 200, 40);
    slider.setRange(0, 2);
    slider.setValue(2); // knob at the right end
    NKSliderCell* cell = NKSliderCell::apply(&slider);
    EXPECT_EQ(cell->backgroundColor(), QColor(119, 119, 119));
    cell->setBackgroundColor(QColor(0, 200, 0));
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = Qt::Horizontal;
    option.minimum = 0;
    option.maximum = 2;
    option.sliderPosition = 2;
    option.rect = slider.rect();
    const QRect groove = slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, &slider);
    const QImage image = render(&slider);
    const int x = groove.left() + 10;
    // Inside the bar's five rows: the bar colour; below them: not.
    EXPECT_EQ(image.pixelColor(x, groove.top() + 2), QColor(0, 200, 0));
    EXPECT_EQ(image.pixelColor(x, groove.top() + 4), QColor(0, 200, 0));
    EXPECT_NE(image.pixelColor(x, groove.top() + 6), QColor(0, 200, 0));
    // The value still moves with the keys.
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Left);
    EXPECT_EQ(slider.value(), 1);
}
