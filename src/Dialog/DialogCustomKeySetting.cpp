#include "Dialog/DialogCustomKeySetting.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/KeyName.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

constexpr int kCapsLock = 57;

// The key field while it captures: a lit edge and, before the first key,
// the request in grey.
const QColor kCaptureEdgeColour(0x3D, 0xA5, 0xE0);
constexpr qreal kCaptureEdgeWidth = 2;
const QColor kPromptColour(150, 150, 150);

// The modifier keys in the order their states are read after a change.
constexpr std::array<int, 8> kModifierOrder{56, 60, 59, 62, 55, 54, 58, 61};

// Physical key (evdev code) -> virtual key code. Every key of the key-code
// tables that a Linux keyboard can produce; fn never reaches Linux.
const std::unordered_map<int, int>& evdevTable()
{
    static const std::unordered_map<int, int> table{
        // letters
        {30, 0}, {31, 1}, {32, 2}, {33, 3}, {35, 4}, {34, 5}, {44, 6}, {45, 7}, {46, 8}, {47, 9},
        {48, 11}, {16, 12}, {17, 13}, {18, 14}, {19, 15}, {21, 16}, {20, 17}, {24, 31}, {22, 32},
        {23, 34}, {25, 35}, {38, 37}, {36, 38}, {37, 40}, {49, 45}, {50, 46},
        // digits and punctuation
        {2, 18}, {3, 19}, {4, 20}, {5, 21}, {7, 22}, {6, 23}, {13, 24}, {10, 25}, {8, 26},
        {12, 27}, {9, 28}, {11, 29}, {27, 30}, {26, 33}, {40, 39}, {39, 41}, {43, 42},
        {51, 43}, {53, 44}, {52, 47}, {41, 50}, {85, 50},
        // editing and whitespace
        {28, 36}, {15, 48}, {57, 49}, {14, 51}, {1, 53}, {111, 117}, {110, kVK_WinInsert},
        // modifiers and Caps Lock
        {29, 59}, {97, 62}, {42, 56}, {54, 60}, {56, 58}, {100, 61}, {125, 55}, {126, 54},
        {58, kCapsLock},
        // keypad
        {83, 65}, {55, 67}, {78, 69}, {69, 71}, {98, 75}, {96, 76}, {74, 78}, {117, 81},
        {82, 82}, {79, 83}, {80, 84}, {81, 85}, {75, 86}, {76, 87}, {77, 88}, {71, 89},
        {72, 91}, {73, 92}, {95, 95},
        // function keys
        {59, 122}, {60, 120}, {61, 99}, {62, 118}, {63, 96}, {64, 97}, {65, 98}, {66, 100},
        {67, 101}, {68, 109}, {87, 103}, {88, 111}, {183, 105}, {184, 107}, {185, 113},
        {186, 106}, {187, 64}, {188, 79}, {189, 80},
        // navigation
        {102, 115}, {104, 116}, {107, 119}, {109, 121}, {105, 123}, {106, 124}, {108, 125},
        {103, 126},
        // system keys
        {99, kVK_WinPrintScreen}, {70, kVK_WinScroll}, {119, kVK_WinPause},
        // Japanese input keys
        {124, 93}, {89, 94}, {123, 102}, {122, 104}, {94, kVK_WinMuhenkan},
        {92, kVK_WinHenkan}, {93, kVK_WinKana},
    };
    return table;
}

template <class T>
bool contains(const std::vector<T>& list, const T& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

template <class T>
void removeFirst(std::vector<T>& list, const T& value)
{
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end())
        list.erase(it);
}

QPointer<DialogCustomKeySetting>& sharedInstance()
{
    static QPointer<DialogCustomKeySetting> instance;
    return instance;
}

} // namespace

// ---- CustomKeyTextField ---------------------------------------------------------

CustomKeyTextField::CustomKeyTextField(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, layout::kFieldColor);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    QFont f = font();
    f.setPixelSize(layout::dialogFontPixels);
    setFont(f);
    setFocusPolicy(Qt::ClickFocus);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void CustomKeyTextField::setCapturePrompt(const QString& prompt)
{
    capturePrompt_ = prompt;
    update();
}

