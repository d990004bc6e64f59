#pragma once
// The whole application on the virtual bus with the emulated keyboard, and
// what the keyboard panel tests do with it as a user would: click a tab or
// its menu triangle, click or drag over keys of the panel's picture, read
// the packets the keyboard got and sample the key tints.

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView/KeyboardIlluminationView.h"
#include "KeyboardView/KeyboardView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
#include "support/ui/AppHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace kbpaneltest {

// One write to the keyboard's vendor interface, taken apart.
struct Packet {
    uint8_t command = 0;
    uint8_t flag = 0;
    uint8_t length = 0;
    std::vector<uint8_t> data;
};

inline std::vector<Packet> packets(const emu::EmulatedDevice& device, int command = -1)
{
    std::vector<Packet> out;
    for (const emu::LogEntry& e : device.writes()) {
        // Report ID, AA AA, command, flag, LEN, data.
        if (e.bytes.size() < 6 || e.bytes[1] != 0xAA || e.bytes[2] != 0xAA)
            continue;
        if (command >= 0 && e.bytes[3] != command)
            continue;
        Packet p{e.bytes[3], e.bytes[4], e.bytes[5], {}};
        const size_t end = std::min(e.bytes.size(), size_t(6) + p.length);
        p.data.assign(e.bytes.begin() + 6, e.bytes.begin() + long(end));
        out.push_back(std::move(p));
    }
    return out;
}

// Whether a tint sampled from the picture has the hue of `want`: painted,
// and each channel that is full in `want` strong in the sample, each that is
// empty in `want` weak in it.
inline bool sameHue(const QColor& seen, const QColor& want)
{
    if (seen.alpha() == 0)
        return false;
    const double top = std::max({seen.redF(), seen.greenF(), seen.blueF()});
    const double s[3] = {seen.redF(), seen.greenF(), seen.blueF()};
    const double w[3] = {want.redF(), want.greenF(), want.blueF()};
    for (int i = 0; i < 3; ++i) {
        if (w[i] > 0.9 && s[i] < 0.6 * top)
            return false;
        if (w[i] < 0.1 && s[i] > 0.4 * top)
            return false;
    }
    return true;
}

// The application with the emulated keyboard alone, started and connected.
class KeyboardApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::HarnessOptions options;
        options.mouse = false;
        app = std::make_unique<apptest::AppHarness>(options);
        ASSERT_TRUE(app->start());
        main = &app->controller();
        device = app->keyboard;
        keyboard = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
        ASSERT_TRUE(keyboard);
    }
    void TearDown() override { app.reset(); }

    // The tab as a user clicks it (left part, away from the menu triangle).
    static void clickTab(MainTabView* tab) { QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, 20)); }

    // The keyboard still connected is the one the test started with.
    bool sameKeyboard() const { return AppParam::device == keyboard; }
    std::shared_ptr<KeyboardEntry> current() const
    {
        return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    }

    // The first key of the current keyboard that takes per-key settings and
    // lies well inside the picture, after skipping `skip` such keys.
    KeytopEntry& perKeyKey(KeyboardView* view, int skip = 0)
    {
        auto kb = current();
        for (KeytopEntry& key : kb->keytopList) {
            if (!key.hasPerKeySettings() || key.keytop.empty())
                continue;
            const QPoint at = pointOf(view, key);
            if (!view->rect().adjusted(10, 10, -10, -10).contains(at))
                continue;
            if (skip-- == 0)
                return key;
        }
        ADD_FAILURE() << "no such key";
        static KeytopEntry none;
        return none;
    }

    // The centre of a key's first key-top rectangle on the panel's picture.
    static QPoint pointOf(KeyboardView* view, const KeytopEntry& key)
    {
        const QPointF c = key.keytop.front().center();
        return QPointF(c.x(), view->flipHeight() - c.y()).toPoint();
    }

    static void clickAt(KeyboardView* view, QPoint at) { QTest::mouseClick(view, Qt::LeftButton, {}, at); }

    // Press, move and release with the left button: a band selection.
    static void dragOver(KeyboardView* view, QPoint from, QPoint to)
    {
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        for (QPoint at : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }

    // The key tint layer of the picture at `at`, drawn alone on transparency.
    static QColor tintAt(KeyboardView* view, QPoint at)
    {
        QWidget* layer = view->keyboardIlluminationView();
        QImage image(layer->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        layer->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image.pixelColor(at);
    }

    std::unique_ptr<apptest::AppHarness> app;
    MainViewController* main = nullptr;
    std::shared_ptr<emu::EmulatedKeyboard> device;
    std::shared_ptr<KeyboardEntry> keyboard;
};

} // namespace kbpaneltest
