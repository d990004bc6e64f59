// The mouse button panel's menus (the tab menu, the six button menus and
// their sub-menus, the titles of the device function codes) and the
// assignment of a chosen function: the swap of buttons 1 and 2, a function
// of buttons 3 to 6, and a custom key combination captured in the dialog.
#include "FunctionPanel/FunctionMButtonSettingController.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogCustomKeySetting.h"
#include "Dialog/IDialogHost.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/KeyName.h"

#include <QFontMetricsF>
#include <QPushButton>
#include <QTextBoundaryFinder>

namespace {

struct Row {
    FunctionItem function;
    ButtonAssignCode code;
};

using A = ButtonAssignCode;
using F = FunctionItem;

// The rows of the three sub-menus, in menu order; conditional rows are
// filtered where the menus are built.
constexpr Row kFunctionRows[] = {
    {F::LeftClick, A::Func_LClick},       {F::RightClick, A::Func_RClick},
    {F::WheelClick, A::Func_WClick},      {F::Forward, A::Func_Next},
    {F::Back, A::Func_Back},              {F::DPICycle, A::Func_DpiUpCycle},
    {F::DPIUp, A::Func_DpiUp},            {F::DPIDown, A::Func_DpiDown},
    {F::LEDColor, A::Func_LedColorChg},   {F::LEDLuminance, A::Func_LedLiminChg},
    {F::DoubleClick, A::Func_DoubleClick},
};
constexpr Row kMultimediaRows[] = {
    {F::PlayOrPause, A::Muli_PlayPause}, {F::NextTrack, A::Muli_NextTrack},
    {F::PreviousTrack, A::Muli_PrevTrack}, {F::VolumeUp, A::Muli_VolumeUp},
    {F::VolumeDown, A::Muli_VolumeDown}, {F::Mute, A::Muli_Mute},
};
constexpr Row kKeyRows[] = {
    {F::Copy, A::Macro_MacCopy},          {F::Cut, A::Macro_MacCut},
    {F::Paste, A::Macro_MacPaste},        {F::Undo, A::Macro_MacUndo},
    {F::Redo, A::Macro_MacRedo},          {F::CloseWindow, A::Macro_MacCloseWindow},
    {F::NextApp, A::Macro_MacBrowseNextApp}, {F::PrevApp, A::Macro_MacBrowsePrevApp},
    {F::MoveBack, A::Macro_MacMoveBack},  {F::MoveForward, A::Macro_MacMoveForward},
    {F::MoveForward2, A::Macro_MacMoveForward2}, {F::CustomKey, A::Macro_CustomKey},
};

// Every function a chosen row can stand for, with its button function.
constexpr Row kAssignTable[] = {
    {F::LeftClick, A::Func_LClick},       {F::RightClick, A::Func_RClick},
    {F::WheelClick, A::Func_WClick},      {F::Forward, A::Func_Next},
    {F::Back, A::Func_Back},              {F::DPICycle, A::Func_DpiUpCycle},
    {F::DPIUp, A::Func_DpiUp},            {F::DPIDown, A::Func_DpiDown},
    {F::LEDColor, A::Func_LedColorChg},   {F::LEDLuminance, A::Func_LedLiminChg},
    {F::DoubleClick, A::Func_DoubleClick}, {F::PlayOrPause, A::Muli_PlayPause},
    {F::Stop, A::Muli_Stop},              {F::NextTrack, A::Muli_NextTrack},
    {F::PreviousTrack, A::Muli_PrevTrack}, {F::VolumeUp, A::Muli_VolumeUp},
    {F::VolumeDown, A::Muli_VolumeDown},  {F::Mute, A::Muli_Mute},
    {F::Copy, A::Macro_MacCopy},          {F::Cut, A::Macro_MacCut},
    {F::Paste, A::Macro_MacPaste},        {F::Undo, A::Macro_MacUndo},
    {F::Redo, A::Macro_MacRedo},          {F::CloseWindow, A::Macro_MacCloseWindow},
    {F::NextApp, A::Macro_MacBrowseNextApp}, {F::PrevApp, A::Macro_MacBrowsePrevApp},
    {F::MoveBack, A::Macro_MacMoveBack},  {F::MoveForward, A::Macro_MacMoveForward},
    {F::MoveForward2, A::Macro_MacMoveForward2}, {F::ZenkakuHakaku, A::Macro_EnJpSwitch},
    {F::CustomKey, A::Macro_CustomKey},
};

bool jisLayoutOf(const std::shared_ptr<MouseEntry>& mouse)
{
    return mouse && AppUtil::isJisKeyboardLayout(mouse->productID, mouse->vendorID);
}

QFont customKeyTitleFont()
{
    QFont font;
    font.setPixelSize(layout::kMButtonCustomKeyFontPixels);
    return font;
}

} // namespace