QString CustomKeyTextField::shownText() const
{
    return text().isEmpty() && isFocusTextbox ? capturePrompt_ : text();
}

void CustomKeyTextField::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!isFocusTextbox)
        return;
    QPainter p(this);
    if (text().isEmpty()) {
        p.setPen(kPromptColour);
        p.drawText(contentsRect(), int(alignment()), capturePrompt_);
    }
    p.setPen(QPen(kCaptureEdgeColour, kCaptureEdgeWidth));
    p.setBrush(Qt::NoBrush);
    const qreal half = kCaptureEdgeWidth / 2;
    p.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}

void CustomKeyTextField::didClick()
{
    setText(QString());
    isFocusTextbox = true;
    // While capturing, every key goes to this field and nowhere else.
    grabKeyboard();
    if (delegate2)
        delegate2->clickTextField();
}

void CustomKeyTextField::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        didClick();
    QLabel::mousePressEvent(event);
}

void CustomKeyTextField::keyPressEvent(QKeyEvent* event)
{
    if (auto* dialog = qobject_cast<DialogCustomKeySetting*>(window()))
        dialog->handleKeyEvent(event);
    else
        QLabel::keyPressEvent(event);
}

void CustomKeyTextField::keyReleaseEvent(QKeyEvent* event)
{
    if (auto* dialog = qobject_cast<DialogCustomKeySetting*>(window()))
        dialog->handleKeyEvent(event);
    else
        QLabel::keyReleaseEvent(event);
}

// ---- DialogCustomKeySetting -----------------------------------------------------

DialogCustomKeySetting* DialogCustomKeySetting::sharedManager()
{
    auto& instance = sharedInstance();
    if (!instance)
        instance = new DialogCustomKeySetting;
    return instance.data();
}

DialogCustomKeySetting::DialogCustomKeySetting() : ModalDialog(DialogKind::CustomKeySetting)
{
    setObjectName(QStringLiteral("DialogCustomKeySetting"));
    buildUi();
}

DialogCustomKeySetting::~DialogCustomKeySetting() { releaseGrab(); }

void DialogCustomKeySetting::buildUi()
{
    setFixedSize(layout::customKeyDialogSize.toSize());
    titleLabel_ = createTitleLabel(QStringLiteral("CustomKeySetting"));
    titleLabel_->setGeometry(layout::customKeyTitle.toRect());
    titleLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textCustomKey_ = new CustomKeyTextField(this);
    textCustomKey_->setGeometry(layout::customKeyField.toRect());
    textCustomKey_->delegate2 = this;
    cancelButton_ = createCancelButton();
    cancelButton_->setGeometry(layout::customKeyCancelButton.toRect());
    okButton_ = createOkButton();
    okButton_->setGeometry(layout::customKeyOkButton.toRect());
    // The buttons never take the keyboard focus away from the field.
    okButton_->setFocusPolicy(Qt::NoFocus);
    cancelButton_->setFocusPolicy(Qt::NoFocus);
}

void DialogCustomKeySetting::loadUI()
{
    releaseGrab();
    setBackgroundColor(AppParam::SubBackgroundColor);
    titleLabel_->setText(platform::localizedString(QStringLiteral("CustomKeySetting")));
    okButton_->setText(platform::localizedString(QStringLiteral("OK")));
    cancelButton_->setText(platform::localizedString(QStringLiteral("Cancel")));
    okButton_->setAccessibleName(okButton_->text());
    cancelButton_->setAccessibleName(cancelButton_->text());
    const QString placeholder = platform::localizedString(QStringLiteral("CustomKeyTextPlaceHolder"));
    textCustomKey_->setText(placeholder);
    textCustomKey_->setCapturePrompt(platform::localizedString(QStringLiteral("CustomKeyCapturePrompt")));
    textCustomKey_->setAccessibleName(titleLabel_->text());
    textCustomKey_->isFocusTextbox = false;
    isWindowClose = false;
    customKeyCodeList.clear();
    pressKeyList.clear();
    heldModifiers_.clear();
    enableDisableOKButton();
}

