// What the keyboard picture draws: key tints by mode, the selection frame,
// and the pictures themselves. Sampled at a few points.
#include "KeyboardViewTestSupport.h"

#include "KeyboardView/KeyboardLegendView.h"

#include <cmath>

namespace {

using kbtest::PictureFixture;

class KeyDrawing : public PictureFixture {
protected:
    void SetUp() override
    {
        PictureFixture::SetUp();
        loadKeyboard();
    }
    QColor tintAt(QPoint at) { return renderLayer(view->keyboardIlluminationView()).pixelColor(at); }
    QColor tintOf(const QString& name) { return tintAt(centreOf(name)); }
    QColor frameAt(QPointF at) { return renderLayer(view->keyboardCropView()).pixelColor(at.toPoint()); }
    // The colour of the frame found in the few pixels just above a
    // rectangle (in widget coordinates), or transparent when there is none.
    QColor ringAbove(const QRectF& r)
    {
        const QImage layer = renderLayer(view->keyboardCropView());
        const int x = int(r.center().x());
        for (int dy = 1; dy <= 5; ++dy) {
            const QColor c = layer.pixelColor(x, int(std::floor(r.top())) - dy);
            if (c.alpha() > 0)
                return c;
        }
        return QColor(Qt::transparent);
    }
};

TEST_F(KeyDrawing, ApcLevelsTintEachKeyInItsColour)
{
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelSeparate;
    key("A").apcLevel = ApcLevel::Low;
    key("S").apcLevel = ApcLevel::Middle;
    key("D").apcLevel = ApcLevel::High;
    key("F").apcLevel = ApcLevel::None;
    const QColor low = tintOf("A"), middle = tintOf("S"), high = tintOf("D");
    EXPECT_GT(low.alpha(), 60);
    EXPECT_GT(low.red(), 200);
    EXPECT_LT(low.green(), 40);
    EXPECT_GT(middle.green(), 200);
    EXPECT_LT(middle.red(), 40);
    EXPECT_GT(high.blue(), 200);
    EXPECT_LT(high.red(), 40);
    EXPECT_EQ(tintOf("F").alpha(), 0);
    // The glow fades towards the key's edge.
    const QRectF a = widgetRect(key("A").keytop[0]);
    EXPECT_LT(tintAt((a.bottomLeft() + QPointF(2, -2)).toPoint()).alpha(), low.alpha());
    // Nothing outside the keys.
    EXPECT_EQ(tintAt(QPoint(3, 3)).alpha(), 0);

    // A key without a level shows the paint colour while it is in the band.
    AppParam::paintColor = AppColor::rgba(1, 1, 0, 1);
    press(centreOf("F"));
    const QColor selected = tintOf("F");
    EXPECT_GT(selected.red(), 200);
    EXPECT_GT(selected.green(), 200);
    EXPECT_LT(selected.blue(), 40);
    release(centreOf("F"));
    EXPECT_EQ(tintOf("F").alpha(), 0);
}

TEST_F(KeyDrawing, KeyLockShowsTheStateTheSelectionWillGive)
{
    AppParam::keyDrawMode = KeyDrawFrom::KeyLock;
    key("Q").lock = KeytopLock::Lock;
    key("W").lock = KeytopLock::Lock;
    EXPECT_GT(tintOf("Q").alpha(), 60);
    EXPECT_EQ(tintOf("E").alpha(), 0);

    // A band over W and E: the locked W turns clear, the unlocked E red;
    // the locked Q outside the band stays red.
    const QPoint from = centreOf("W"), to = centreOf("E") + QPoint(0, 3);
    press(from);
    dragTo(to);
    EXPECT_GT(tintOf("Q").red(), 200);
    EXPECT_EQ(tintOf("W").alpha(), 0);
    EXPECT_GT(tintOf("E").alpha(), 60);
    EXPECT_GT(tintOf("E").red(), 200);
    release(to);
}

TEST_F(KeyDrawing, IndicatorLampsAreNeverTinted)
{
    for (KeyDrawFrom mode : {KeyDrawFrom::KeyLock, KeyDrawFrom::ApcLevelCollective}) {
        AppParam::keyDrawMode = mode;
        for (KeytopEntry& k : keyboard->keytopList) {
            k.lock = KeytopLock::Lock;
            k.select = true;
            if (k.type == KeytopEntryType::LedIndicator) {
                EXPECT_EQ(KeyboardIlluminationView::keyColor(k), AppParam::ColorButtonClear);
                EXPECT_EQ(tintAt(widgetRect(k.keytop[0]).center().toPoint()).alpha(), 0)
                    << qPrintable(k.name);
            }
        }
    }
}

TEST_F(KeyDrawing, LShapedKeyIsLitInsideBothPartsAndTheirOverlap)
{
    KeytopEntry& enter = key("Enter");
    ASSERT_EQ(enter.keytop.size(), 2u);
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelCollective;
    AppParam::paintColor = AppColor::rgba(0, 1, 0, 1);
    const QRectF upper = widgetRect(enter.keytop[0]);
    const QRectF lower = widgetRect(enter.keytop[1]);
    const QRectF overlap = upper.intersected(lower);
    ASSERT_FALSE(overlap.isEmpty());
    // The part of the upper rectangle outside the lower one, and the lower
    // one's own part below the upper.
    const QPointF upperOnly(upper.left() + 3, upper.center().y());
    const QPointF lowerOnly(lower.center().x(), lower.bottom() - 4);
    for (QPointF at : {upperOnly, overlap.center(), lowerOnly})
        EXPECT_GT(tintAt(at.toPoint()).green(), 60) << at.x() << "," << at.y();
}

TEST_F(KeyDrawing, SelectionFrameLiesRoundTheSelectedKeysOnly)
{
    ASSERT_GT(keyboard->cropFrameWidth, 0.0);
    press(centreOf("G"));
    const QRectF frame = widgetRect(key("G").frame[0]);
    const QColor ring = ringAbove(frame);
    EXPECT_EQ(ring.alpha(), 255);
    AppColor expected = keyboard->cropFrameColor;
    expected.alpha = 1;
    EXPECT_EQ(ring.rgb(), expected.toQColor().rgb());
    // The key itself is not covered, nor is its neighbour's ring drawn.
    EXPECT_EQ(frameAt(frame.center()).alpha(), 0);
    const QRectF next = widgetRect(key("J").frame[0]);
    EXPECT_EQ(ringAbove(next).alpha(), 0);
    release(centreOf("G"));
    EXPECT_EQ(ringAbove(frame).alpha(), 0);

    // The key-top picture under the frame layer still shows at the key.
    const QImage whole = view->grab().toImage();
    const QPoint c = frame.center().toPoint();
    EXPECT_EQ(whole.pixelColor(c).rgb(),
              images.keyButton.scaled(whole.size()).pixelColor(c).rgb());
}

TEST_F(KeyDrawing, FrameFollowsTheKeysOfTheBandWhateverTheirOrder)
{
    // A description that lists an indicator lamp with a key-top rectangle
    // before the keys: counting only the keys' frame rectangles would put
    // the frame round the neighbour of the key that was hit.
    auto kb = std::make_shared<KeyboardEntry>();
    kb->cropFrameColor = AppColor::rgba(0, 0, 1, 1);
    kb->cropFrameWidth = 2.0;
    const QRectF lamp(100, 300, 40, 40), first(200, 300, 40, 40), second(300, 300, 40, 40);
    kb->keytopList = {
        KeytopEntry(KeytopEntryType::LedIndicator, "Lamp", 255, 0, {lamp}, {lamp}, {}),
        KeytopEntry(KeytopEntryType::Button, "First", 1, 0, {first}, {first}, {}),
        KeytopEntry(KeytopEntryType::Button, "Second", 2, 0, {second}, {second}, {}),
    };
    AppParam::device = kb;
    press(widgetRect(first).center().toPoint());
    EXPECT_EQ(ringAbove(widgetRect(first)).alpha(), 255);
    EXPECT_EQ(ringAbove(widgetRect(second)).alpha(), 0);
    EXPECT_EQ(ringAbove(widgetRect(lamp)).alpha(), 0);
    release(widgetRect(first).center().toPoint());
    ASSERT_EQ(delegate.selections.size(), 1u);
    EXPECT_EQ(delegate.selections[0], QStringList{"First"});

    // A band over all three: the lamp is selected by the hit test but gets
    // no frame.
    const QPoint from = widgetRect(lamp).center().toPoint();
    const QPoint to = widgetRect(second).center().toPoint() + QPoint(0, 5);
    press(from);
    dragTo(to);
    EXPECT_EQ(ringAbove(widgetRect(lamp)).alpha(), 0);
    EXPECT_EQ(ringAbove(widgetRect(first)).alpha(), 255);
    EXPECT_EQ(ringAbove(widgetRect(second)).alpha(), 255);
    release(to);
    EXPECT_EQ(delegate.selections.back(), (QStringList{"Lamp", "First", "Second"}));
}

TEST_F(KeyDrawing, BodyPictureAloneShowsWithoutKeyTops)
{
    QImage red(kbtest::kViewSize, QImage::Format_ARGB32);
    red.fill(Qt::red);
    view->showBodyImageOnly(red);
    EXPECT_TRUE(view->buttonImage().isNull());
    const QImage shown = view->grab().toImage();
    EXPECT_EQ(shown.pixelColor(centreOf("Q")).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ(shown.pixelColor(5, 5).rgb(), QColor(Qt::red).rgb());
}

TEST_F(KeyDrawing, KeptTintsAreLetGoWhileThePictureIsHidden)
{
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelSeparate;
    key("A").apcLevel = ApcLevel::Low;
    key("S").apcLevel = ApcLevel::High;
    (void)view->grab(); // the kept tints are made on a first paint
    const QImage shown = view->grab().toImage();
    const KeyboardIlluminationView& tints = *view->keyboardIlluminationView();
    ASSERT_EQ(tints.keptTintedPictures(), 2u);
    view->hide(); // its panel's tab left
    EXPECT_EQ(tints.keptTintedPictures(), 0u);
    view->show();
    EXPECT_TRUE(view->grab().toImage() == shown);
    EXPECT_EQ(tints.keptTintedPictures(), 2u);
}

// Package pictures are decoded for the first view that draws them and let
// go once drawn; another panel's view of the same size draws what the first
// composed, without decoding them again.
TEST_F(KeyDrawing, PackagePicturesAreLetGoOnceDrawn)
{
    KeyboardProfile profile;
    ASSERT_EQ(AppUtil::loadProfile(kbtest::shippedPackage(shipped::kModels[1]), profile, QStringLiteral("Profile.xml")),
              AppError::NoError);
    profile.profilePath = kbtest::shippedPackage(shipped::kModels[1]);
    const KeyboardProfile::KeyboardPictures pictures = profile.getKeyboardPictures();
    ASSERT_TRUE(pictures.keyBody.isDecoded() && pictures.keyButton.isDecoded());
    const QImage before = view->grab().toImage();
    view->setKeyboardImages(pictures.keyBody, pictures.keyButton);
    KeyboardView other;
    other.resize(kbtest::kViewSize);
    other.setAttribute(Qt::WA_DontShowOnScreen);
    other.setKeyboardImages(pictures.keyBody, pictures.keyButton);

    EXPECT_TRUE(view->grab().toImage() == before) << "the same pictures as the images";
    EXPECT_FALSE(pictures.keyBody.isDecoded());
    EXPECT_FALSE(pictures.keyButton.isDecoded());
    other.show();
    (void)other.grab();
    EXPECT_FALSE(pictures.keyBody.isDecoded());
    EXPECT_EQ(other.composedPicture().cacheKey(), view->composedPicture().cacheKey());
}

TEST_F(KeyDrawing, ViewsOfTheSamePicturesShareTheirLegendInkOnlyInTheSameSize)
{
    const auto inkOf = [](KeyboardView& v) {
        (void)v.grab(); // composed when painted
        return v.keyboardLegendView()->ink();
    };
    const QPixmap first = inkOf(*view);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), kbtest::kViewSize);