// ---- titles of the function codes ---------------------------------------------------------

QString FunctionMButtonSettingController::menuKeyFromKeyCode(int keyCode, bool jis)
{
    const bool titled = (keyCode >= 0x01 && keyCode <= 0x0B) || (keyCode >= 0x11 && keyCode <= 0x17)
                        || (keyCode >= 0x21 && keyCode <= 0x2C) || (keyCode >= 0x31 && keyCode <= 0x3B);
    if (!titled)
        return {};
    QString key = QStringLiteral("MCode0x") + QStringLiteral("%1").arg(keyCode, 2, 16, QLatin1Char('0')).toUpper();
    if (keyCode >= 0x39 && keyCode <= 0x3B)
        key += jis ? QStringLiteral("_JIS") : QStringLiteral("_US");
    return key;
}

QString FunctionMButtonSettingController::getMenuStringFromKeyCode(int keyCode)
{
    // Just after an unplug the current device may be no mouse: US names.
    const QString key = menuKeyFromKeyCode(keyCode, jisLayoutOf(currentMouse()));
    return key.isEmpty() ? QString() : platform::localizedString(key);
}

ButtonAssignCode FunctionMButtonSettingController::assignCodeOf(FunctionItem function)
{
    for (const Row& row : kAssignTable)
        if (row.function == function)
            return row.code;
    return ButtonAssignCode::None;
}

// ---- building the menus -----------------------------------------------------------------------

TabMenuView* FunctionMButtonSettingController::newMenu(qreal viewWidth, ButtonNo buttonNo, TabMenuView* parentMenu)
{
    auto* menu = makeWindowView<TabMenuView>(*host_.bodyView(), layout::kMButtonPopoverFrame, QPointF(0, 0),
                                             viewWidth, false, buttonNo, parentMenu);
    menu->delegate = this;
    builtMenus_.emplace_back(menu);
    return menu;
}

void FunctionMButtonSettingController::finishMenu(TabMenuView* menu)
{
    menu->updateMenu();
    menu->createPopover();
}

void FunctionMButtonSettingController::dropMenus()
{
    pendingDisplay_.stop();
    // A menu may be the one whose row click led here: let it go later.
    for (auto& menu : builtMenus_) {
        if (!menu)
            continue;
        menu->closeAllPopover();
        menu->delegate = nullptr;
        retireWindowView(menu);
    }
    builtMenus_.clear();
    menuView_ = nullptr;
    buttonMenus_.fill(nullptr);
}

void FunctionMButtonSettingController::initMenuItem()
{
    dropMenus();
    qreal tabWidth = layout::kTabWidth;
    // As wide as the keyboard's Other tab.
    if (const QWidget* tab = host_.tabMenuAnchor(FunctionTab::OtherSetting))
        tabWidth = tab->width();
    menuView_ = newMenu(tabWidth - 1.0, ButtonNo::None, nullptr);
    for (int button = 1; button <= 6; ++button)
        buttonMenus_[size_t(button - 1)] = createButtonMenu(button);
    for (int button = 1; button <= 6; ++button)
        menuView_->appendItem(FunctionItem(rawValue(FunctionItem::Button1) + button - 1), ButtonAssignCode::None,
                              platform::localizedString(QStringLiteral("MButton%1").arg(button)), true,
                              buttonMenus_[size_t(button - 1)]);
    finishMenu(menuView_);
}

TabMenuView* FunctionMButtonSettingController::createButtonMenu(int button)
{
    const ButtonNo buttonNo = ButtonNo(rawValue(ButtonNo::Button1) + button - 1);
    NKMenuView* header = headers_[size_t(button - 1)];
    const qreal width = header ? header->width() : layout::kMButtonHeaderSize.width();
    TabMenuView* menu = newMenu(width, buttonNo, menuView_);
    if (button == 1) {
        menu->appendItem(FunctionItem::SwapButton2, ButtonAssignCode::None,
                         platform::localizedString(QStringLiteral("SwichToButton2")));
    } else if (button == 2) {
        menu->appendItem(FunctionItem::SwapButton1, ButtonAssignCode::None,
                         platform::localizedString(QStringLiteral("SwichToButton1")));
    } else {
        TabMenuView* functions = createFunctionMenu(buttonNo, menu);
        TabMenuView* multimedia = createMultiMediaMenu(buttonNo, menu);
        TabMenuView* keys = createKeyMenu(buttonNo, menu);
        menu->appendItem(FunctionItem::FunctionSwitching, ButtonAssignCode::None,
                         platform::localizedString(QStringLiteral("FunctionSwitching")), true, functions);
        menu->appendItem(FunctionItem::Multimedia, ButtonAssignCode::None,
                         platform::localizedString(QStringLiteral("Multimedia")), true, multimedia);
        menu->appendItem(FunctionItem::RegistKey, ButtonAssignCode::None,
                         platform::localizedString(QStringLiteral("RegistKey")), true, keys);
    }
    finishMenu(menu);
    return menu;
}

