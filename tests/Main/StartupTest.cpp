// The start with its files read and its background picture decoded while the
// window is built: what reaches AppParam and the screen is what a plain,
// in-order start gives, a broken defaults file still ends the start before
// anything is shown, and unfinished background work is waited for.
#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "MainView.h"
#include "MainViewController.h"
#include "StartupFiles.h"
#include "Utility/AppUtil.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"
#include "support/NoNewThreads.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

HarnessOptions noDevices()
{
    HarnessOptions o;
    o.keyboard = false;
    o.mouse = false;
    o.waitForDevices = false;
    return o;
}

bool anyWindowVisible()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

// Shipped data whose Profile folder holds `defaults` as the defaults file
// (no file when null); restores the shipped data on destruction.
class ShippedData {
public:
    explicit ShippedData(const QByteArray* defaults)
    {
        QDir().mkpath(dir_.filePath(QStringLiteral("Profile")));
        if (defaults) {
            QFile f(dir_.filePath(QStringLiteral("Profile/")) + QString::fromLatin1(AppParam::APP_DEFALUT_INI));
            if (f.open(QIODevice::WriteOnly))
                f.write(*defaults);
        }
        AppUtil::setResourceDataFolder(dir_.path());
    }
    ~ShippedData() { AppUtil::setResourceDataFolder(QString()); }

private:
    QTemporaryDir dir_;
};

} // namespace

TEST(StartupFiles, ReadAheadGivesWhatAPlainReadGives)
{
    QTemporaryDir work;
    AppUtil::setAppWorkFolderForTesting(work.path() + QStringLiteral("/"));
    AppParam::selectDeviceLocation = 0x01300000;
    AppParam::functionTabSelect = FunctionTab::OtherSetting;
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);

    DefaultProfile plainDefaults;
    ASSERT_EQ(DefaultProfile::read(DefaultProfile::filePath(), plainDefaults), AppError::NoError);
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads ? "read on workers" : "no thread to be had");
        std::optional<NoNewThreads> noThreads;
        if (!threads)
            noThreads.emplace();
        StartupFiles files = StartupFiles::atUsualPaths();
        const auto defaults = files.takeDefaults();
        const auto settings = files.takeSettings();
        if (noThreads) {
            EXPECT_GT(noThreads->refused(), 0);
        }
        ASSERT_EQ(defaults.result, AppError::NoError);
        ASSERT_EQ(settings.result, AppError::NoError);
        EXPECT_FALSE(defaults.profile.localizeList.isEmpty());
        EXPECT_EQ(defaults.profile.localizeList, plainDefaults.localizeList);
        EXPECT_EQ(defaults.profile.standerdColor, plainDefaults.standerdColor);
        EXPECT_EQ(settings.profile.selectDevice, 0x01300000);
        EXPECT_EQ(settings.profile.functionTabSelect, FunctionTab::OtherSetting);
    }

    // Missing files are read failures, never defaults passed off as read.
    StartupFiles missing(work.filePath(QStringLiteral("none.def")), work.filePath(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.takeDefaults().result, AppError::FileRead);
    EXPECT_EQ(missing.takeSettings().result, AppError::FileRead);
    AppUtil::setAppWorkFolderForTesting(QString());
}

TEST(StartupFiles, BrokenDefaultsEndTheStartBeforeSettingsOrWindow)
{
    const QByteArray notAPackage("this is not a zip archive\n");
    for (const QByteArray* defaults : {static_cast<const QByteArray*>(nullptr), &notAPackage}) {
        AppParam::localizeList = QStringList{QStringLiteral("before")};
        {
            HarnessOptions o = noDevices();
            o.rememberedLocation = 0x01300000;  // a readable settings file
            AppHarness app(o);
            const ShippedData shipped(defaults);
            EXPECT_FALSE(app.start());
            EXPECT_FALSE(anyWindowVisible());
            // Neither file reached AppParam.
            EXPECT_EQ(AppParam::localizeList, QStringList{QStringLiteral("before")});
            EXPECT_EQ(AppParam::selectDeviceLocation, 0);
        }
    }
    AppParam::localizeList.clear();
}

