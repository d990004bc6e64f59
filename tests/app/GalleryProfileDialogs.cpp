// Pictures of the profile folder, profile save and load dialogs (keyboard
// and mouse, each with a list of profiles) and the About window, with an
// emulated keyboard and mouse connected on the virtual bus.
#include "Screenshots.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/CommentTextEdit.h"
#include "Dialog/DialogProfileFolderSelect.h"
#include "Dialog/DialogProfileLoad.h"
#include "Dialog/DialogProfileSave.h"
#include "Dialog/DialogVersionInfo.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "XML/UserMProfile.h"
#include "XML/UserProfile.h"
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr uint32_t kKeyboardAt = 0x01100000;
constexpr uint32_t kMouseAt = 0x01200000;

QString shippedPackage(const shipped::Model& m)
{
    return AppUtil::resourceProfileFolder() + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

void selectRow(QTableView* table, int row)
{
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void render(shots::ShotSink& sink)
{
    QTemporaryDir dir;
    const QString savedFolder = AppParam::userProfileFilePath;
    const auto savedDevice = AppParam::device;
    const QString user = dir.path() + QStringLiteral("/Profiles/");
    QDir().mkpath(user);
    AppParam::userProfileFilePath = user;

    emu::ScopedVirtualBus bus;
    auto emuKb = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
    auto emuMouse = std::make_shared<emu::EmulatedMouse>();
    bus->attach(emuKb, kKeyboardAt);
    bus->attach(emuMouse, kMouseAt);
    auto kb = std::make_shared<KeyboardEntry>();
    (void)kb->loadProfile(shippedPackage(shipped::kModels[0]));
    (void)kb->open(kKeyboardAt);
    (void)kb->loadDeviceParam();
    auto mouse = std::make_shared<MouseEntry>();
    (void)mouse->loadProfile(shippedPackage(shipped::kModels[2]));
    (void)mouse->open(kMouseAt);
    (void)mouse->loadDeviceParam();

    const char* names[] = {"Office", "Gaming", "Work [1]", "Travel", "QMVKB_0000"};
    const char* comments[] = {"Quiet keys for the open office", "Low actuation everywhere",
                              "Locked Windows keys", "", "First save"};
    for (int i = 0; i < 5; ++i) {
        (void)UserProfile::Write(user + names[i] + QStringLiteral(".prf"), kb->profileExt(), *kb,
                           UserMProfile::encodeComment(QString::fromUtf8(comments[i])));
    }
    for (const char* n : {"Desk", "Mobile", "QMVMO_0000"})
        (void)UserMProfile::Write(user + n + QStringLiteral(".mprf"), mouse->profileExt(), *mouse,
                            QStringLiteral("Mouse%20profile"));

    {
        DialogProfileFolderSelect d(user);
        sink.save(QStringLiteral("dialog-profile-folder"), &d);
    }
    {
        DialogVersionInfo d;
        sink.save(QStringLiteral("dialog-version-info"), &d);
    }
    AppParam::device = kb;
    {
        std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
        sink.save(QStringLiteral("dialog-profile-save-new"), d.get());
        d->checkOverWiteButton()->click();
        selectRow(d->listboxFileList(), 1);
        sink.save(QStringLiteral("dialog-profile-save-overwrite"), d.get());
    }
    {
        std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
        selectRow(d->listboxFileList(), 2);
        sink.save(QStringLiteral("dialog-profile-load"), d.get());
    }
    kb->supportAPC = false;
    {
        std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
        sink.save(QStringLiteral("dialog-profile-load-no-apc"), d.get());
    }
    AppParam::device = mouse;
    {
        std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
        sink.save(QStringLiteral("dialog-mouse-profile-save"), d.get());
    }
    {
        std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
        selectRow(d->listboxFileList(), 0);
        sink.save(QStringLiteral("dialog-mouse-profile-load"), d.get());
    }
    (void)kb->close(true);
    (void)mouse->close(true);
    AppParam::device = savedDevice;
    AppParam::userProfileFilePath = savedFolder;
}

const shots::ShotRegistrar registrar("dialog-profiles", render);

} // namespace