    // A keyboard's other panel: the same pictures in the same size.
    KeyboardView same;
    same.resize(kbtest::kViewSize);
    same.setAttribute(Qt::WA_DontShowOnScreen);
    same.show();
    same.setKeyboardImages(images.keyBody, images.keyButton);
    EXPECT_EQ(inkOf(same).cacheKey(), first.cacheKey()) << "made once for both";

    // In another size, or with other key tops, a view has ink of its own.
    KeyboardView smaller;
    smaller.resize(kbtest::kViewSize / 2);
    smaller.setAttribute(Qt::WA_DontShowOnScreen);
    smaller.show();
    smaller.setKeyboardImages(images.keyBody, images.keyButton);
    const QPixmap half = inkOf(smaller);
    EXPECT_EQ(half.size(), kbtest::kViewSize / 2);

    QImage blank(images.keyButton.size(), QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    same.setKeyboardImages(images.keyBody, blank);
    const QPixmap none = inkOf(same);
    EXPECT_NE(none.cacheKey(), first.cacheKey());
    // The most ink on key Q.
    const auto inkOnQ = [this](const QPixmap& ink) {
        const QImage image = ink.toImage();
        const QRect r = widgetRect(key("Q").keytop.at(0)).toAlignedRect() & image.rect();
        int most = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                most = std::max(most, image.pixelColor(x, y).alpha());
        return most;
    };
    EXPECT_EQ(inkOnQ(none), 0) << "no ink where the key tops have none";
    EXPECT_GT(inkOnQ(first), 200) << "the first view keeps its legend";
}

} // namespace

