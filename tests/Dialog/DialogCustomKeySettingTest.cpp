// The custom key capture dialog: the capture rules typed on physical keys
// (at most three modifiers and one other key, display order, a new key
// replacing the old one, released keys dropped), when capture starts and
// ends, OK's state, Caps Lock, autorepeat, unknown keys, and the keyboard
// grab released on every way out.
#include "Dialog/DialogCustomKeySetting.h"

#include "Platform/Clock.h"
#include "Platform/Strings.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// Physical keys (evdev codes) and their virtual key codes.
constexpr int LCtrl = 29, LShift = 42, LAlt = 56, LMeta = 125, A = 30, B = 48, Caps = 58;
constexpr int vLCtrl = 59, vLShift = 56, vLAlt = 58, vLCmd = 55, vA = 0, vB = 11, vCaps = 57;

class CaptureTest : public ::testing::Test {
public:
    void SetUp() override
    {
        dialog = DialogCustomKeySetting::sharedManager();
        dialog->loadUI();
        dialog->show();
    }
    void TearDown() override
    {
        dialog->hide();
    }

    void key(int evdev, bool down, bool autoRepeat = false)
    {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, 0, Qt::NoModifier, quint32(evdev + 8), 0,
                        0, QString(), autoRepeat);
        QCoreApplication::sendEvent(dialog->windowHandle(), &event);
    }
    void press(std::initializer_list<int> keys)
    {
        for (int k : keys)
            key(k, true);
    }
    void release(std::initializer_list<int> keys)
    {
        for (int k : keys)
            key(k, false);
    }
    void startCapture() { QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton); }
    bool capturing() const { return dialog->textCustomKey()->isFocusTextbox; }
    QString placeholder() const { return platform::localizedString(QStringLiteral("CustomKeyTextPlaceHolder")); }

    DialogCustomKeySetting* dialog = nullptr;
};

TEST_F(CaptureTest, CombinationsFollowTheCaptureRules)
{
    struct Case {
        const char* what;
        std::function<void(CaptureTest&)> typing;
        std::vector<int> expected;
    };
    const std::vector<Case> cases{
        {"a fourth modifier is ignored",
         [](CaptureTest& t) {
             t.press({LCtrl, LShift, LAlt, LMeta, A});
             t.release({A, LMeta, LAlt, LShift, LCtrl});
         },
         {vLCtrl, vLShift, vLAlt, vA}},
        {"display order, not press order",
         [](CaptureTest& t) {
             t.press({LMeta, LCtrl, A});
             t.release({A, LCtrl, LMeta});
         },
         {vLCtrl, vLCmd, vA}},
        {"a new key replaces the held one",
         [](CaptureTest& t) {
             t.press({A, B});
             t.release({B, A});
         },
         {vB}},
        {"control held across two keys",
         [](CaptureTest& t) {
             t.press({LCtrl, A});
             t.release({A});
             t.press({B});
             t.release({B, LCtrl});
         },
         {vLCtrl, vB}},
        {"a released modifier is dropped by the next key",
         [](CaptureTest& t) {
             t.press({LCtrl, LShift});
             t.release({LCtrl});
             t.press({A});
             t.release({A, LShift});
         },
         {vLShift, vA}},
        {"modifiers only",
         [](CaptureTest& t) {
             t.press({LCtrl, LShift});
             t.release({LShift, LCtrl});
         },
         {vLCtrl, vLShift}},
        {"autorepeat and unknown keys change nothing",
         [](CaptureTest& t) {
             t.press({A});
             t.key(A, false, true);
             t.key(A, true, true);
             t.key(240, true); // no such key
             t.key(240, false);
             t.release({A});
         },
         {vA}},
    };
    for (const Case& c : cases) {
        dialog->loadUI();
        startCapture();
        EXPECT_TRUE(capturing()) << c.what;
        EXPECT_FALSE(dialog->okButton()->isEnabled()) << c.what;
        c.typing(*this);
        EXPECT_EQ(dialog->customKeyCodeList, c.expected) << c.what;
        EXPECT_FALSE(capturing()) << c.what;
        EXPECT_TRUE(dialog->okButton()->isEnabled()) << c.what;
        EXPECT_FALSE(dialog->isGrabbingKeyboard()) << c.what;
    }
}

