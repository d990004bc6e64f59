// The custom key dialog tells the user when it is capturing: after a click
// on the key field, before any key arrives, the field asks for a key
// combination (drawn in it, not left empty) and its edge is lit; the first
// key replaces the request, and the end of capture takes the lit edge away.
#include "Dialog/DialogCustomKeySetting.h"

#include "Platform/Strings.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

namespace {

constexpr int LCtrl = 29; // evdev code

void key(DialogCustomKeySetting* d, int evdev, bool down)
{
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, 0, Qt::NoModifier, quint32(evdev + 8), 0, 0);
    QCoreApplication::sendEvent(d->windowHandle(), &event);
}

QImage look(QWidget* w) { return w->grab().toImage(); }

// How many pixels of the field's middle band differ from its background.
int markedPixels(const QImage& img)
{
    const QColor background = img.pixelColor(img.width() / 2, 4);
    int marked = 0;
    for (int y = img.height() / 3; y < img.height() * 2 / 3; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != background)
                ++marked;
    return marked;
}

} // namespace

TEST(CustomKeyCapturePrompt, AClickOnTheFieldAsksForAKeyCombinationUntilOneArrives)
{
    const QString prompt = platform::localizedString(QStringLiteral("CustomKeyCapturePrompt"));
    ASSERT_TRUE(platform::hasLocalizedString(QStringLiteral("CustomKeyCapturePrompt")));

    DialogCustomKeySetting* d = DialogCustomKeySetting::sharedManager();
    d->loadUI();
    d->show();
    CustomKeyTextField* field = d->textCustomKey();
    const QColor idleEdge = look(field).pixelColor(0, field->height() / 2);

    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(field->isFocusTextbox);
    EXPECT_EQ(field->shownText(), prompt);
    const QImage asking = look(field);
    EXPECT_GT(markedPixels(asking), 20) << "the field is blank while capturing";
    EXPECT_NE(asking.pixelColor(0, field->height() / 2), idleEdge) << "no sign that capture is on";

    // The first key takes the request's place; capture ends when it is up.
    key(d, LCtrl, true);
    EXPECT_NE(field->shownText(), prompt);
    EXPECT_EQ(field->shownText(), field->text());
    key(d, LCtrl, false);
    EXPECT_FALSE(field->isFocusTextbox);
    EXPECT_EQ(look(field).pixelColor(0, field->height() / 2), idleEdge);
    d->hide();
}
