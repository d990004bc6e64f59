#include "FunctionPanel/FunctionApcSettingController.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView/KeyboardView.h"
#include "CustomControl/NKButton.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

QString tr_(const char* key)
{
    return platform::localizedString(QString::fromLatin1(key));
}

// Title keys of the radio columns 0, 1 and 2.
const char* const kLevelTitleKeys[3] = {"APCLevelHigh", "APCLevelMiddle", "APCLevelLow"};

int columnOfLevel(ApcLevel level)
{
    return level == ApcLevel::None ? -1 : 3 - int(level);
}

} // namespace

FunctionApcSettingController::FunctionApcSettingController(IDialogHost& host) : host_(host)
{
    keyboardView_ = makeWindowView<KeyboardView>(*host.bodyView());
    keyboardView_->setObjectName(QStringLiteral("apcKeyboardView"));
    keyboardView_->delegate = this;

    // The level radio: three cells in one row, each title in its level's
    // colour at full opacity.
    auto* radio = new QWidget(keyboardView_);
    radio->setObjectName(QStringLiteral("apcLevelRadio"));
    radio->setGeometry(layout::kApcLevelRadio.toRect());
    auto* row = new QHBoxLayout(radio);
    row->setContentsMargins(0, 0, 0, 0);
    radioGroup_ = new QButtonGroup(radio);
    radioGroup_->setExclusive(true);
    for (int column = 0; column < 3; ++column) {
        auto* cell = new NKRadioButton(tr_(kLevelTitleKeys[column]), radio);
        cell->setObjectName(QString::fromLatin1(kLevelTitleKeys[column]));
        QFont font = cell->font();
        font.setPixelSize(layout::kApcLevelRadioFont);
        cell->setFont(font);
        AppColor colour = levelColor(levelOfColumn(column));
        colour.alpha = 1.0;
        QPalette palette = cell->palette();
        palette.setColor(QPalette::WindowText, colour.toQColor());
        palette.setColor(QPalette::ButtonText, colour.toQColor());
        cell->setPalette(palette);
        cell->setAccessibleName(cell->text());
        radioGroup_->addButton(cell, column);
        row->addWidget(cell);
    }
    QObject::connect(radioGroup_, &QButtonGroup::idClicked, keyboardView_,
                     [this](int column) { clickApcLevelRadio(column); });
    radio->hide();
    apcLevelRadio_ = radio;
}

FunctionApcSettingController::~FunctionApcSettingController()
{
    // The picture and the menu stay with the window; only their ties to
    // this panel go.
    if (menuView_)
        menuView_->delegate = nullptr;
    if (keyboardView_)
        keyboardView_->delegate = nullptr;
    if (radioGroup_)
        radioGroup_->disconnect();
}

KeyboardView* FunctionApcSettingController::keyboardView()
{
    return keyboardView_;
}

QString FunctionApcSettingController::modeTitle() const
{
    TabMenuSettingView* strip = host_.apcModeStrip();
    const auto rows = strip ? strip->findChildren<TabMenuSettingItemView*>() : QList<TabMenuSettingItemView*>();
    return rows.isEmpty() ? QString() : rows.front()->titleString();
}

QRadioButton* FunctionApcSettingController::levelCell(int column) const
{
    return qobject_cast<QRadioButton*>(radioGroup_->button(column));
}

AppColor FunctionApcSettingController::levelColor(ApcLevel level)
{
    switch (level) {
    case ApcLevel::High: return AppParam::ColorButtonApcHigh;
    case ApcLevel::Middle: return AppParam::ColorButtonApcMiddle;
    case ApcLevel::Low: return AppParam::ColorButtonApcLow;
    default: return AppParam::ColorButtonClear;
    }
}

ApcLevel FunctionApcSettingController::levelOfColumn(int column)
{
    if (column < 0 || column > 2)
        return ApcLevel::None;
    return ApcLevel(3 - column);
}

std::vector<ApcLevel> FunctionApcSettingController::perKeyLevels(const KeyboardEntry& keyboard)
{
    std::vector<ApcLevel> levels(KolventraKeyboard::kKeyCount, ApcLevel::High);
    for (const KeytopEntry& key : keyboard.keytopList) {
        // A key without per-key settings (another type, or a code that has
        // no entry such as 255) never writes into the list.
        if (key.hasPerKeySettings())
            levels[size_t(key.code)] = key.apcLevel;
    }
    return levels;
}