TEST_F(CaptureTest, KeysOutsideCaptureChangeNothingAndEmptyCaptureShowsThePlaceholder)
{
    press({A});
    release({A});
    EXPECT_TRUE(dialog->customKeyCodeList.empty());
    EXPECT_EQ(dialog->textCustomKey()->text(), placeholder());
    EXPECT_FALSE(dialog->okButton()->isEnabled());

    // A modifier held before the click, released after it: nothing recorded.
    press({LCtrl});
    startCapture();
    EXPECT_TRUE(dialog->isGrabbingKeyboard());
    release({LCtrl});
    EXPECT_FALSE(capturing());
    EXPECT_TRUE(dialog->customKeyCodeList.empty());
    EXPECT_EQ(dialog->textCustomKey()->text(), placeholder());
    EXPECT_FALSE(dialog->okButton()->isEnabled());

    // A key held before the click is recorded when it comes up.
    press({B});
    startCapture();
    release({B});
    EXPECT_EQ(dialog->customKeyCodeList, std::vector<int>{vB});
    EXPECT_TRUE(dialog->okButton()->isEnabled());
}

TEST_F(CaptureTest, CapsLockEndsCaptureAtOnceAsTheKey)
{
    startCapture();
    press({LCtrl, A});
    press({Caps});
    EXPECT_FALSE(capturing());
    EXPECT_FALSE(dialog->isGrabbingKeyboard());
    EXPECT_TRUE(dialog->okButton()->isEnabled());
    EXPECT_EQ(dialog->customKeyCodeList, (std::vector<int>{vLCtrl, vCaps}));
    // Capture is over: later keys change nothing.
    release({Caps, A, LCtrl});
    press({B});
    EXPECT_EQ(dialog->customKeyCodeList, (std::vector<int>{vLCtrl, vCaps}));
}

TEST_F(CaptureTest, EveryWayOutReleasesTheGrabAndKeysAfterOkChangeNothing)
{
    platform::ScopedTimeScale fast{0.02};
    // OK and Cancel from inside the modal run.
    for (bool ok : {true, false}) {
        dialog->loadUI();
        QTimer::singleShot(0, dialog, [&] {
            startCapture();
            press({A});
            release({A});
            startCapture();
            ASSERT_TRUE(dialog->isGrabbingKeyboard());
            if (ok) {
                // OK is disabled while capturing; capture ends first.
                press({B});
                release({B});
                QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
            } else {
                QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
            }
        });
        EXPECT_EQ(dialog->exec(), ok ? 1 : 0);
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
        EXPECT_TRUE(dialog->isWindowClose);
        const auto list = dialog->customKeyCodeList;
        press({LCtrl, A});
        EXPECT_EQ(dialog->customKeyCodeList, list);
    }
    // Ended from outside while capturing (the device went away).
    dialog->loadUI();
    QTimer::singleShot(0, dialog, [&] {
        startCapture();
        press({LCtrl});
        dialog->closeAllWindow();
    });
    EXPECT_EQ(dialog->exec(), 0);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

TEST(CustomKeyScanCodes, PhysicalKeysMapToTheKeyTableAndFnIsUnknown)
{
    using D = DialogCustomKeySetting;
    EXPECT_EQ(D::virtualKeyFromScanCode(30 + 8), 0);    // A
    EXPECT_EQ(D::virtualKeyFromScanCode(97 + 8), 62);   // right Ctrl
    EXPECT_EQ(D::virtualKeyFromScanCode(126 + 8), 54);  // right Meta
    EXPECT_EQ(D::virtualKeyFromScanCode(58 + 8), 57);   // Caps Lock
    EXPECT_EQ(D::virtualKeyFromScanCode(99 + 8), 128);  // Print Screen
    EXPECT_EQ(D::virtualKeyFromScanCode(0), std::nullopt);
    EXPECT_EQ(D::virtualKeyFromScanCode(464 + 8), std::nullopt); // fn
}

} // namespace
