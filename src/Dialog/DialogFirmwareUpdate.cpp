#include "Dialog/DialogFirmwareUpdate.h"

#include "AppParam.h"
#include "CustomControl/BackgroundView.h"
#include "Device/DeviceCall.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogRegistry.h"
#include "Dialog/FirmwareImage.h"
#include "Platform/RunLoop.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "Utility/Crc16.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <span>

namespace {

// How long the end of a wait may take to hand over hot-plug notices that
// were held back while a command ran (a few turns of the event loop).
constexpr int kDrainTurns = 100;

// The edge of the panel that holds the texts.
const QColor kPanelBorder(72, 72, 72);

} // namespace

DialogFirmwareUpdate::DialogFirmwareUpdate()
{
    auto* view = new BackgroundView;
    view->setObjectName(QStringLiteral("firmwareUpdateView"));
    QColor shade = AppParam::SubBackgroundColor.toQColor();
    shade.setAlphaF(layout::firmwareUpdateViewAlpha);
    view->setBackgroundColor(shade);
    view->isMoveWindow = false;
    view->isMouseEvenThrough = false;

    // The text and the indicator stand on an opaque panel in the middle, so
    // the dimmed window beneath does not show through them.
    auto* panel = new QFrame(view);
    panel->setObjectName(QStringLiteral("firmwareUpdatePanel"));
    panel->setStyleSheet(QStringLiteral("#firmwareUpdatePanel { background-color: %1; border: 1px solid %2;"
                                        " border-radius: %3px; }")
                             .arg(AppParam::BackgroundColor.toQColor().name(), kPanelBorder.name())
                             .arg(layout::firmwareUpdatePanelRadius));
    panel->setFixedSize(layout::firmwareUpdatePanelSize.toSize());

    textBlock_ = new QLabel(panel);
    textBlock_->setObjectName(QStringLiteral("textBlock"));
    textBlock_->setAlignment(Qt::AlignCenter);
    textBlock_->setWordWrap(true);
    QFont font = textBlock_->font();
    font.setPixelSize(layout::firmwareUpdateFontPixels);
    textBlock_->setFont(font);
    textBlock_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    textStatus_ = new QLabel(panel);
    textStatus_->setObjectName(QStringLiteral("textStatus"));
    textStatus_->setAlignment(Qt::AlignCenter);
    textStatus_->setFont(font);
    textStatus_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    indicator_ = new QProgressBar(panel);
    indicator_->setObjectName(QStringLiteral("indicator"));
    indicator_->setRange(0, 1); // still until the update starts
    indicator_->setValue(0);
    indicator_->setTextVisible(false);
    indicator_->setFixedSize(layout::firmwareUpdateIndicatorSize.toSize());

    auto* column = new QVBoxLayout(panel);
    const int m = layout::dialogMargin;
    column->setContentsMargins(m, m, m, m);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(textBlock_);
    column->addSpacing(layout::dialogSpacing);
    column->addWidget(indicator_, 0, Qt::AlignHCenter);
    column->addSpacing(layout::dialogSpacing);
    column->addWidget(textStatus_);
    column->addStretch(1);

    auto* centre = new QVBoxLayout(view);
    centre->addWidget(panel, 0, Qt::AlignCenter);
    updateView_ = view;
}

DialogFirmwareUpdate::~DialogFirmwareUpdate()
{
    // The view goes with the update: taken off the window at once, deleted
    // once control is back in the event loop (a handler of the view may
    // still be on the stack).
    if (updateView_) {
        DialogRegistry::remove(updateView_);
        if (updateView_->parent()) {
            updateView_->hide();
            updateView_->deleteLater();
        } else {
            delete updateView_.data();
        }
    }
}

AppError DialogFirmwareUpdate::run(QWidget* body)
{
    DialogFirmwareUpdate dialog;
    BackgroundView* view = dialog.updateView();
    if (body) {
        view->setParent(body);
        view->setGeometry(body->rect());
        view->show();
        view->raise();
    }
    return dialog.startUpdate();
}

void DialogFirmwareUpdate::displayMessage(const QString& text)
{
    textBlock_->setText(text);
    textBlock_->setAccessibleName(text);
}

void DialogFirmwareUpdate::sleep(double seconds)
{
    const platform::Seconds wait(seconds);
    if (sleeper) {
        sleeper(wait);
        return;
    }
    platform::EventWait pause;
    (void)pause.run([] { return false; }, wait);
}

bool DialogFirmwareUpdate::deviceUsable() const
{
    return isCurrentDevice(device_) && device_->hidIsOpened();
}

AppError DialogFirmwareUpdate::readImage(QByteArray& image)
{
    QByteArray bytes;
    if (firmware::readFile(AppParam::firmwareFilePath, bytes) != firmware::ReadOutcome::Read)
        return AppError::FileRead;
    // The file may have changed since it was checked: the bytes that are
    // about to be sent must pass that check again, the version included.
    if (firmware::checkFor(bytes, *device_) != firmware::Verdict::Good)
        return AppError::FileRead;
    image = firmware::imageOf(bytes);
    return AppError::NoError;
}

