#include "Platform/Strings.h"

#include <QUrl>

#include <gtest/gtest.h>

TEST(Strings, LookupAndMissingKey)
{
    EXPECT_EQ(platform::localizedString("OK"), "OK");
    EXPECT_EQ(platform::localizedString("Yes"), "Yes");
    EXPECT_FALSE(platform::localizedString("CanNotWriteToThisFolder").isEmpty());
    EXPECT_NE(platform::localizedString("CanNotWriteToThisFolder"), "CanNotWriteToThisFolder");
    // A key the table lacks shows as itself, so already localised text
    // passes through unchanged.
    EXPECT_EQ(platform::localizedString("NoSuchKey_xyz"), "NoSuchKey_xyz");
    EXPECT_EQ(platform::localizedString("A text with spaces."), "A text with spaces.");
    EXPECT_EQ(platform::localizedString(""), "");
    EXPECT_FALSE(platform::hasLocalizedString("NoSuchKey_xyz"));
}

TEST(Strings, TableHoldsEveryKeyTheApplicationUses)
{
    QStringList required = {
        "OK", "Cancel", "Yes", "No", "Update", "Append", "Return",
        "CanNotWriteToThisFolder", "FailedToSaveProfile", "FailedToLoadProfile",
        "FileAlreadyExists", "FailedToAccessFile", "FailedToAccessFolder",
        "RetryFirmwareUpdate", "DeviceNotFount", "JumpToKolventraSupportPage",
        "ApplicationExitCheck", "CheckKeyboardRestoreDefault", "CheckNotConnectOtherKeyboard",
        "CheckKeyboardSettingsSave", "CheckMouseSettingsSave", "CheckKeyboardFirmwareUpdate",
        "CheckNotDisconnectUSBCacle", "FirmwareFileInvaliedOrCorrupted",
        "FirmwareFileInvaliedDevice", "FirmwareFileInvaliedVersion", "KeyboardFirmwareUpdate",
        "KeyboardFirmwareUpdateSuccess", "KeyboardNotFound", "FailedToUpdateFirmware",
        "WebLink_DeviceManual", "WebLink_DeviceFaq", "WebLink_DeviceSupport",
        "ModelNumber", "FirmwareVersion", "KeyboardList", "APC", "KeyLock", "OtherSetting",
        "ButtonTabCaption", "LEDTabCaption", "SensorTabCaption", "LockEnable",
        "APCLevelHigh", "APCLevelMiddle", "APCLevelLow", "Separate", "Collective",
        "ToSaveTheDevice", "ToSaveTheMouse", "ToInitialSetting", "CapsLkCtrl",
        "IndicatorLedSettings", "FWUpdate", "FolderSetting",
        "SwichToButton1", "SwichToButton2", "FunctionSwitching", "Multimedia", "RegistKey",
        "SensorDpiSettingLabel", "SensorLoDSettingLabel", "SwitchDpiLabel", "DpiUnitLabel",
        "LoDLow", "LoDHigh", "PollingRateLabel", "PollingRateUnit",
        "LedSettingLabel", "IndicatorLabel", "LogoLabel", "ColorLabel", "LuminanceLabel",
        "DialogFolderLabel", "Version", "SaveTheProfile", "DialogProfileName",
        "DialogProfileComment", "DialogProfileList", "ProfileOverwrite", "LoadTheProfile",
        "MUserSettingButton", "MUserSettingLED", "MUserSettingDpi", "MUserSettingLoD",
        "MUserSettingSensor", "FirmwareUpdate", "DialogUpdateFileLabel", "CustomKeySetting",
        "CustomKeyTextPlaceHolder", "AppendKeyboard", "KeyboardProfile", "DefaultColor",
        "Brightness", "ColorOFF", "ColorRed", "ColorGreen", "ColorBlue", "ColorMagenta",
        "ColorYellow", "ColorCyan", "ColorWhite",
    };
    for (int i = 1; i <= 6; ++i)
        required << QString("MButton%1").arg(i);
    for (int i = 1; i <= 4; ++i)
        required << QString("Setting%1Label").arg(i);
    for (auto [from, to] : {std::pair{0x01, 0x0B}, {0x11, 0x17}, {0x21, 0x2C}, {0x31, 0x38}})
        for (int c = from; c <= to; ++c)
            required << QString::asprintf("MCode0x%02X", c);
    for (int c : {0x39, 0x3A, 0x3B})
        required << QString::asprintf("MCode0x%02X_JIS", c) << QString::asprintf("MCode0x%02X_US", c);

    for (const QString& key : required) {
        EXPECT_TRUE(platform::hasLocalizedString(key)) << key.toStdString();
        EXPECT_FALSE(platform::localizedString(key).trimmed().isEmpty()) << key.toStdString();
    }
}

TEST(Strings, HelpLinksAreWebAddresses)
{
    for (const char* key : {"WebLink_DeviceManual", "WebLink_DeviceFaq", "WebLink_DeviceSupport"}) {
        const QUrl url(platform::localizedString(key));
        EXPECT_TRUE(url.isValid()) << key;
        EXPECT_EQ(url.scheme(), "https") << key;
    }
}
