#pragma once
// The whole application on the virtual bus with only the emulated mouse
// attached and connected: what the mouse panel tests share.

#include "AppParam.h"
#include "Device/DeviceEnumerator.h"
#include "Device/MouseEntry.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "XML/MouseProfile.h"
#include "XML/MouseTabPictures.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace mousepanel {

// The widgets inside `root` (itself included) that paint from now on, by
// object name, in order. The focused widget is left out: a text field's
// caret blinks on its own.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget* root)
    {
        root->installEventFilter(this);
        for (QWidget* w : root->findChildren<QWidget*>())
            w->installEventFilter(this);
    }
    QStringList painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched != QApplication::focusWidget())
            painted_ << (watched->objectName().isEmpty() ? QString::fromLatin1(watched->metaObject()->className())
                                                          : watched->objectName());
        return false;
    }

private:
    QStringList painted_;
};

using apptest::AppHarness;
using Mouse = emu::EmulatedMouse;

class MousePanelTest : public ::testing::Test {
protected:
    // One polling second is 50 ms here; the typing pause 150 ms.
    static constexpr double kScale = 0.05;

    void TearDown() override { app.reset(); }

    // Creates the application with the mouse attached; `prepare` may change
    // the emulated mouse before the application connects it.
    void start(const std::function<void(Mouse&)>& prepare = {})
    {
        apptest::HarnessOptions o;
        o.keyboard = false;
        o.mouse = true;
        o.timeScale = kScale;
        app = std::make_unique<AppHarness>(o);
        if (prepare)
            prepare(*app->mouse);
        ASSERT_TRUE(app->start());
        main = &app->controller();
        ASSERT_EQ(main->conectDeviceLocation(), int32_t(apptest::kMouseLocation));
    }

    Mouse& mouse() { return *app->mouse; }

    // The data bytes of every write of command `cmd` since the log was cleared.
    std::vector<std::vector<uint8_t>> sent(uint8_t cmd) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& w : app->mouse->writes()) {
            if (w.command() != cmd || w.bytes.size() < 6)
                continue;
            const size_t len = w.bytes[5];
            out.emplace_back(w.bytes.begin() + 6, w.bytes.begin() + 6 + std::min(len, w.bytes.size() - 6));
        }
        return out;
    }
    int count(uint8_t cmd) const { return int(sent(cmd).size()); }

    bool sendShown() const { return !uitest::WindowProbe::window(*main).sendButton->isHidden(); }

    // Runs the event loop for `ms` milliseconds.
    static void idle(int ms) { QTest::qWait(ms); }

    // Once a read of all settings (command `getSettings`) has been shown,
    // logs what inside `root` paints over the next `reads` reads.
    std::unique_ptr<PaintLog> paintsOverReads(QWidget* root, uint8_t getSettings, int reads)
    {
        EXPECT_TRUE(AppHarness::waitFor([&] { return count(getSettings) >= 1; }, 10000));
        idle(20);
        auto log = std::make_unique<PaintLog>(root);
        app->mouse->clearLog();
        EXPECT_TRUE(AppHarness::waitFor([&] { return count(getSettings) >= reads; }, 10000));
        idle(20);
        return log;
    }
    static std::string names(const PaintLog& log) { return log.painted().join(QLatin1Char(' ')).toStdString(); }

    // The picture the connected mouse's model holds under `name`.
    static PackagePicture heldPicture(QString MouseProfile::TabBodyImagePaths::*name)
    {
        const auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
        return mouse && mouse->tabPictures ? mouse->tabPictures->picture(name) : PackagePicture();
    }
    static QImage tabPicture(QString MouseProfile::TabBodyImagePaths::*name) { return heldPicture(name).image(); }

    std::unique_ptr<AppHarness> app;
    MainViewController* main = nullptr;
};

} // namespace mousepanel
