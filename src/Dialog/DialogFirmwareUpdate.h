#pragma once
// The firmware update of the current device, with its progress view.
//
// startUpdate() runs the whole sequence on the main thread: the file is read
// and checked once more, the device restarts into its updater, the
// application waits and opens it again at the same location, announces the
// image (size and CRC-16), sends it in 57-byte chunks, ends the update and,
// if the device has gone meanwhile, waits for it again. While it runs the
// progress view (a half-transparent overlay with an opaque panel holding a
// text and a busy indicator) lies over the main window; it is no modal
// dialog. The fixed waits keep the event loop running (user input
// excluded), so hot-plug notices are handled meanwhile; their lengths go
// through the clock seam.

#include "Platform/Clock.h"
#include "Utility/AppError.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

#include "CustomControl/BackgroundView.h"
class IDeviceEntry;
class QLabel;
class QProgressBar;
class QWidget;

class DialogFirmwareUpdate : public QObject {
    Q_OBJECT
public:
    // One wait step before the device is opened again, and how many of them
    // a keyboard and a mouse get; the settle time after the opening attempt.
    static constexpr double kWaitStepSeconds = 1.0;
    static constexpr int kKeyboardWaitSteps = 10;
    static constexpr int kMouseWaitSteps = 15;
    static constexpr double kSettleSeconds = 0.5;

    DialogFirmwareUpdate();
    ~DialogFirmwareUpdate() override;

    // Lays the progress view over `body`, runs the update and takes the
    // view away again; the result of startUpdate().
    static AppError run(QWidget* body);

    // The progress view. Its owner lays it over the window; it is taken
    // away when this object goes.
    BackgroundView* updateView() const { return updateView_; }
    QLabel* textBlock() const { return textBlock_; }
    QLabel* textStatus() const { return textStatus_; }
    QProgressBar* indicator() const { return indicator_; }
    // The indicator runs (between the start and the end of startUpdate()).
    bool isAnimating() const { return animating_; }

    // The whole update of AppParam::device from AppParam::firmwareFilePath.
    // Shows its own failure message. FileRead is given only for a file that
    // cannot be read or fails its check, before any command is sent. Runs
    // once per object; a second call returns BadParam.
    AppError startUpdate();

    // Serves one fixed wait; by default the event loop runs (no user input)
    // for the wait on the current time scale.
    std::function<void(platform::Seconds)> sleeper;
    // Told before each chunk is sent, with its index (benchmarks, tests).
    std::function<void(int)> beforeChunk;

private:
    AppError readImage(QByteArray& image);
    AppError executeRebootForUpdate();
    // `message` names the wait for the reader of the sequence; a normal
    // step is neither shown nor printed.
    AppError waitKeyboard(const char* message);
    AppError executeUpdate(const QByteArray& image);
    void displayMessage(const QString& text);
    void sleep(double seconds);
    // The device is still the current one and open.
    bool deviceUsable() const;

    QPointer<BackgroundView> updateView_;
    QLabel* textBlock_ = nullptr;
    QLabel* textStatus_ = nullptr;
    QProgressBar* indicator_ = nullptr;
    bool animating_ = false;
    bool started_ = false;
    std::shared_ptr<IDeviceEntry> device_;
    uint32_t location_ = 0;
};