static qreal subMenuWidth(const std::array<QPointer<NKMenuView>, 6>& headers)
{
    // Every sub-menu of every button takes the width of button 2's header.
    return headers[1] ? headers[1]->width() : layout::kMButtonHeaderSize.width();
}

TabMenuView* FunctionMButtonSettingController::createFunctionMenu(ButtonNo buttonNo, TabMenuView* parentMenu)
{
    const auto mouse = currentMouse();
    const bool custom = mouse && mouse->isSupportedCustomKeySetting();
    TabMenuView* menu = newMenu(subMenuWidth(headers_), buttonNo, parentMenu);
    for (const Row& row : kFunctionRows) {
        if (row.function == F::DoubleClick && !custom)
            continue;
        menu->appendItem(row.function, row.code, getMenuStringFromKeyCode(rawValue(row.code)));
    }
    finishMenu(menu);
    return menu;
}

TabMenuView* FunctionMButtonSettingController::createMultiMediaMenu(ButtonNo buttonNo, TabMenuView* parentMenu)
{
    TabMenuView* menu = newMenu(subMenuWidth(headers_), buttonNo, parentMenu);
    for (const Row& row : kMultimediaRows)
        menu->appendItem(row.function, row.code, getMenuStringFromKeyCode(rawValue(row.code)));
    finishMenu(menu);
    return menu;
}

TabMenuView* FunctionMButtonSettingController::createKeyMenu(ButtonNo buttonNo, TabMenuView* parentMenu)
{
    const auto mouse = currentMouse();
    const bool custom = mouse && mouse->isSupportedCustomKeySetting();
    const bool jis = jisLayoutOf(mouse);
    TabMenuView* menu = newMenu(subMenuWidth(headers_), buttonNo, parentMenu);
    for (const Row& row : kKeyRows) {
        if ((row.function == F::MoveBack && jis) || (row.function == F::MoveForward2 && !jis)
            || (row.function == F::CustomKey && !custom))
            continue;
        menu->appendItem(row.function, row.code, getMenuStringFromKeyCode(rawValue(row.code)));
    }
    finishMenu(menu);
    return menu;
}

// ---- custom keys: the two forms and the header title ----------------------------------------

void FunctionMButtonSettingController::customKeySettingToCustomKeyCodeList(int inKeyModifier, int inKeyCode,
                                                                           std::vector<int>& outCustomKeyList)
{
    outCustomKeyList.clear();
    for (const auto& [keyCode, modifier] : AppParam::ModifierDict)
        if (inKeyModifier & rawValue(modifier))
            outCustomKeyList.push_back(keyCode);
    if (inKeyCode < 1)
        return;
    const auto& table = jisLayoutOf(currentMouse()) ? AppParam::KeyCodeDict : AppParam::KeyCodeUsDict;
    for (const auto& [keyCode, code] : table)
        if (rawValue(code) == inKeyCode)
            outCustomKeyList.push_back(keyCode);
}

void FunctionMButtonSettingController::customKeyCodeListToSetting(const std::vector<int>& list, int& modifier,
                                                                  int& keyCode)
{
    modifier = 0;
    keyCode = 0;
    for (int code : list) {
        if (const auto m = AppParam::ModifierDict.find(code); m != AppParam::ModifierDict.end()) {
            modifier |= rawValue(m->second);
            continue;
        }
        const auto& table = jisLayoutOf(currentMouse()) ? AppParam::KeyCodeDict : AppParam::KeyCodeUsDict;
        // A key outside the table is skipped rather than trusted.
        const auto k = table.find(code);
        if (k != table.end() && rawValue(k->second) >= 1)
            keyCode = rawValue(k->second);
    }
}

