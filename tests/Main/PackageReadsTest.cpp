// What a device connect reads from the device's description package: the
// pictures the panels show, read by one run of the zip tool, and nothing
// read twice.
#include "DeviceListController.h"
#include "MainViewController.h"
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "KeyboardView/KeyboardView.h"
#include "Utility/ZipUtil.h"
#include "XML/MouseProfile.h"
#include "XML/MouseTabPictures.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <mutex>

using apptest::AppHarness;

namespace {

// Tool runs per archive named in their arguments; the pictures may be read
// on another thread.
class PackageRuns {
public:
    PackageRuns()
    {
        previous_ = ZipUtil::setToolObserver([this](const QString&, const QStringList& a, const QString&) {
            std::lock_guard lock(m_);
            runs_.push_back(a);
        });
    }
    ~PackageRuns() { ZipUtil::setToolObserver(previous_); }
    int on(const QString& package) const
    {
        const QString absolute = QFileInfo(package).absoluteFilePath();
        std::lock_guard lock(m_);
        return int(std::count_if(runs_.begin(), runs_.end(),
                                 [&](const QStringList& a) { return a.contains(absolute); }));
    }
    void clear()
    {
        std::lock_guard lock(m_);
        runs_.clear();
    }

private:
    mutable std::mutex m_;
    std::vector<QStringList> runs_;
    ZipUtil::ToolObserver previous_;
};

int indexOf(const MainViewController& main, uint32_t location)
{
    for (size_t i = 0; i < uitest::WindowProbe::devices(main).deviceList().size(); ++i)
        if (uint32_t(uitest::WindowProbe::devices(main).deviceList()[i].deviceLocation) == location)
            return int(i);
    return -1;
}

void clickTile(MainViewController& main, uint32_t location)
{
    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
    const int index = indexOf(main, location);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()));
    QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(index)]->view(), Qt::LeftButton);
}

bool fullyPainted(KeyboardView* view)
{
    const QImage shot = view->grab().toImage();
    return !shot.isNull() && shot.pixelColor(shot.width() / 2, shot.height() / 2).alpha() > 0;
}

} // namespace

TEST(PackageReads, ConnectingAMouseOrAKeyboardRunsTheZipToolOnceOnItsPackage)
{
    apptest::HarnessOptions options;
    options.rememberedLocation = int32_t(apptest::kKeyboardLocation);
    AppHarness app(options);
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), int32_t(apptest::kKeyboardLocation));
    const QString mousePackage = uitest::WindowProbe::devices(main).deviceList().at(size_t(indexOf(main, apptest::kMouseLocation))).profile->profilePath;
    const QString keyboardPackage =
        uitest::WindowProbe::devices(main).deviceList().at(size_t(indexOf(main, apptest::kKeyboardLocation))).profile->profilePath;

    PackageRuns runs;
    clickTile(main, apptest::kMouseLocation);
    ASSERT_EQ(main.conectDeviceLocation(), int32_t(apptest::kMouseLocation));
    EXPECT_EQ(runs.on(mousePackage), 1);
    // Every tab picture came with that one run, and the panel shows one.
    // Only the picture the panel on show shows is kept decoded: each takes
    // megabytes where its bytes take kilobytes.
    const auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(mouse && mouse->tabPictures);
    ASSERT_EQ(mouse->tabPictures->count(), MouseProfile::TabBodyImagePaths::kCount);
    using Names = MouseProfile::TabBodyImagePaths;
    int decoded = 0;
    for (const auto& slot : Names::pictures()) {
        const PackagePicture picture = mouse->tabPictures->picture(slot.field);
        EXPECT_FALSE(picture.isNull()) << slot.element;
        decoded += picture.isDecoded();
    }
    EXPECT_EQ(decoded, 1);
    ASSERT_TRUE(uitest::WindowProbe::currentKeyboardView(main));
    EXPECT_FALSE(uitest::WindowProbe::currentKeyboardView(main)->bodyImage().isNull());
    EXPECT_TRUE(fullyPainted(uitest::WindowProbe::currentKeyboardView(main)));

    runs.clear();
    clickTile(main, apptest::kKeyboardLocation);
    ASSERT_EQ(main.conectDeviceLocation(), int32_t(apptest::kKeyboardLocation));
    EXPECT_EQ(runs.on(keyboardPackage), 1);
    ASSERT_TRUE(uitest::WindowProbe::currentKeyboardView(main));
    EXPECT_TRUE(fullyPainted(uitest::WindowProbe::currentKeyboardView(main)));
}