bool DialogCustomKeySetting::jisDisplay() const
{
    // Just after an unplug the current device may be no mouse: US names.
    if (auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device))
        return AppUtil::isJisKeyboardLayout(mouse->productID, mouse->vendorID);
    return false;
}

bool DialogCustomKeySetting::hasName(int keyCode) const
{
    return AppUtil::getKeyName(keyCode, jisDisplay()).has_value();
}

bool DialogCustomKeySetting::isModifierKey(int keyCode)
{
    return AppParam::ModifierDict.count(keyCode) != 0;
}

std::optional<int> DialogCustomKeySetting::virtualKeyFromScanCode(quint32 nativeScanCode)
{
    if (nativeScanCode < 8)
        return std::nullopt;
    const auto& table = evdevTable();
    const auto it = table.find(int(nativeScanCode) - 8);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

int DialogCustomKeySetting::getModifireKeyCount() const
{
    return int(std::count_if(customKeyCodeList.begin(), customKeyCodeList.end(), isModifierKey));
}

int DialogCustomKeySetting::getNormalKeyCount() const
{
    return int(customKeyCodeList.size()) - getModifireKeyCount();
}

void DialogCustomKeySetting::showCustomText()
{
    textCustomKey_->setText(AppUtil::showCustomText(customKeyCodeList, jisDisplay()));
}

void DialogCustomKeySetting::enableDisableOKButton()
{
    if (textCustomKey_->isFocusTextbox)
        okButton_->setEnabled(false);
    else
        okButton_->setEnabled(!customKeyCodeList.empty());
}

void DialogCustomKeySetting::clickTextField()
{
    customKeyCodeList.clear();
    pressKeyList.clear();
    enableDisableOKButton();
}

bool DialogCustomKeySetting::isGrabbingKeyboard() const
{
    return QWidget::keyboardGrabber() == textCustomKey_;
}

void DialogCustomKeySetting::releaseGrab()
{
    if (!textCustomKey_)
        return;
    if (QWidget::keyboardGrabber() == textCustomKey_)
        textCustomKey_->releaseKeyboard();
    // Capture ends with the grab: the field loses its capture look.
    textCustomKey_->update();
}

void DialogCustomKeySetting::endCapture()
{
    textCustomKey_->isFocusTextbox = false;
    releaseGrab();
    if (customKeyCodeList.empty())
        textCustomKey_->setText(platform::localizedString(QStringLiteral("CustomKeyTextPlaceHolder")));
    enableDisableOKButton();
}

void DialogCustomKeySetting::makeCustomKeyList(int keyCode)
{
    if (!hasName(keyCode))
        return;
    // A new key starts from the keys that are still held.
    std::erase_if(customKeyCodeList, [this](int code) { return !contains(pressKeyList, code); });
    if (isModifierKey(keyCode)) {
        if (getModifireKeyCount() >= 3)
            return;
        customKeyCodeList.push_back(keyCode);
    } else if (getNormalKeyCount() == 0) {
        customKeyCodeList.push_back(keyCode);
    } else {
        const auto first = std::find_if(customKeyCodeList.begin(), customKeyCodeList.end(),
                                        [](int code) { return !isModifierKey(code); });
        if (*first == keyCode)
            return;
        customKeyCodeList.erase(first);
        customKeyCodeList.push_back(keyCode);
    }
    showCustomText();
}

void DialogCustomKeySetting::addModifierKeyCode(int keyCode)
{
    if (!contains(pressKeyList, keyCode))
        pressKeyList.push_back(keyCode);
    if (!contains(customKeyCodeList, keyCode))
        makeCustomKeyList(keyCode);
}

void DialogCustomKeySetting::keyDown(int keyCode)
{
    if (isWindowClose || !textCustomKey_->isFocusTextbox || !hasName(keyCode))
        return;
    if (!contains(pressKeyList, keyCode))
        pressKeyList.push_back(keyCode);
    if (!contains(customKeyCodeList, keyCode))
        makeCustomKeyList(keyCode);
}

void DialogCustomKeySetting::keyUp(int keyCode)
{
    if (isWindowClose || !textCustomKey_->isFocusTextbox || !hasName(keyCode))
        return;
    if (contains(pressKeyList, keyCode))
        removeFirst(pressKeyList, keyCode);
    else if (!contains(customKeyCodeList, keyCode))
        makeCustomKeyList(keyCode); // went down before capture began
    if (!pressKeyList.empty()) {
        enableDisableOKButton();
        return;
    }
    endCapture();
}

void DialogCustomKeySetting::flagsChanged(int keyCode, bool down)
{
    // The dialog follows the modifier keys whether it captures or not, so a
    // modifier held before the click is known to be held.
    if (isModifierKey(keyCode)) {
        if (down && !contains(heldModifiers_, keyCode))
            heldModifiers_.push_back(keyCode);
        else if (!down)
            removeFirst(heldModifiers_, keyCode);
    }
    if (isWindowClose || !textCustomKey_->isFocusTextbox || !hasName(keyCode))
        return;
    if (keyCode == kCapsLock) {
        if (!down)
            return;
        // Caps Lock is the combination's key and ends the capture at once.
        okButton_->setEnabled(true);
        textCustomKey_->isFocusTextbox = false;
        releaseGrab();
        addModifierKeyCode(kCapsLock);
    }
    for (int code : kModifierOrder) {
        if (contains(heldModifiers_, code))
            addModifierKeyCode(code);
        else
            removeFirst(pressKeyList, code);
    }
    showCustomText();
    if (pressKeyList.empty())
        endCapture();
}

void DialogCustomKeySetting::handleKeyEvent(QKeyEvent* event)
{
    event->accept();
    // X11 autorepeat sends release/press pairs that would end capture early.
    if (event->isAutoRepeat())
        return;
    const auto keyCode = virtualKeyFromScanCode(event->nativeScanCode());
    if (!keyCode)
        return;
    const bool down = event->type() == QEvent::KeyPress;
    if (isModifierKey(*keyCode) || *keyCode == kCapsLock)
        flagsChanged(*keyCode, down);
    else if (down)
        keyDown(*keyCode);
    else
        keyUp(*keyCode);
}

void DialogCustomKeySetting::keyPressEvent(QKeyEvent* event)
{
    // Not capturing: follow the modifiers, then the dialog's own keys
    // (Escape cancels).
    if (!event->isAutoRepeat())
        if (const auto keyCode = virtualKeyFromScanCode(event->nativeScanCode()); keyCode && isModifierKey(*keyCode))
            flagsChanged(*keyCode, true);
    ModalDialog::keyPressEvent(event);
}

void DialogCustomKeySetting::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        if (const auto keyCode = virtualKeyFromScanCode(event->nativeScanCode()); keyCode && isModifierKey(*keyCode))
            flagsChanged(*keyCode, false);
    ModalDialog::keyReleaseEvent(event);
}

void DialogCustomKeySetting::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    isWindowClose = false;
    pressKeyList.clear();
    // Opened for a button without a combination.
    if (textCustomKey_->text().isEmpty()) {
        customKeyCodeList.clear();
        textCustomKey_->setText(platform::localizedString(QStringLiteral("CustomKeyTextPlaceHolder")));
        okButton_->setEnabled(false);
    }
}

void DialogCustomKeySetting::hideEvent(QHideEvent* event)
{
    // closeAllWindow() hides the window first: capture ends with it.
    textCustomKey_->isFocusTextbox = false;
    releaseGrab();
    ModalDialog::hideEvent(event);
}

void DialogCustomKeySetting::finish(int code)
{
    textCustomKey_->isFocusTextbox = false;
    releaseGrab();
    if (code == 1)
        ModalDialog::pushOK();
    else
        ModalDialog::pushCancel();
    isWindowClose = true;
}

void DialogCustomKeySetting::pushOK() { finish(1); }

void DialogCustomKeySetting::pushCancel() { finish(0); }

void DialogCustomKeySetting::done(int code)
{
    releaseGrab();
    ModalDialog::done(code);
}
