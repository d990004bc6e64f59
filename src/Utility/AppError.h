#pragma once
// The result code of every device, file and profile operation. Operations
// return it; nothing throws. The integer code is the position of the case.

#include <cstdint>

enum class [[nodiscard]] AppError : int {
    NoError = 0,
    Error,
    BadParam,
    FileNotExist,
    FileRead,
    FileWrite,
    CrcError,
    BadDevice,
    DeviceOpen,
    DevceWrite,
    DevceRead,
    DeviceWriteTimeout,
    DeviceReadTimeout,
    DeviceIsInvalid,
    RecvBadParamStore,
    RecvBadLengthStore,
    RecvErrorStore,
    MemAlloc,
    UiCancel,
    AbortFirmwareUpdate,
    FolderNotExist,
};

constexpr int appErrorCode(AppError e) { return static_cast<int>(e); }

// True when a device command was refused because another transaction on the
// same device is still waiting for its replies (DeviceIsInvalid is given for
// nothing else). The device is busy, not broken: callers return the result
// and do not run the recovery (setConnectedDeviceError), which would drop a
// healthy device.
constexpr bool isBusy(AppError e) { return e == AppError::DeviceIsInvalid; }

// Case name, for log lines and test output.
const char* appErrorName(AppError e);