TEST_F(KeyDrawing, KeptTintsMatchTintsDrawnAfreshAsColoursAndPicturesChange)
{
    // The whole picture as the window shows it, against the picture with
    // each layer painted on its own over it (the tints then drawn afresh).
    const auto expectSameAsAfresh = [this](const char* step) {
        (void)view->grab(); // the kept tints are made on a first paint
        const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage under(shown.size(), QImage::Format_ARGB32_Premultiplied);
        view->render(&under, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        QImage afresh = under.copy();
        for (QWidget* layer : {static_cast<QWidget*>(view->keyboardIlluminationView()),
                               static_cast<QWidget*>(view->keyboardLegendView()),
                               static_cast<QWidget*>(view->keyboardCropView())})
            layer->render(&afresh, QPoint(), QRegion(), QWidget::RenderFlags());
        EXPECT_TRUE(shown == afresh) << step;
    };
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelSeparate;
    key("A").apcLevel = ApcLevel::Low;
    key("S").apcLevel = ApcLevel::Middle;
    key("D").apcLevel = ApcLevel::High;
    expectSameAsAfresh("levels");
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelCollective;
    AppParam::paintColor = AppColor::rgba(0, 0.5, 1, 0.6);
    expectSameAsAfresh("one colour");
    AppParam::paintColor = AppColor::rgba(1, 0, 0, 1);
    expectSameAsAfresh("another colour");
    QImage body = images.keyBody.convertToFormat(QImage::Format_ARGB32);
    body.fill(QColor(90, 120, 40));
    view->setKeyboardImages(body, images.keyButton);
    expectSameAsAfresh("another body picture");
}
