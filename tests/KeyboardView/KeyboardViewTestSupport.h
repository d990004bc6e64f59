#pragma once
// A keyboard picture over a shipped keyboard model, shown off screen, and
// helpers to reach its keys as a user would (centres in widget coordinates).

#include "BuildPaths.h"
#include "AppParam.h"
#include "CustomControl/UiGeometry.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView/KeyboardCropView.h"
#include "KeyboardView/KeyboardIlluminationView.h"
#include "KeyboardView/KeyboardView.h"
#include "KeyboardView/KeyboardViewDelegate.h"
#include "ShippedModels.h"
#include "XML/KeyboardProfile.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"

#include <QApplication>
#include <QMouseEvent>

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kbtest {

inline constexpr QSize kViewSize{1000, 700};

inline QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

// Records every finished selection: the view it came from and the names of
// the keys whose `select` flag was set at that moment.
struct RecordingDelegate : KeyboardViewDelegate {
    void applyKeySelect(KeyboardView* id) override
    {
        views.push_back(id);
        QStringList names;
        if (auto kb = KeyboardView::currentKeyboard()) {
            for (const KeytopEntry& key : kb->keytopList)
                if (key.select)
                    names << key.name;
        }
        selections.push_back(names);
        if (then)
            then();
    }
    std::vector<KeyboardView*> views;
    std::vector<QStringList> selections;
    std::function<void()> then;
};

// Saves and restores the application state the picture reads.
class PictureFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedFrame_ = AppParam::mainFrame;
        savedDevice_ = AppParam::device;
        savedMode_ = AppParam::appCropMode;
        savedDraw_ = AppParam::keyDrawMode;
        savedPaint_ = AppParam::paintColor;
        AppParam::mainFrame = QRectF(QPointF(0, 0), QSizeF(kViewSize));
        AppParam::appCropMode = CropMode::Area;
        AppParam::keyDrawMode = KeyDrawFrom::None;
        AppParam::paintColor = AppColor::rgba(1, 1, 0, 1);
    }
    void TearDown() override
    {
        view.reset();
        AppParam::mainFrame = savedFrame_;
        AppParam::device = savedDevice_;
        AppParam::appCropMode = savedMode_;
        AppParam::keyDrawMode = savedDraw_;
        AppParam::paintColor = savedPaint_;
    }

    // Loads a shipped keyboard as the current device and shows its picture.
    void loadKeyboard(const shipped::Model& model = shipped::kModels[1])
    {
        keyboard = std::make_shared<KeyboardEntry>();
        ASSERT_EQ(keyboard->loadProfile(shippedPackage(model)), AppError::NoError);
        AppParam::device = keyboard;
        KeyboardProfile profile;
        ASSERT_EQ(AppUtil::loadProfile(shippedPackage(model), profile, QStringLiteral("Profile.xml")),
                  AppError::NoError);
        profile.profilePath = shippedPackage(model);
        images = profile.getKeyboardImage();
        ASSERT_FALSE(images.keyBody.isNull());
        showView();
        view->setKeyboardImages(images.keyBody, images.keyButton);
    }

    void showView()
    {
        view = std::make_unique<KeyboardView>();
        view->resize(kViewSize);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->delegate = &delegate;
    }

    KeytopEntry& key(const QString& name)
    {
        for (KeytopEntry& k : keyboard->keytopList)
            if (k.name == name)
                return k;
        ADD_FAILURE() << "no key " << qPrintable(name);
        static KeytopEntry none;
        return none;
    }
    // A key-top rectangle of a key in widget coordinates.
    QRectF widgetRect(const QRectF& modelRect) const
    {
        return ui::fromBottomLeft(modelRect, kViewSize.height());
    }
    QPoint centreOf(const QString& name, int part = 0)
    {
        return widgetRect(key(name).keytop.at(size_t(part))).center().toPoint();
    }

    void click(QPoint at) { QTest::mouseClick(view.get(), Qt::LeftButton, {}, at); }
    void press(QPoint at) { QTest::mousePress(view.get(), Qt::LeftButton, {}, at); }
    void release(QPoint at) { QTest::mouseRelease(view.get(), Qt::LeftButton, {}, at); }
    void dragTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
    }
    void drag(QPoint from, QPoint to)
    {
        press(from);
        dragTo((from + to) / 2);
        dragTo(to);
        release(to);
    }

    // A layer of the picture rendered alone onto transparency.
    static QImage renderLayer(QWidget* layer)
    {
        QImage image(layer->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        layer->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }

    bool anySelected() const
    {
        for (const KeytopEntry& k : keyboard->keytopList)
            if (k.select)
                return true;
        return false;
    }

    std::shared_ptr<KeyboardEntry> keyboard;
    KeyboardProfile::KeyboardImages images;
    std::unique_ptr<KeyboardView> view;
    RecordingDelegate delegate;

private:
    QRectF savedFrame_;
    std::shared_ptr<IDeviceEntry> savedDevice_;
    CropMode savedMode_{};
    KeyDrawFrom savedDraw_{};
    AppColor savedPaint_{};
};

} // namespace kbtest