AppError DialogFirmwareUpdate::executeRebootForUpdate()
{
    if (!device_->hidIsOpened())
        return AppError::BadDevice;
    const std::optional<QString> model = device_->modelNumber();
    if (!model || model->size() != firmware::kModelLength)
        return AppError::NoError;
    device_->hidWait();
    const AppError result = device_->CMD_RebootForUpdate();
    // The device may restart before it answers.
    if (result != AppError::NoError && result != AppError::DevceRead)
        return result;
    device_->hidWait();
    device_->hidClose();
    return AppError::NoError;
}

AppError DialogFirmwareUpdate::waitKeyboard([[maybe_unused]] const char* message)
{
    if (device_->hidIsOpened())
        return AppError::NoError;
    const int steps = device_->deviceType() == DeviceType::Mouse ? kMouseWaitSteps : kKeyboardWaitSteps;
    for (int i = 0; i < steps; ++i)
        sleep(kWaitStepSeconds);
    const AppError result = device_->hidOpen(location_);
    sleep(kSettleSeconds);
    // Removal and arrival notices of the restart that a command held back
    // are handled now, while the update still counts as running: handled
    // later they would be taken for the device's return after the update.
    for (int turn = 0; turn < kDrainTurns && platform::pendingIdleWork() > 0; ++turn)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (result == AppError::NoError && !isCurrentDevice(device_))
        return AppError::DeviceOpen;
    return result;
}

AppError DialogFirmwareUpdate::executeUpdate(const QByteArray& image)
{
    // A closed device would take every command without a word: each step
    // first makes sure the device is still there.
    if (!deviceUsable())
        return AppError::DeviceOpen;
    const uint16_t crc = Crc16::compute(image);
    device_->hidWait();
    if (device_->CMD_StartUpdate(int(image.size()), crc) != AppError::NoError)
        return AppError::BadDevice;
    device_->hidWait();
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.constData());
    const qsizetype size = image.size();
    int index = 0;
    for (qsizetype offset = 0; offset < size; ++index) {
        const qsizetype n = std::min(firmware::kChunkSize, size - offset);
        if (beforeChunk)
            beforeChunk(index);
        if (!deviceUsable())
            return AppError::DeviceOpen;
        const AppError sent = device_->CMD_SendFwData(index, std::span<const uint8_t>(bytes + offset, size_t(n)));
        if (sent != AppError::NoError)
            return sent;
        offset += n;
    }
    displayMessage(platform::localizedString(QStringLiteral("KeyboardFirmwareUpdateSuccess")));
    if (!deviceUsable())
        return AppError::DeviceOpen;
    const AppError ended = device_->CMD_EndUpdate();
    if (ended != AppError::NoError)
        return ended;
    device_->hidWait();
    return AppError::NoError;
}

AppError DialogFirmwareUpdate::startUpdate()
{
    if (started_)
        return AppError::BadParam;
    started_ = true;
    if (updateView_)
        DialogRegistry::add(updateView_, DialogKind::FirmwareUpdate);
    animating_ = true;
    indicator_->setRange(0, 0);
    displayMessage(platform::localizedString(QStringLiteral("KeyboardFirmwareUpdate")));

    device_ = AppParam::device;
    location_ = uint32_t(AppParam::selectDeviceLocation);
    AppError result = device_ ? AppError::NoError : AppError::BadDevice;
    QByteArray image;
    // The file is read and judged before the device hears anything, so a
    // file problem leaves the device as it was.
    if (result == AppError::NoError)
        result = readImage(image);
    if (result == AppError::NoError)
        result = executeRebootForUpdate();
    if (result == AppError::NoError) {
        setSettingsChanged(false);
        AppError step = waitKeyboard("Reboot device");
        if (step == AppError::NoError)
            step = executeUpdate(image);
        if (step == AppError::NoError)
            step = waitKeyboard("Connect device");
        if (step != AppError::NoError) {
            device_->hidClose();
            result = AppError::DeviceOpen;
        }
    }

    animating_ = false;
    indicator_->setRange(0, 1);
    indicator_->setValue(0);
    if (updateView_)
        DialogRegistry::remove(updateView_);
    switch (result) {
    case AppError::NoError: break;
    case AppError::FileRead:
        AppUtil::messageBox(QStringLiteral("FailedToAccessFile"), QStringLiteral("OK"), QString());
        break;
    case AppError::DeviceOpen:
        AppUtil::messageBox(QStringLiteral("KeyboardNotFound"), QStringLiteral("OK"), QString());
        break;
    default:
        AppUtil::messageBox(QStringLiteral("FailedToUpdateFirmware"), QStringLiteral("OK"), QString());
        break;
    }
    return result;
}
