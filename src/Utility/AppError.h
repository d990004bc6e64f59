#pragma once
// The result code of every device, file and profile operation. Operations
// return it; nothing throws. The integer code is the position of the case.

#include <cstdint>

enum class AppError : int {
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

// Case name, for log lines and test output.
const char* appErrorName(AppError e);
