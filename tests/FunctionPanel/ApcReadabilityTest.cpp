// The APC panel as a user reads it with the emulated keyboard: after giving
// keys each level (radio, then a click on the key), every key's legend still
// stands out from its tinted cap, and the level radio's indicators stand out
// from the dark ground, chosen or not. Sampled from the painted panel.
#include "FunctionPanel/FunctionApcSettingController.h"
#include "KeyboardPanelTestSupport.h"
#include "support/ui/WindowProbe.h"

#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Relative luminance of a colour (sRGB), 0 for black to 1 for white.
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// How far apart two colours are to the eye: 1 (same) to 21 (black on white).
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The lightest and the middle colour (by luminance) of `area` of `image`.
std::pair<QColor, QColor> lightestAndMedian(const QImage& image, const QRect& area)
{
    std::vector<QColor> seen;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            seen.push_back(image.pixelColor(x, y));
    if (seen.empty())
        return {};
    std::sort(seen.begin(), seen.end(),
              [](const QColor& a, const QColor& b) { return luminance(a) < luminance(b); });
    return {seen.back(), seen[seen.size() / 2]};
}

// The tint still shows on the cap: the tint's strongest channel is clearly
// the cap's strongest too.
bool leansTo(const QColor& cap, const QColor& tint)
{
    const int c[3] = {cap.red(), cap.green(), cap.blue()};
    const int t[3] = {tint.red(), tint.green(), tint.blue()};
    const int strongest = int(std::max_element(t, t + 3) - t);
    for (int i = 0; i < 3; ++i)
        if (i != strongest && c[strongest] < c[i] + 20)
            return false;
    return true;
}

class ApcReadability : public kbpaneltest::KeyboardApp {
protected:
    void SetUp() override
    {
        KeyboardApp::SetUp();
        if (HasFatalFailure())
            return;
        panel = dynamic_cast<FunctionApcSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::ApcSetting));
        ASSERT_NE(panel, nullptr);
        clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
        view = panel->picture();
        ASSERT_TRUE(view && view->isVisible());
        // Separate mode, from the menu under the tab's triangle.
        apptest::clickTabTriangle(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
        ASSERT_TRUE(panel->isMenuViewShown());
        QTest::mouseClick(panel->menuView()->row(FunctionItem::Separate), Qt::LeftButton);
        ASSERT_EQ(panel->selectedMenuItem(), FunctionItem::Separate);
    }

    KeytopEntry& keyNamed(const QString& name)
    {
        for (KeytopEntry& key : current()->keytopList)
            if (key.name == name)
                return key;
        ADD_FAILURE() << "no key " << name.toStdString();
        static KeytopEntry none;
        return none;
    }

    // The panel's picture with everything on it, as on the screen.
    QImage picture() const
    {
        QImage image(view->size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        view->render(&image);
        return image;
    }

    FunctionApcSettingController* panel = nullptr;
    KeyboardView* view = nullptr;
};

} // namespace

TEST_F(ApcReadability, LegendsReadOnEveryLevelTint)
{
    // Level column (0 High, 1 Middle, 2 Low) and the keys given it: letters,
    // and the small word legends of the function row.
    const std::vector<std::pair<int, std::vector<QString>>> plan{
        {2, {"A", "Esc"}}, {1, {"S", "F7"}}, {0, {"D", "F2"}}};
    for (const auto& [column, keys] : plan) {
        QTest::mouseClick(panel->levelCell(column), Qt::LeftButton);
        ASSERT_EQ(panel->selectApcLevel(), FunctionApcSettingController::levelOfColumn(column));
        for (const QString& name : keys)
            clickAt(view, pointOf(view, keyNamed(name)));
    }
    ASSERT_TRUE(sameKeyboard());
    EXPECT_EQ(keyNamed("A").apcLevel, ApcLevel::Low);
    EXPECT_EQ(keyNamed("S").apcLevel, ApcLevel::Middle);
    EXPECT_EQ(keyNamed("D").apcLevel, ApcLevel::High);

    const QImage shown = picture();
    for (const auto& [column, keys] : plan) {
        for (const QString& name : keys) {
            const KeytopEntry& key = keyNamed(name);
            ASSERT_EQ(key.apcLevel, FunctionApcSettingController::levelOfColumn(column)) << name.toStdString();
            // The legend is the lightest ink on the key top, the cap most of it.
            const QRectF top = key.keytop.front();
            const QRect area = QRectF(top.x(), view->flipHeight() - top.bottom(), top.width(), top.height())
                                   .adjusted(3, 3, -3, -3)
                                   .toRect();
            const auto [legend, cap] = lightestAndMedian(shown, area);
            const QColor tint = FunctionApcSettingController::levelColor(key.apcLevel).toQColor();
            EXPECT_TRUE(leansTo(cap, tint)) << name.toStdString() << " cap " << cap.name().toStdString();
            EXPECT_GE(contrast(legend, cap), 4.5)
                << name.toStdString() << ": legend " << legend.name().toStdString() << " on "
                << cap.name().toStdString();
        }
    }
}

TEST_F(ApcReadability, LevelIndicatorsStandOutFromTheGroundChosenOrNot)
{
    QTest::mouseClick(panel->levelCell(1), Qt::LeftButton);
    ASSERT_TRUE(panel->levelCell(1)->isChecked());
    panel->levelCell(1)->clearFocus(); // the focus ring is another matter
    const QImage shown = picture();
    for (int column = 0; column < 3; ++column) {
        QRadioButton* cell = panel->levelCell(column);
        // The indicator sits at the cell's left, before its title.
        const QRect cellArea(cell->mapTo(view, QPoint(0, 0)), cell->size());
        const QRect indicator(cellArea.left(), cellArea.top(), 20, cellArea.height());
        const auto [lightest, ground] = lightestAndMedian(shown, indicator);
        EXPECT_GE(contrast(lightest, ground), 3.0)
            << "column " << column << ": " << lightest.name().toStdString() << " on "
            << ground.name().toStdString();
    }
}
