// Pictures of the firmware file dialog (nothing picked, a file picked), the
// description package dialog, and the main window while a keyboard's
// firmware is being written (the progress view over it) and at its end.
#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogAppendKeyboard.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogHooks.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/RunLoop.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/WindowProbe.h"

#include <QLineEdit>

namespace {

void dialogs(shots::ShotSink& sink)
{
    {
        DialogFirmwareFileSelect d(QStringLiteral("/home/user/Downloads/KVK108A1_010207.vxb"));
        sink.save(QStringLiteral("dialog-firmware-file"), &d);
        d.pathLabel()->setText(QStringLiteral("KVK108A1_010207.vxb"));
        sink.save(QStringLiteral("dialog-firmware-file-picked"), &d);
    }
    {
        DialogAppendKeyboard d(QStringLiteral("/home/user/Downloads"));
        d.pathLabel()->setText(QStringLiteral("KVK199US.key"));
        sink.save(QStringLiteral("dialog-append-keyboard"), &d);
    }
}

void progress(shots::ShotSink& sink)
{
    apptest::AppHarness app(apptest::devices(true, false));
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    const auto& dev = AppParam::device;
    AppParam::firmwareFilePath = app.workFolder() + QStringLiteral("/fw.vxb");
    fwtest::writeFile(AppParam::firmwareFilePath,
                      fwtest::makeFirmware(dev->modelNumber().value_or(QString()).toLatin1(),
                                           fwtest::versionBytes(*dev->firmwareVersionCompare())));
    dialogHooks().firmwareUpdate = [&](QWidget* body) {
        DialogFirmwareUpdate d;
        d.updateView()->setParent(body);
        d.updateView()->setGeometry(body->rect());
        d.updateView()->show();
        d.beforeChunk = [&](int i) {
            if (i == 600)
                sink.save(QStringLiteral("MainWindow_firmware_update"), uitest::WindowProbe::window(main).mainView);
        };
        d.sleeper = [](platform::Seconds) { apptest::AppHarness::waitFor([] { return false; }, 30); };
        const AppError r = d.startUpdate();
        sink.save(QStringLiteral("MainWindow_firmware_update_done"), uitest::WindowProbe::window(main).mainView);
        return r;
    };
    main.execFirmwareUpdate();
}

const shots::ShotRegistrar registrar("dialog-firmware", [](shots::ShotSink& sink) {
    dialogs(sink);
    progress(sink);
});

} // namespace
