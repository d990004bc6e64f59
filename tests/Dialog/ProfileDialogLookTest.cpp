// What a user sees of the profile dialogs' check boxes, fields and lists, at
// scale 1 and 2: a ticked box shows a tick, a title never loses letters
// whatever the state of its box, and the texts of fields and lists keep
// clear of their edges. Sampled from the painted controls.
#include "Dialog/DialogProfileLoad.h"
#include "Dialog/DialogProfileSave.h"
#include "ProfileDialogFixture.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QTableView>

#include <optional>

namespace {

using namespace dlgtest;

// The dialogs' ground.
const QColor kGround(48, 48, 48);

// `widget` as it paints now, at `ratio` image pixels per point.
QImage paint(QWidget* widget, qreal ratio)
{
    QImage image((QSizeF(widget->size()) * ratio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(kGround);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The bounding box, in image pixels, of the pixels in `area` at least as
// light as `level`; empty when there are none.
QRect lightArea(const QImage& image, const QRect& area, int level)
{
    QRect box;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(image.pixel(x, y)) >= level)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

int lightCount(const QImage& image, const QRect& area, int level)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += qGray(image.pixel(x, y)) >= level;
    return count;
}

int darkest(const QImage& image, const QRect& area)
{
    int dark = 255;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            dark = std::min(dark, qGray(image.pixel(x, y)));
    return dark;
}

// Where a check box's title lies, in points: right of the box.
constexpr int kTitleLeft = 22;

class ProfileDialogLook : public KeyboardFixture, public ::testing::WithParamInterface<qreal> {
protected:
    qreal ratio() const { return GetParam(); }
    int px(qreal points) const { return int(points * ratio()); }

    // The title ink of a check box at its laid-out width, and with ample
    // room to its right: the same when nothing is clipped.
    std::pair<int, int> titleInk(QCheckBox* box)
    {
        const QSize laidOut = box->size();
        const auto ink = [&] {
            const QImage image = paint(box, ratio());
            return lightCount(image, QRect(px(kTitleLeft), 0, image.width(), image.height()), 100);
        };
        const int atLayout = ink();
        box->resize(laidOut.width() + 80, laidOut.height());
        const int ample = ink();
        box->resize(laidOut);
        return {atLayout, ample};
    }
};

} // namespace

TEST_P(ProfileDialogLook, TickedOverwriteBoxShowsATickAndItsWholeTitle)
{
    saveProfile(userFolder + "Office.prf");
    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    ASSERT_TRUE(d);
    d->show();
    QCheckBox* box = d->checkOverWiteButton();
    ASSERT_TRUE(box->isEnabled());

    const auto [offShown, offWhole] = titleInk(box);
    EXPECT_GT(offWhole, 0);
    EXPECT_EQ(offShown, offWhole) << "the title of the empty box is cut";

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    ASSERT_TRUE(d->listboxFileList()->isEnabled()); // overwrite mode
    box->clearFocus();                              // the focus ring is not looked at here
    const QImage image = paint(box, ratio());
    // The ticked box is light; inside its edge lies the dark tick.
    const QRect light = lightArea(image, QRect(0, 0, px(kTitleLeft), image.height()), 180);
    ASSERT_TRUE(light.isValid());
    EXPECT_GE(light.width(), px(10));
    const int edge = px(3);
    EXPECT_LE(darkest(image, light.adjusted(edge, edge, -edge, -edge)), 80) << "no tick";

    const auto [onShown, onWhole] = titleInk(box);
    EXPECT_EQ(onShown, onWhole) << "the title of the ticked box is cut";
}

TEST_P(ProfileDialogLook, LoadBoxesShowTheirWholeTitlesTickedOrNot)
{
    saveProfile(userFolder + "Office.prf");
    std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
    ASSERT_TRUE(d);
    d->show();
    ASSERT_FALSE(d->checkBoxes().empty());
    for (QCheckBox* box : d->checkBoxes()) {
        for (bool ticked : {true, false}) {
            if (box->isChecked() != ticked)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() / 2));
            ASSERT_EQ(box->isChecked(), ticked);
            box->clearFocus();
            const auto [shown, whole] = titleInk(box);
            EXPECT_EQ(shown, whole) << box->text().toStdString() << (ticked ? " ticked" : " empty");
        }
    }
}

TEST_P(ProfileDialogLook, FieldAndListTextsKeepClearOfTheEdges)
{
    saveProfile(userFolder + "Office.prf");
    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    ASSERT_TRUE(d);
    d->show();
    QLineEdit* name = d->profileName();
    ASSERT_FALSE(name->text().isEmpty());
    name->clearFocus(); // no caret in the picture

    // The name's text in its one-line field: room above, below and before it.
    const QImage field = paint(name, ratio());
    const QRect text = lightArea(field, field.rect(), 150);
    ASSERT_TRUE(text.isValid());
    EXPECT_GE(text.top(), px(4)) << "text touches the top edge";
    EXPECT_GE(field.height() - 1 - text.bottom(), px(4)) << "text touches the bottom edge";
    EXPECT_GE(text.left(), px(5));

    // The first row of the list starts its text well inside the list.
    QTableView* list = d->listboxFileList();
    ASSERT_GT(list->model()->rowCount(), 0);
    const QRect row = list->visualRect(list->model()->index(0, 0));
    const QImage rows = paint(list->viewport(), ratio());
    const QRect rowText =
        lightArea(rows, QRect(0, px(row.top()), rows.width(), px(row.height())), 120);
    ASSERT_TRUE(rowText.isValid());
    EXPECT_GE(rowText.left(), px(6)) << "row text sits at the list's edge";
}

INSTANTIATE_TEST_SUITE_P(Scales, ProfileDialogLook, ::testing::Values(1.0, 2.0),
                         [](const ::testing::TestParamInfo<qreal>& info) {
                             return info.param > 1 ? std::string("Double") : std::string("Single");
                         });
