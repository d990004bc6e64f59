// The keyboard picture of the shipped JIS keyboard: APC levels tinted and a
// rubber band in progress; then the key-lock look.
#include "BuildPaths.h"
#include "Screenshots.h"

#include "AppParam.h"
#include "CustomControl/UiGeometry.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView/KeyboardView.h"
#include "ShippedModels.h"
#include "Utility/ProfilePackage.h"
#include "XML/KeyboardProfile.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

QString packagePath(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

QPoint centreOf(const KeyboardEntry& kb, const QString& name, qreal height)
{
    for (const KeytopEntry& k : kb.keytopList)
        if (k.name == name && !k.keytop.empty())
            return ui::fromBottomLeft(k.keytop[0], height).center().toPoint();
    return {};
}

void drag(KeyboardView& view, QPoint from, QPoint to)
{
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
}

const shots::ShotRegistrar registrar("KeyboardView", [](shots::ShotSink& sink) {
    const shipped::Model& model = shipped::kModels[1];
    const QRectF savedFrame = AppParam::mainFrame;
    const auto savedDevice = AppParam::device;
    AppParam::mainFrame = QRectF(0, 0, 1000, 700);
    auto kb = std::make_shared<KeyboardEntry>();
    if (kb->loadProfile(packagePath(model)) != AppError::NoError)
        return;
    KeyboardProfile profile;
    if (AppUtil::loadProfile(packagePath(model), profile, QStringLiteral("Profile.xml")) != AppError::NoError)
        return;
    profile.profilePath = packagePath(model);
    const KeyboardProfile::KeyboardImages images = profile.getKeyboardImage(qApp->devicePixelRatio());
    AppParam::device = kb;

    // Levels in stripes so every colour shows.
    int i = 0;
    for (KeytopEntry& k : kb->keytopList)
        k.apcLevel = ApcLevel((i++ / 5) % 4);
    AppParam::keyDrawMode = KeyDrawFrom::ApcLevelSeparate;
    AppParam::appCropMode = CropMode::Area;
    AppParam::paintColor = AppColor::rgba(1, 0.85, 0, 0.8);

    // In the window the main view's background lies behind the picture.
    QWidget window;
    window.resize(1000, 700);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, AppParam::BackgroundColor.toQColor());
    window.setPalette(palette);
    KeyboardView& view = *new KeyboardView(&window);
    view.resize(1000, 700);
    view.setKeyboardImages(images.keyBody, images.keyButton);
    drag(view, centreOf(*kb, QStringLiteral("R"), 700), centreOf(*kb, QStringLiteral("B"), 700));
    sink.save(QStringLiteral("keyboard-view-apc-band"), &window);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf(*kb, QStringLiteral("B"), 700));

    AppParam::keyDrawMode = KeyDrawFrom::KeyLock;
    for (KeytopEntry& k : kb->keytopList)
        k.lock = (k.name == QLatin1String("W") || k.name == QLatin1String("A")
                  || k.name == QLatin1String("S") || k.name == QLatin1String("D"))
            ? KeytopLock::Lock : KeytopLock::Unlock;
    drag(view, centreOf(*kb, QStringLiteral("S"), 700), centreOf(*kb, QStringLiteral("G"), 700) + QPoint(0, 3));
    sink.save(QStringLiteral("keyboard-view-keylock-band"), &window);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf(*kb, QStringLiteral("G"), 700));

    AppParam::keyDrawMode = KeyDrawFrom::None;
    AppParam::appCropMode = CropMode::None;
    AppParam::device = savedDevice;
    AppParam::mainFrame = savedFrame;
});

} // namespace
