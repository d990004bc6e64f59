#include "XML/UserProfile.h"

#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <array>

namespace {

bool isEnabled(const UserProfile::EnableFunction& enableFunction, ProfileEntry entry)
{
    const auto it = enableFunction.find(entry);
    return it != enableFunction.end() && it->second;
}

} // namespace

QString UserProfile::memberName(const QString& keyboardType)
{
    return QStringLiteral("profile.") + keyboardType + QStringLiteral(".xml");
}

std::optional<QString> UserProfile::percentDecode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'%') {
            // Everything but an escape stands for its own UTF-8 bytes; a
            // surrogate pair goes through whole.
            qsizetype n = 1;
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                n = 2;
            bytes += text.mid(i, n).toUtf8();
            i += n - 1;
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = AppUtil::hexDigitValue(text.at(i + 1));
        const int low = AppUtil::hexDigitValue(text.at(i + 2));
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

// ---------------------------------------------------------------------------
// Read and Write

AppError UserProfile::Read(const QString& filePath, const QString& keyboardType,
                           UserProfileFile& profile)
{
    UserProfileXML reader;
    AppError result = AppUtil::loadProfileWith(filePath, memberName(keyboardType), reader);
    if (result == AppError::NoError && reader.hasMalformedText())
        result = AppError::FileRead;
    if (result != AppError::NoError)
        return result;

    profile = reader.takeProfile();
    if (const auto decoded = percentDecode(profile.comment))
        profile.comment = *decoded;
    return AppError::NoError;
}

UserProfileFile UserProfile::makeProfile(const QString& filePath, const KeyboardEntry& keyboard,
                                         const QString& fileComment)
{
    UserProfileFile p;
    p.type = QStringLiteral("User Profile");
    p.name = QFileInfo(filePath).completeBaseName();
    p.comment = fileComment;
    p.keyboardType = keyboard.keyboardType;
    p.apcFunctionEnable = true;
    p.ledFunctionEnable = true;
    p.ledBrightnessEnable = true;
    p.keyLockFunctionEnable = true;
    p.apcFunction = keyboard.apcFunction;
    p.apcLevel = keyboard.apcLevel;
    p.ledBrightness = keyboard.ledBrightness;
    p.ledFunction = keyboard.ledFunction;
    p.ledShootingStarInterval = keyboard.ledShootingStarInterval;
    p.keyLock = keyboard.keyLockEnable;

    // A model without an entry gives no selection and an empty colour text.
    auto select = [&](FunctionItem item) {
        const auto it = keyboard.ledSelect.find(item);
        return it != keyboard.ledSelect.end() ? it->second : ColorSelect::None;
    };
    auto color = [&](FunctionItem item) {
        const auto it = keyboard.ledColor.find(item);
        return it != keyboard.ledColor.end() ? AppUtil::colorToStr(it->second) : QString();
    };
    p.ledUserColorLedSelect = select(FunctionItem::UserSetting);
    p.ledPressedKeyLightingLedSelect = select(FunctionItem::PressedKeyLighting);
    p.ledPressedKeyLightingColor = color(FunctionItem::PressedKeyLighting);
    p.ledPressedKeyLightingWithBLLedSelect = select(FunctionItem::PressedKeyLightingWithBL);
    p.ledPressedKeyLightingWithBLColor = color(FunctionItem::PressedKeyLightingWithBL);
    p.ledShootingStarLedSelect = select(FunctionItem::ShootingStar);
    p.ledShootingStarColor = color(FunctionItem::ShootingStar);

    p.keytopList.reserve(keyboard.keytopList.size());
    for (const KeytopEntry& key : keyboard.keytopList) {
        UserProfileFile::KeytopEntry k;
        k.type = key.type;
        k.name = key.name;
        k.code = key.code;
        k.apcLevel = key.apcLevel;
        k.keytopLock = key.lock;
        k.userColor.reserve(key.userColor.size());
        for (const AppColor& c : key.userColor)
            k.userColor.push_back(c.alpha == 0.0 ? QString() : AppUtil::colorToStr(c));
        p.keytopList.push_back(std::move(k));
    }
    return p;
}

AppError UserProfile::Write(const QString& filePath, const QString& keyboardType,
                            const KeyboardEntry& keyboard, const QString& fileComment)
{
    const UserProfileFile profile = makeProfile(filePath, keyboard, fileComment);
    const QString member = memberName(keyboardType);
    if (QFileInfo::exists(filePath))
        return AppUtil::appendProfile(filePath, profile, member);
    return AppUtil::saveProfile(filePath, profile, member);
}

// ---------------------------------------------------------------------------
// Apply

AppError UserProfile::Apply(std::shared_ptr<KeyboardEntry> keyboard, const UserProfileFile& profile,
                            const EnableFunction& enableFunction)
{
    if (!keyboard || keyboard->keyboardType != profile.keyboardType)
        return AppError::BadParam;
    KeyboardEntry& kb = *keyboard;
    std::vector<KeytopEntry>& keys = kb.keytopList;

    const bool applyApc = profile.apcFunctionEnable && isEnabled(enableFunction, ProfileEntry::Apc);
    const bool applyLock =
        profile.keyLockFunctionEnable && isEnabled(enableFunction, ProfileEntry::KeyLock);

    // Each profile key gives its values to the first model key of the same
    // type and code, when that key is a Button.
    std::vector<std::pair<size_t, const UserProfileFile::KeytopEntry*>> matches;
    for (const UserProfileFile::KeytopEntry& pk : profile.keytopList) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].type == pk.type && keys[i].code == pk.code) {
                if (keys[i].type == KeytopEntryType::Button)
                    matches.emplace_back(i, &pk);
                break;
            }
        }
    }

    // Everything that will be sent is checked before anything changes: the
    // value each per-key list entry will carry must be a state of its kind.
    {
        std::vector<ApcLevel> levels(keys.size());
        std::vector<KeytopLock> locks(keys.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            levels[i] = keys[i].apcLevel;
            locks[i] = keys[i].lock;
        }
        for (const auto& [i, pk] : matches) {
            levels[i] = pk->apcLevel;
            locks[i] = pk->keytopLock;
        }
        for (size_t i = 0; i < keys.size(); ++i) {
            if (!keys[i].hasPerKeySettings())
                continue;
            if (applyApc && !fromRaw<ApcLevel>(rawValue(levels[i])))
                return AppError::BadParam;
            if (applyLock && !fromRaw<KeytopLock>(rawValue(locks[i])))
                return AppError::BadParam;
        }
    }

    if (applyApc) {
        for (const auto& [i, pk] : matches)
            keys[i].apcLevel = pk->apcLevel;
        std::vector<ApcLevel> list(KolventraKeyboard::kKeyCount, ApcLevel::High);
        for (const KeytopEntry& key : keys) {
            if (key.hasPerKeySettings())
                list[size_t(key.code)] = key.apcLevel;
        }
        const AppError e = kb.CMD_SetOnPos_Indi(list, false);
        if (e != AppError::NoError) {
            (void)settleDeviceCall(e, keyboard);
            return e;
        }
        kb.hidWait();
    }

    if (applyLock) {
        for (const auto& [i, pk] : matches)
            keys[i].lock = pk->keytopLock;
        std::vector<KeytopLock> list(KolventraKeyboard::kKeyCount, KeytopLock::Unlock);
        for (const KeytopEntry& key : keys) {
            if (key.hasPerKeySettings())
                list[size_t(key.code)] = key.lock;
        }
        const AppError e = kb.CMD_SetKeyLock(list, false);
        if (e != AppError::NoError) {
            (void)settleDeviceCall(e, keyboard);
            return e;
        }
        kb.hidWait();
    }
    return AppError::NoError;
}