bool FunctionMButtonSettingController::adjustCustomKeyTitle(QStringList& refList, qreal inWidth, NKMenuView* inItem)
{
    (void)inItem;
    if (refList.size() != 4)
        return false;
    QString s = refList[2];
    if (s.isEmpty())
        return true;
    const QFontMetricsF metrics(customKeyTitleFont());
    auto width = [&](const QString& third) {
        return metrics.horizontalAdvance(refList[0] + refList[1] + third + refList[3]);
    };
    bool ellipsis = false;
    while (!s.isEmpty()) {
        if (width(s) < inWidth) {
            refList[2] = s;
            return true;
        }
        if (!ellipsis) {
            refList[3] = QStringLiteral("\u2026") + refList[3];
            ellipsis = true;
        }
        // Drop the last user-perceived character.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
        finder.toEnd();
        const qsizetype cut = finder.toPreviousBoundary();
        s.truncate(cut > 0 ? cut : 0);
    }
    // Not even one character fits: the name, "(", "…", ")".
    refList[2] = QString();
    return true;
}

// ---- assignment -----------------------------------------------------------------------------------

void FunctionMButtonSettingController::setItemSelect(TabMenuView* menu, FunctionItem function, ButtonNo buttonNo,
                                                     ButtonAssignCode assignCode, bool fCommand)
{
    (void)fCommand;
    const auto mouse = currentMouse();
    if (!mouse || !menu)
        return;
    const int button = rawValue(buttonNo) + 1;

    if (buttonNo == ButtonNo::Button1 || buttonNo == ButtonNo::Button2) {
        const bool swappedNow = menu->isCheckMenuItem(function);
        showSwapMarks(!swappedNow);
        mouse->hidWait();
        const AppError result =
            mouse->CMD_SetBtn12Setting(rawValue(swappedNow ? Button12Change::NotChange : Button12Change::Changed));
        if (isCurrentDevice(mouse))
            setSwapTitles(!swappedNow);
        commandResult(mouse, result);
        return;
    }
    if (buttonNo < ButtonNo::Button3 || buttonNo > ButtonNo::Button6 || assignCode == ButtonAssignCode::None)
        return;

    const int code = rawValue(assignCode);
    menu->clearMenuItem(true);
    if (assignCode != ButtonAssignCode::Macro_CustomKey) {
        if (mouse->buttonSettingList[size_t(button - 1)] == code)
            return;
        mouse->hidWait();
        commandResult(mouse, mouse->CMD_SetBtnFuncSetting(button - 1, code));
        return;
    }

    bool cancelled = false;
    const AppError result = runCustomKeyDialog(mouse, button, cancelled);
    if (cancelled)
        return;
    commandResult(mouse, result);
}

AppError FunctionMButtonSettingController::runCustomKeyDialog(const std::shared_ptr<MouseEntry>& mouse, int button,
                                                              bool& cancelled)
{
    cancelled = true;
    const auto& key = mouse->customKeyList[size_t(button - 3)];
    std::vector<int> keys;
    customKeySettingToCustomKeyCodeList(key.modifier, key.keyCode, keys);

    QPointer<DialogCustomKeySetting> dialog = DialogCustomKeySetting::sharedManager();
    dialog->loadUI();
    dialog->customKeyCodeList = keys;
    dialog->showCustomText();
    dialog->okButton()->setEnabled(true);
    if (QWidget* window = host_.dialogReferenceWindow())
        dialog->setReferenceWindow(window);
    // Under the mask with the help items off; they come back however the
    // dialog ends, also when the device went away under it.
    const int code = runMaskedDialog(host_, [&] { return dialog->exec(); });
    // Cancel, or the dialog ended because the device went away.
    if (code != 1 || !dialog || !isCurrentDevice(mouse))
        return AppError::NoError;

    int modifier = 0;
    int keyCode = 0;
    customKeyCodeListToSetting(dialog->customKeyCodeList, modifier, keyCode);
    cancelled = false;
    mouse->hidWait();
    AppError result = mouse->CMD_SetCustomKeysSetting(button - 1, modifier, keyCode);
    if (result != AppError::NoError || !isCurrentDevice(mouse))
        return result;
    if (mouse->buttonSettingList[size_t(button - 1)] == rawValue(ButtonAssignCode::Macro_CustomKey))
        return AppError::NoError;
    mouse->hidWait();
    return mouse->CMD_SetBtnFuncSetting(button - 1, rawValue(ButtonAssignCode::Macro_CustomKey));
}

void FunctionMButtonSettingController::commandResult(const std::shared_ptr<MouseEntry>& mouse, AppError result)
{
    if (settleChange(result, mouse) != CallOutcome::Done)
        return;
    // The headers show what the mouse holds now; the read may itself end in
    // a recovery, whose connect starts the next device without unsent changes.
    updateButtonMenus();
}
