#include "Utility/AppError.h"

const char* appErrorName(AppError e)
{
    static const char* const names[] = {
        "NoError", "Error", "BadParam", "FileNotExist", "FileRead", "FileWrite", "CrcError",
        "BadDevice", "DeviceOpen", "DevceWrite", "DevceRead", "DeviceWriteTimeout",
        "DeviceReadTimeout", "DeviceIsInvalid", "RecvBadParamStore", "RecvBadLengthStore",
        "RecvErrorStore", "MemAlloc", "UiCancel", "AbortFirmwareUpdate", "FolderNotExist",
    };
    const int i = appErrorCode(e);
    if (i < 0 || i >= int(sizeof names / sizeof names[0]))
        return "?";
    return names[i];
}
