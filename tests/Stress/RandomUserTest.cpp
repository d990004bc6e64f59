// The whole application under a seeded random user, and the checks that the
// random user relies on: each must catch the fault it stands for.
#include "RandomUser.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPropertyAnimation>
#include <QDir>
#include <QFile>

#include <atomic>
#include <cstdio>
#include <thread>

using apptest::AppHarness;

namespace {

// The run in CI: several seeded cases that ctest runs side by side, each
// short enough for a replay to repeat it step for step (the application's
// own timers, such as the mouse panels' device polling, can make a long run
// drift). `make soak STEPS=N SEED=S` runs the first case with that seed for
// longer.
constexpr int kCiStepsPerCase = 125;
constexpr uint32_t kCiCases = 16;
constexpr uint32_t kCiFirstSeed = 20261207;
constexpr uint32_t kCiSeedStride = 7919;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class RandomUser : public ::testing::TestWithParam<uint32_t> {};

} // namespace

TEST_P(RandomUser, WholeApplicationHoldsTogether)
{
    stress::Options defaults;
    defaults.steps = kCiStepsPerCase;
    defaults.seed = GetParam();
    const stress::Options options = stress::optionsFromEnvironment(defaults);
    std::fprintf(stderr, "random user: seed %u, %d steps\n", options.seed, options.steps);

    AppHarness app;
    ASSERT_TRUE(app.start());
    stress::RandomUser user(app, options);
    const bool ok = user.run();
    std::fprintf(stderr, "random user: %s\n", user.figures().summary().c_str());
    EXPECT_TRUE(ok) << user.failure();
    EXPECT_EQ(user.figures().steps, options.steps);
    // The run really exercised the application.
    EXPECT_GT(user.figures().invariantChecks, options.steps / 4);
    EXPECT_FALSE(uitest::WindowProbe::window(app.controller()).mainView->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Seeded, RandomUser,
                         ::testing::Range(kCiFirstSeed, kCiFirstSeed + kCiCases * kCiSeedStride, kCiSeedStride));

TEST(RandomUserChecks, CatchAMaskOrModalLeftBehindAndAWindowThatIgnoresClicks)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    stress::RandomUser user(app, {});
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);

    main.setDialogMask(true);
    auto bad = user.checkInvariants(true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "mask")) << *bad;
    main.setDialogMask(false);

    // A modal window that nobody runs: reported, and clicks do not reach
    // the main window under it.
    QDialog stray(uitest::WindowProbe::window(main).mainView);
    stray.setWindowModality(Qt::ApplicationModal);
    stray.show();
    bad = user.checkInvariants(true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "modal")) << *bad;
    stray.hide();
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);

    main.setHelpMenu(false);
    bad = user.checkInvariants(true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "help menu")) << *bad;
    main.setHelpMenu(true);
}

TEST(RandomUserChecks, CatchASettingSentButNotFlaggedAndAWrongCurrentDevice)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    stress::RandomUser user(app, {.settle = std::chrono::milliseconds(300)});
    ASSERT_EQ(user.checkInvariants(true), std::nullopt);

    // The keyboard holds a setting that differs from its stored one while
    // the window shows nothing unsent.
    app.keyboard->live().brightness = 0;
    auto bad = user.checkInvariants(true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "not stored")) << *bad;
    // Shown as unsent: fine.
    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);
    AppParam::keyboardSettingsChanged = false;
    main.updateKeyboardSettingsChanged();
    app.keyboard->live().brightness = app.keyboard->stored().brightness;

    // The window says the keyboard is connected, but the model is empty.
    const auto real = AppParam::device;
    AppParam::device = std::make_shared<KeyboardEntry>();
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);  // not yet: it may be on its way
    bad = user.checkInvariants(true, true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "not usable")) << *bad;
    AppParam::device = real;
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);
}

TEST(RandomUserChecks, CatchAProfileFileLeftHalfWritten)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    stress::RandomUser user(app, {});
    const QString folder = AppUtil::appWorkFolder() + QStringLiteral("profiles/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("one.prf");
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<UserProfileFile><Name>one</Name></UserProfileFile>\n";
    ASSERT_EQ(AppUtil::saveProfileData(path, xml, QStringLiteral("profile.KVK108US.xml")), AppError::NoError);
    EXPECT_EQ(user.checkInvariants(true), std::nullopt);  // whole

    // The same file cut short, as a write that stopped half-way leaves it.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    f.resize(whole.size() / 2);
    f.close();
    auto bad = user.checkInvariants(true);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(contains(*bad, "one.prf")) << *bad;
}

TEST(RandomUserRun, AFailureNamesTheSeedAndStepAndAStuckMoveTripsTheWatchdog)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    stress::Options options;
    options.seed = 77;
    options.steps = 3;
    options.bound = std::chrono::milliseconds(300);
    stress::RandomUser user(app, options);
    std::atomic<bool> tripped{false};
    std::string report;
    std::mutex m;
    user.onWatchdog = [&](const std::string& r) {
        std::lock_guard<std::mutex> lock(m);
        report = r;
        tripped = true;
    };
    // The first move blocks the main thread past the bound; the second
    // leaves the mask up, which the check after it finds.
    user.forceNextMove("block", [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        user.forceNextMove("mask-up", [&] { main.setDialogMask(true); });
    });
    EXPECT_FALSE(user.run());
    EXPECT_TRUE(tripped);
    {
        std::lock_guard<std::mutex> lock(m);
        EXPECT_TRUE(contains(report, "'block'")) << report;
        EXPECT_TRUE(contains(report, "SEED=77")) << report;
    }
    EXPECT_TRUE(contains(user.failure(), "mask")) << user.failure();
    EXPECT_TRUE(contains(user.failure(), "seed 77, step 3")) << user.failure();
    EXPECT_TRUE(contains(user.failure(), "make soak SEED=77")) << user.failure();
    main.setDialogMask(false);
}

TEST(RandomUserRun, AStepWaitsForWhatIsUnderWayInRealTime)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    stress::Options options;
    options.seed = 5;
    options.steps = 2;
    stress::RandomUser user(app, options);

    // The first move starts a slide and a device action that take real time;
    // the second looks at what it meets.
    bool slideRunning = true;
    bool busBusy = true;
    int late = 0;
    user.forceNextMove("start-slow-things", [&] {
        auto* slide = new QPropertyAnimation(uitest::WindowProbe::window(main).keyboardSelectView, "pos", uitest::WindowProbe::window(main).keyboardSelectView);
        slide->setDuration(150);
        slide->setStartValue(uitest::WindowProbe::window(main).keyboardSelectView->pos());
        slide->setEndValue(uitest::WindowProbe::window(main).keyboardSelectView->pos());
        slide->start(QAbstractAnimation::DeleteWhenStopped);
        app.bus().scheduleAfter(std::chrono::milliseconds(120), [&late] { ++late; });
        user.forceNextMove("look", [&] {
            slideRunning = false;
            for (const auto* a : uitest::WindowProbe::window(main).keyboardSelectView->findChildren<QPropertyAnimation*>())
                slideRunning = slideRunning || a->state() == QAbstractAnimation::Running;
            busBusy = app.bus().busy();
        });
    });
    EXPECT_TRUE(user.run()) << user.failure();
    EXPECT_FALSE(slideRunning);
    EXPECT_FALSE(busBusy);
    EXPECT_EQ(late, 1);
}
