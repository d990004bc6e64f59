// Saving a profile while another program keeps the profile folder locked:
// the save dialog waits a bounded time (on the fixture's time scale), during
// which the window's timers run and user input waits, then shows its
// save-failure box and leaves every file as it was.
#include "Dialog/DialogProfileSave.h"

#include "ProfileDialogFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Qt's entry for input from the window system, exported by Qt Gui but
// declared only in headers this build does not have. Its asynchronous form
// queues a key press the way a real one arrives, so that an event loop that
// holds user input back keeps it queued (QTest sends its events at once).
class QWindowSystemInterface {
public:
    class AsynchronousDelivery;
    template <typename Delivery>
    static bool handleKeyEvent(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                               const QString& text = QString(), bool autorepeat = false, ushort count = 1);
};

namespace {

using namespace dlgtest;

// Notes the number of message boxes shown when the first key press arrives.
struct KeyWatch : QObject {
    const RecordingMainController& controller;
    std::optional<size_t> boxesAtKey;
    explicit KeyWatch(const RecordingMainController& c) : controller(c) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && !boxesAtKey)
            boxesAtKey = controller.messageBoxes.size();
        return false;
    }
};

class SaveUnderLock : public KeyboardFixture {};

TEST_F(SaveUnderLock, LockKeptByAnotherProgramEndsInTheSaveFailureBoxAndChangesNoFile)
{
    saveProfile(userFolder + "kept.prf", "before");
    const QByteArray keptHash = fileHash(userFolder + "kept.prf");
    // Another program's lock: an open file description of its own.
    const int other = ::open(QFile::encodeName(userFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);

    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    d->show();
    d->profileName()->selectAll();
    typeText(d->profileName(), "fresh");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
    clickRow(d->listboxFileList(), 0);
    ASSERT_EQ(d->profileName()->text(), "kept");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), (QStringList{"FailedToSaveProfile", "FailedToSaveProfile"}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(fileHash(userFolder + "kept.prf"), keptHash);
    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.prf"});

    // The other program is done: the same save goes through.
    ::close(other);
    controller.messageBoxes.clear();
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_TRUE(controller.messageBoxes.empty());
    EXPECT_EQ(d->result(), 1);
}

TEST_F(SaveUnderLock, WaitForTheLockRunsTimersAndHoldsAKeyPressUntilTheSaveHasAnswered)
{
    const int other = ::open(QFile::encodeName(userFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    d->profileName()->selectAll();
    typeText(d->profileName(), "fresh");

    KeyWatch watch(controller);
    qApp->installEventFilter(&watch);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (ticks++ == 0)
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
                d->windowHandle(), QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    });
    timer.start(1);
    const auto start = platform::now();
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    const platform::Seconds waited = platform::now() - start;
    timer.stop();

    EXPECT_GT(ticks, 0);
    EXPECT_GE(waited, platform::scaled(ZipUtil::PackageLock::kWaitLimit));
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    EXPECT_FALSE(watch.boxesAtKey);
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.boxesAtKey, 1u);
    qApp->removeEventFilter(&watch);
    ::close(other);
}

} // namespace