// ---- the menu ------------------------------------------------------------------

void FunctionApcSettingController::initMenuItem()
{
    QWidget* body = host_.bodyView();
    if (menuView_ || !body)
        return;
    // The menu covers the window and hangs from the bottom of the APC tab,
    // as wide as the tab.
    QRectF frame(QPointF(0, 0), QSizeF(body->size()));
    QPointF leftTop(0, layout::kMainHeader.bottom());
    qreal width = layout::kTabWidth;
    if (QWidget* tab = host_.tabMenuAnchor(FunctionTab::ApcSetting)) {
        const QRect onWindow(tab->mapTo(body, QPoint(0, 0)), tab->size());
        leftTop = QPointF(onWindow.left(), onWindow.top() + onWindow.height());
        width = onWindow.width();
    }
    auto* menu = makeWindowView<TabMenuView>(*body, frame, leftTop, width, true, ButtonNo::None, nullptr);
    menu->setObjectName(QStringLiteral("apcMenuView"));
    menu->appendItem(FunctionItem::Separate, tr_("Separate"));
    menu->updateMenu();
    menu->update();
    menu->appendItem(FunctionItem::Collective, tr_("Collective"));
    menu->updateMenu();
    menu->update();
    menu->delegate = this;
    menuView_ = menu;
}

void FunctionApcSettingController::resetMenuRows()
{
    if (menuView_)
        menuView_->clearMenuItem(true);
}

void FunctionApcSettingController::showMenuView(bool)
{
    initMenuItem();
    if (!menuView_)
        return;
    if (menuView_->isShown()) {
        menuView_->removeFromSuperview();
        return;
    }
    resetMenuRows();
    menuView_->selectMenuItem(AppParam::functionApcSettingSelect, true);
    menuView_->showInView(host_.bodyView());
}

bool FunctionApcSettingController::isMenuViewShown() const
{
    return menuView_ && menuView_->isShown();
}

void FunctionApcSettingController::closeMenuView(bool resetItems)
{
    if (!menuView_)
        return;
    if (resetItems)
        resetMenuRows();
    menuView_->removeFromSuperview();
}

void FunctionApcSettingController::clickTabMenuItem(QObject*, FunctionItem function)
{
    if (function == FunctionItem::None)
        return;
    setItemSelect(function, true);
}

// ---- setting up and modes --------------------------------------------------------

void FunctionApcSettingController::setUpPanel()
{
    initMenuItem();
    resetMenuRows();
    selectedMenuItem_ = FunctionItem::Init;

    // The APC tab is shown for keyboards only; anything else is left alone.
    const auto keyboard = kbpanel::currentKeyboard();
    if (!keyboard)
        return;
    ApcLevel level = keyboard->apcLevel;
    if (level == ApcLevel::None) {
        level = ApcLevel::Middle;
        keyboard->apcLevel = ApcLevel::Middle;
    }
    selectApcLevel_ = level;
    {
        const QSignalBlocker block(radioGroup_);
        if (QAbstractButton* cell = radioGroup_->button(columnOfLevel(level)))
            cell->setChecked(true);
    }
    AppParam::paintColor = levelColor(selectApcLevel_);
    setItemSelect(AppParam::functionApcSettingSelect, false);
}

