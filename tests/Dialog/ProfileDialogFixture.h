#pragma once
// Shared set-up of the profile dialog tests: a user profile folder and a
// built-in data folder of their own, the virtual bus with an emulated
// keyboard or mouse connected as the current device, the recording main
// controller (answers message boxes), and helpers that click like a user.

#include "BuildPaths.h"
#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Platform/Clock.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/UserMProfile.h"
#include "XML/UserProfile.h"
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

inline void PrintTo(AppError e, std::ostream* os) { *os << appErrorName(e); }

namespace dlgtest {

inline constexpr uint32_t kLocation = 0x01100000;

inline QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

inline QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Clicks the row of a list like a user.
inline void clickRow(QAbstractItemView* view, int row)
{
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

inline void doubleClickRow(QAbstractItemView* view, int row)
{
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

inline QStringList messageKeys(const RecordingMainController& c)
{
    QStringList keys;
    for (const auto& m : c.messageBoxes)
        keys << m.messageKey;
    return keys;
}

// Folders and state every profile dialog test starts from.
class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        userFolder = dir.path() + QStringLiteral("/user/");
        dataFolder = dir.path() + QStringLiteral("/data/");
        builtinFolder = dataFolder + QStringLiteral("Profile/");
        ASSERT_TRUE(QDir().mkpath(userFolder));
        ASSERT_TRUE(QDir().mkpath(builtinFolder));
        savedFolder_ = AppParam::userProfileFilePath;
        savedDevice_ = AppParam::device;
        savedLocation_ = AppParam::selectDeviceLocation;
        savedChanged_ = AppParam::keyboardSettingsChanged;
        AppParam::userProfileFilePath = userFolder;
        AppParam::keyboardSettingsChanged = false;
        AppUtil::setResourceDataFolder(dataFolder);
    }
    void TearDown() override
    {
        AppUtil::setResourceDataFolder(QString());
        AppParam::userProfileFilePath = savedFolder_;
        AppParam::device = savedDevice_;
        AppParam::selectDeviceLocation = savedLocation_;
        AppParam::keyboardSettingsChanged = savedChanged_;
    }

    QTemporaryDir dir;
    QString userFolder, dataFolder, builtinFolder;
    RecordingMainController controller;
    platform::ScopedTimeScale scale{0.05};

private:
    QString savedFolder_;
    std::shared_ptr<IDeviceEntry> savedDevice_;
    int32_t savedLocation_ = 0;
    bool savedChanged_ = false;
};

// An emulated keyboard connected as the current device.
class KeyboardFixture : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        const shipped::Model& model = shipped::kModels[0];
        emulated = std::make_shared<emu::EmulatedKeyboard>(model);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        kb = std::make_shared<KeyboardEntry>();
        ASSERT_EQ(kb->loadProfile(shippedPackage(model)), AppError::NoError);
        ASSERT_EQ(kb->open(kLocation), AppError::NoError);
        ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
        AppParam::device = kb;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        emulated->clearLog();
    }
    void TearDown() override
    {
        if (kb)
            (void)kb->close(true);
        kb.reset();
        FolderFixture::TearDown();
    }

    // A keyboard profile of the connected model stored at `path`.
    void saveProfile(const QString& path, const QString& comment = {})
    {
        ASSERT_EQ(UserProfile::Write(path, kb->profileExt(), *kb, comment), AppError::NoError);
    }

    // A profile of the connected model whose keys carry levels and locks
    // other than the device's (every third key Low, every odd key locked).
    UserProfileFile distinctProfile(const QString& name) const
    {
        UserProfileFile p = UserProfile::makeProfile(name, *kb, "");
        p.apcFunctionEnable = true;
        p.keyLockFunctionEnable = true;
        for (auto& k : p.keytopList) {
            k.apcLevel = k.code % 3 == 0 ? ApcLevel::Low : ApcLevel::High;
            k.keytopLock = k.code % 2 ? KeytopLock::Lock : KeytopLock::Unlock;
        }
        return p;
    }

    void storeProfile(const QString& path, const UserProfileFile& p)
    {
        ASSERT_EQ(AppUtil::appendProfileData(path, UserProfileXML::construct(p),
                                             UserProfile::memberName(kb->profileExt())),
                  AppError::NoError);
    }

    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedKeyboard> emulated;
    std::shared_ptr<KeyboardEntry> kb;
};

// An emulated mouse connected as the current device.
class MouseFixture : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        emulated = std::make_shared<emu::EmulatedMouse>();
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        mouse = std::make_shared<MouseEntry>();
        ASSERT_EQ(mouse->loadProfile(shippedPackage(shipped::kModels[2])), AppError::NoError);
        ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
        ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
        AppParam::device = mouse;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        emulated->clearLog();
    }
    void TearDown() override
    {
        if (mouse)
            (void)mouse->close(true);
        mouse.reset();
        FolderFixture::TearDown();
    }

    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedMouse> emulated;
    std::shared_ptr<MouseEntry> mouse;
};

} // namespace dlgtest

namespace dlgtest {
// Types `text` into the focused-to-be widget one key at a time, any
// character (QTest::keyClicks takes ASCII only); "\n" is the Return key.
inline void typeText(QWidget* w, const QString& text)
{
    w->setFocus();
    for (const QChar ch : text) {
        if (ch == u'\n') {
            QTest::keyClick(w, Qt::Key_Return);
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}
} // namespace dlgtest