TEST(StartupFiles, StartAppliesDefaultsAndSettingsBeforeTheWindowIsPlaced)
{
    HarnessOptions o = noDevices();
    o.rememberedLocation = 0x01300000;
    o.screen = QRect(0, 0, 1920, 1080);
    AppParam::localizeList.clear();
    AppHarness app(o);
    // The settings file also holds the window's origin; placement must use it.
    AppParam::windowPlacement.normalPosition = QRectF(300, 200, 1000, 700);
    AppParam::selectDeviceLocation = 0x01300000;
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    AppParam::windowPlacement = WINDOWPLACEMENT{};
    AppParam::selectDeviceLocation = 0;

    ASSERT_TRUE(app.start());
    EXPECT_FALSE(AppParam::localizeList.isEmpty());
    EXPECT_EQ(AppParam::selectDeviceLocation, 0x01300000);
    EXPECT_EQ(uitest::WindowProbe::window(app.controller()).mainView->pos(), QPoint(300, 200));
}

TEST(MainViewBackground, FirstPaintShowsTheBackgroundPictureInTheBody)
{
    const QImage picture = ui::appImage(QStringLiteral("MainBackground.png"), 1.0).toImage();
    ASSERT_FALSE(picture.isNull());
    MainView view;
    view.bodyRect = QRect(0, 150, picture.width(), picture.height());
    const QImage shot = view.grab().toImage();
    EXPECT_TRUE(view.painted());

    // Points where the picture differs clearly from the window's own colour,
    // so that a missing picture would show.
    const QColor window = view.palette().color(QPalette::Window);
    int compared = 0;
    for (int y = 5; y < picture.height(); y += 53)
        for (int x = 7; x < picture.width(); x += 97) {
            const QColor want = picture.pixelColor(x, y);
            if (want.alpha() < 255 || std::abs(want.red() - window.red()) + std::abs(want.green() - window.green()) +
                                              std::abs(want.blue() - window.blue()) < 30)
                continue;
            const QColor got = shot.pixelColor(x, y + 150);
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                          std::abs(got.blue() - want.blue()),
                      6)
                << x << "," << y;
            ++compared;
        }
    EXPECT_GE(compared, 5);
}

TEST(MainViewBackground, ImageDataMatchesThePixmapInBothDensities)
{
    for (const char* name : {"MainBackground.png", "TriangleDown.png"})
        for (qreal ratio : {1.0, 2.0}) {
            const QImage data = ui::appImageData(QString::fromLatin1(name), ratio);
            const QImage pix = ui::appImage(QString::fromLatin1(name), ratio).toImage();
            ASSERT_FALSE(data.isNull()) << name;
            EXPECT_EQ(data.size(), pix.size()) << name << ratio;
            EXPECT_EQ(data.devicePixelRatio(), pix.devicePixelRatio()) << name << ratio;
            EXPECT_EQ(data.convertToFormat(QImage::Format_ARGB32).pixel(data.width() / 2, data.height() / 2),
                      pix.convertToFormat(QImage::Format_ARGB32).pixel(pix.width() / 2, pix.height() / 2));
        }
    EXPECT_TRUE(ui::appImageData(QStringLiteral("NoSuchPicture.png"), 2.0).isNull());
}

TEST(BackgroundResult, UnfinishedWorkIsWaitedForAndTakenOnce)
{
    std::atomic<bool> finished{false};
    {
        BackgroundResult<int> result([&] {
            QThread::msleep(60);
            finished = true;
            return 7;
        });
        EXPECT_TRUE(result.pending());
    }
    EXPECT_TRUE(finished);  // the destructor waited

    finished = false;
    BackgroundResult<int> first([&] {
        QThread::msleep(60);
        finished = true;
        return 1;
    });
    first = BackgroundResult<int>([] { return 2; });  // replacing waits for the old work too
    EXPECT_TRUE(finished);
    EXPECT_EQ(first.take(), 2);
    EXPECT_FALSE(first.pending());
    EXPECT_EQ(first.take(), 0);
}
