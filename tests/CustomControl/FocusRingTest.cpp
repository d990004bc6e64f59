// The keyboard focus on the drawn controls: each one that can take the focus
// shows the ring while it has it, and only then, at scale 1 and 2; the drawn
// views that are not buttons (tabs, the link, the round colour button) are
// reached with Tab and pressed with Space or Enter, a disabled tab is passed
// over.
#include "AppParam.h"
#include "CustomControl/FocusRing.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/NKButtonView.h"
#include "Dialog/ModalDialog.h"
#include "FunctionPanel/MousePanelControls.h"
#include "UiLayout.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace {

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// The control painted as it is now at `ratio` image pixels per point, over
// the dark window ground.
QImage paint(QWidget* widget, qreal ratio)
{
    QImage image((QSizeF(widget->size()) * ratio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(26, 26, 26));
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The ring's colour shows in the middle of the control's left and top
// edges (the middle of the ring's outer line, one point in).
bool showsRing(QWidget* widget, qreal ratio)
{
    const QImage image = paint(widget, ratio);
    const int in = int(ratio);
    const QColor ring = ui::focusRingColor();
    return near(image.pixelColor(in, image.height() / 2), ring, 12)
        && near(image.pixelColor(image.width() / 4, in), ring, 12);
}

struct Reports : onMainTabViewDelegate, NKLinkViewDelegate, NKButtonViewDelegate {
    void clickTab(QObject* id) override { events.push_back({"tab", id}); }
    void clickTabMenuIcon(QObject* id) override { events.push_back({"menu", id}); }
    void mouseUpLinkView(QObject* id) override { events.push_back({"link", id}); }
    void mouseDownButtonView(QObject* id) override { events.push_back({"colour", id}); }
    std::vector<std::pair<std::string, QObject*>> events;
};

class FocusRing : public ::testing::TestWithParam<qreal> {
protected:
    void SetUp() override
    {
        window.resize(600, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
};

} // namespace

TEST_P(FocusRing, EveryDrawnControlShowsTheRingOnlyWhileItHasTheFocus)
{
    const qreal ratio = GetParam();
    auto place = [&](QWidget* w, QRect frame) {
        w->setGeometry(frame);
        w->show();
        return w;
    };
    auto* button = new NKButton(QStringLiteral("\u2715"), &window);
    button->setColors(QColor(102, 102, 102), QColor(92, 92, 92));
    auto* swatch = new NKColorButton(&window);
    swatch->setBackgroundColor(QColor(240, 240, 240)); // the ring must show on white too
    auto* icon = new NKIconButton(&window);
    auto* box = new NKCheckBox(QStringLiteral("Overwrite"), &window);
    box->setChecked(true);
    auto* radio = new NKRadioButton(QStringLiteral("Middle"), &window);
    auto* colour = new NKButtonView(&window);
    colour->setButtonColor(QColor(255, 0, 0));
    colour->setStringValue(QStringLiteral("Red"));
    auto* tab = new MainTabView(&window);
    tab->setTitle(QStringLiteral("APC"));
    tab->setTabStatus(TabStatus::notActive);
    auto* lockSwitch = new ImageStateButton(ImageStateButton::Kind::Switch, &window);
    lockSwitch->setText(QStringLiteral("Key lock"));
    // At its size hint the title ends clear of the ring.
    lockSwitch->setImage(QPixmap(40, 20));
    EXPECT_GE(lockSwitch->sizeHint().width(), 40 + layout::kIndicatorTitleGap + ui::focusRingWidth()
                                                  + QFontMetricsF(lockSwitch->font()).horizontalAdvance(lockSwitch->text()));
    // A dialog button, whose look comes from a style sheet.
    auto* dialogButton = new QPushButton(QStringLiteral("OK"), &window);
    ModalDialog::styleButton(dialogButton, AppParam::OKButtonColor, AppParam::OKButtonHighlightColor);

    const std::vector<std::pair<const char*, QWidget*>> controls{
        {"button", place(button, {10, 10, 30, 30})},
        {"colour swatch", place(swatch, {50, 10, 40, 24})},
        {"image button", place(icon, {100, 10, 32, 32})},
        {"check box", place(box, QRect(QPoint(10, 60), box->sizeHint()))},
        {"radio button", place(radio, QRect(QPoint(150, 60), radio->sizeHint()))},
        {"round colour button", place(colour, {10, 110, 56, 56})},
        {"tab", place(tab, {10, 200, 180, 48})},
        {"switch", place(lockSwitch, {300, 60, 120, 24})},
        {"dialog button", place(dialogButton, {300, 110, 96, 28})},
    };
    for (const auto& [name, control] : controls) {
        control->clearFocus();
        EXPECT_FALSE(showsRing(control, ratio)) << name << " without the focus";
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus()) << name;
        EXPECT_TRUE(showsRing(control, ratio)) << name << " with the focus";
    }
}

// The link is exactly as wide as its text: its ring goes around it, on the
// window beneath, and leaves the text and its underline clear.
TEST_P(FocusRing, LinkRingGoesAroundItClearOfTheText)
{
    const qreal ratio = GetParam();
    auto* link = new NKLinkView(&window);
    link->setStringValue(QStringLiteral("Support"));
    const int textWidth = int(std::ceil(link->getTextSize().width()));
    link->setGeometry(100, 110, textWidth, 38);
    link->show();
    const QRect around = ui::focusRingAroundArea(link, layout::kLinkFocusRingGap);
    ASSERT_TRUE(around.contains(link->geometry()));
    // Ring colour in the link's own box, and one point inside the left and
    // top edges of the area around it.
    const auto look = [&] {
        const QImage image = paint(&window, ratio);
        const QColor ring = ui::focusRingColor();
        const auto at = [&](int x, int y) { return near(image.pixelColor(QPoint(x, y) * ratio), ring, 12); };
        bool inside = false;
        for (int y = link->y(); y < link->geometry().bottom(); ++y)
            for (int x = link->x(); x < link->geometry().right(); ++x)
                inside = inside || at(x, y);
        return std::make_tuple(inside, at(around.left() + 1, around.center().y()),
                               at(around.center().x(), around.top() + 1));
    };
    link->clearFocus();
    EXPECT_EQ(look(), std::make_tuple(false, false, false));
    link->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(link->hasFocus());
    EXPECT_EQ(look(), std::make_tuple(false, true, true));
}

INSTANTIATE_TEST_SUITE_P(Scales, FocusRing, ::testing::Values(1.0, 2.0),
                         [](const ::testing::TestParamInfo<qreal>& info) {
                             return info.param > 1 ? std::string("Double") : std::string("Single");
                         });

TEST(FocusKeys, TabReachesTheDrawnViewsAndSpaceOrEnterPressesThem)
{
    const FunctionTab savedTab = AppParam::functionTabSelect;
    AppParam::functionTabSelect = FunctionTab::ApcSetting;
    QWidget window;
    window.resize(600, 200);
    Reports reports;
    auto* start = new QLineEdit(&window);
    start->setGeometry(10, 10, 100, 24);
    auto* tab = new MainTabView(&window);
    tab->setGeometry(10, 40, 180, 48);
    tab->setFunction(FunctionTab::GamingSetting);
    tab->setDelegate(&reports);
    auto* disabled = new MainTabView(&window);
    disabled->setGeometry(200, 40, 180, 48);
    disabled->setFunction(FunctionTab::OtherSetting);
    disabled->setDelegate(&reports);
    disabled->setTabEnabled(false);
    auto* link = new NKLinkView(&window);
    link->setGeometry(10, 100, 160, 40);
    link->setStringValue(QStringLiteral("Support"));
    link->setDelegate(&reports);
    auto* colour = new NKButtonView(&window);
    colour->setGeometry(200, 100, 56, 56);
    colour->setDelegate(&reports);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    start->setFocus();
    ASSERT_TRUE(start->hasFocus());

    auto tabOn = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
    tabOn();
    ASSERT_TRUE(tab->hasFocus());
    QTest::keyClick(tab, Qt::Key_Space);
    tabOn(); // past the disabled tab
    ASSERT_TRUE(link->hasFocus());
    QTest::keyClick(link, Qt::Key_Return);
    tabOn();
    ASSERT_TRUE(colour->hasFocus());
    QTest::keyClick(colour, Qt::Key_Space);
    // Other keys do nothing.
    QTest::keyClick(colour, Qt::Key_A);

    const std::vector<std::pair<std::string, QObject*>> expected{{"tab", tab}, {"link", link}, {"colour", colour}};
    EXPECT_EQ(reports.events, expected);
    AppParam::functionTabSelect = savedTab;
}

// A square ring on whole device pixels is drawn by a quicker road than a
// stroke; its pixels are the stroke's own, on any ground, at any whole
// ratio, place and offset, but for the rounding of a last bit where the thin inner
// line's two strokes meet at scale 1. (A clip sends the ring down the
// stroke's road.)
TEST(FocusRingPixels, SquareRingOnWholePixelsIsTheStrokedRing)
{
    // Both of one size and format: the largest difference of a byte.
    const auto largestDifference = [](const QImage& a, const QImage& b) {
        int largest = 0;
        for (qsizetype i = 0; i < a.sizeInBytes(); ++i)
            largest = std::max(largest, std::abs(int(a.constBits()[i]) - int(b.constBits()[i])));
        return largest;
    };
    const QColor grounds[] = {QColor(26, 26, 26), QColor(240, 240, 240), QColor(255, 0, 0, 128)};
    for (int ratio : {1, 2, 3}) {
        for (const QColor& ground : grounds) {
            for (const QRectF area : {QRectF(0, 0, 140, 40), QRectF(5, 7, 16, 16), QRectF(3, 1, 33, 90)}) {
                const auto draw = [&](bool stroked) {
                    QImage image(QSize(180, 100) * ratio, QImage::Format_ARGB32_Premultiplied);
                    image.setDevicePixelRatio(ratio);
                    image.fill(ground);
                    QPainter painter(&image);
                    painter.translate(2, 3);
                    if (stroked)
                        painter.setClipRect(QRect(QPoint(), image.size()));
                    ui::drawFocusRing(painter, area, 0);
                    return image;
                };
                const QImage quick = draw(false), stroked = draw(true);
                EXPECT_LE(largestDifference(quick, stroked), ratio == 1 ? 1 : 0)
                    << "ratio " << ratio << ", ground " << ground.name(QColor::HexArgb).toStdString() << ", area at "
                    << area.x() << "," << area.y() << " of " << area.width() << "x" << area.height();
            }
        }
    }
}