void FunctionApcSettingController::setItemSelect(FunctionItem selectMenu, bool fCommand)
{
    if (selectMenu == selectedMenuItem_)
        return;
    selectedMenuItem_ = selectMenu;
    AppParam::functionApcSettingSelect = selectMenu;
    if (apcLevelRadio_)
        apcLevelRadio_->setVisible(selectMenu != FunctionItem::None);

    const bool levelMode = selectMenu == FunctionItem::Separate || selectMenu == FunctionItem::Collective;
    switch (selectMenu) {
    case FunctionItem::Separate:
        AppParam::appCropMode = CropMode::AreaButton;
        AppParam::keyDrawMode = KeyDrawFrom::ApcLevelSeparate;
        AppParam::paintColor = levelColor(selectApcLevel_);
        break;
    case FunctionItem::Collective:
        AppParam::appCropMode = CropMode::None;
        AppParam::keyDrawMode = KeyDrawFrom::ApcLevelCollective;
        AppParam::paintColor = levelColor(selectApcLevel_);
        break;
    default:
        AppParam::appCropMode = CropMode::None;
        AppParam::keyDrawMode = KeyDrawFrom::None;
        AppParam::paintColor = AppColor::clear();
        break;
    }
    if (levelMode) {
        // The strip under the APC tab names the mode in force.
        const QString title = tr_(selectMenu == FunctionItem::Separate ? "Separate" : "Collective");
        if (TabMenuSettingView* strip = host_.apcModeStrip()) {
            for (TabMenuSettingItemView* row : strip->findChildren<TabMenuSettingItemView*>())
                row->setTitleString(title);
        }
        if (menuView_)
            menuView_->selectMenuItem(selectMenu, true);
    }
    redrawPicture();

    const auto keyboard = kbpanel::currentKeyboard();
    if (!keyboard)
        return;
    if (settleDeviceCall(keyboard->stopEffect(), keyboard) != CallOutcome::Done)
        return;
    if (levelMode && fCommand)
        (void)sendApcLevelCommand(keyboard);
}

void FunctionApcSettingController::redrawPicture()
{
    if (!keyboardView_)
        return;
    keyboardView_->redrawKeys();
}

// ---- sending -------------------------------------------------------------------

CallOutcome FunctionApcSettingController::sendApcLevelCommand(const std::shared_ptr<KeyboardEntry>& keyboard)
{
    if (!kbpanel::canSend(keyboard))
        return CallOutcome::NotSent;
    if (selectedMenuItem_ == FunctionItem::Separate) {
        const std::vector<ApcLevel> levels = perKeyLevels(*keyboard);
        keyboard->hidWait();
        // The levels go in packets; those the keyboard took before a failed
        // one stay in it, which leaves unsent changes too.
        const CallOutcome result = settlePacketedChange(keyboard->CMD_SetOnPos_Indi(levels, true), keyboard);
        if (result == CallOutcome::Done)
            keyboard->apcFunction = selectedMenuItem_;
        return result;
    }
    if (selectedMenuItem_ == FunctionItem::Collective) {
        // Without a level there is nothing the keyboard could take; sending
        // would only be refused and drop a healthy keyboard.
        if (selectApcLevel_ == ApcLevel::None)
            return CallOutcome::NotSent;
        const ApcLevel level = selectApcLevel_;
        keyboard->hidWait();
        const CallOutcome result = settleChange(keyboard->CMD_SetOnPos_AllKey(level), keyboard);
        if (result == CallOutcome::Done) {
            keyboard->apcFunction = selectedMenuItem_;
            keyboard->apcLevel = level;
        }
        return result;
    }
    return CallOutcome::NotSent;
}

// ---- user actions -----------------------------------------------------------------

void FunctionApcSettingController::clickApcLevelRadio(int column)
{
    selectApcLevel_ = levelOfColumn(column);
    AppParam::paintColor = levelColor(selectApcLevel_);
    redrawPicture();
    if (selectedMenuItem_ == FunctionItem::Collective)
        (void)sendApcLevelCommand(kbpanel::currentKeyboard());
}

void FunctionApcSettingController::applyKeySelect(KeyboardView*)
{
    const auto keyboard = kbpanel::currentKeyboard();
    // Without an open keyboard nothing can change: no unsent changes either.
    if (!kbpanel::canSend(keyboard))
        return;
    // The send marks what the keyboard took; a selection with nothing to
    // send (no level chosen) changed no key and marks nothing.
    if (selectedMenuItem_ == FunctionItem::Collective) {
        (void)sendApcLevelCommand(keyboard);
    } else if (selectedMenuItem_ == FunctionItem::Separate && selectApcLevel_ != ApcLevel::None) {
        for (KeytopEntry& key : keyboard->keytopList)
            if (key.select && key.hasPerKeySettings())
                key.apcLevel = selectApcLevel_;
        (void)sendApcLevelCommand(keyboard);
    }
}
