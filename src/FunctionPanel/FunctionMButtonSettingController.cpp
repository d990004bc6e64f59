// The mouse button panel: its life (set-up, the headers following the
// mouse), the opening and closing of its menus and the routing of a chosen
// row. The menus themselves and the assignment are built in
// FunctionMButtonSettingMenus.cpp.
#include "FunctionPanel/FunctionMButtonSettingController.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "KeyboardView/KeyboardView.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/KeyName.h"
#include "XML/MouseTabPictures.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

namespace {

constexpr platform::Seconds kMenuDisplayDelay{0.1};

const MousePanelPicture buttonPicture{FunctionTab::MButtonSetting, [](const MouseTabPictures& pictures, const MouseEntry&) {
    return pictures.image(&MouseProfile::TabBodyImagePaths::buttonTab);
}};

// The panel's root view: a device picture like every panel's, drawn in the
// main window's coordinates (the pictures are authored for the whole
// window; the view shows the part under the header).
class MButtonPanelView : public KeyboardView {
public:
    using KeyboardView::KeyboardView;

    // Where the view's top-left corner lies in the window's coordinates.
    QPoint windowOffset() const
    {
        return parentWidget() ? mapTo(window(), QPoint(0, 0)) : QPoint(0, 0);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPoint origin = -windowOffset();
        if (!bodyImage().isNull())
            p.drawImage(QRectF(origin, QSizeF(bodyImage().size()) / bodyImage().devicePixelRatio()), bodyImage());
    }
};

} // namespace

FunctionMButtonSettingController::FunctionMButtonSettingController(IDialogHost& host) : host_(host)
{
    auto* view = makeWindowView<MButtonPanelView>(*host.bodyView());
    view->setObjectName(QStringLiteral("mouseButtonPanel"));
    view_ = view;
    viewObject_ = view;
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(view);
        label->setObjectName(QStringLiteral("button%1Label").arg(i + 1));
        label->resize(layout::kMButtonLabelSize.toSize());
        QFont f = label->font();
        f.setPixelSize(layout::kMButtonLabelFontPixels);
        label->setFont(f);
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        labels_[size_t(i)] = label;
        auto* header = new NKMenuView(view);
        header->setObjectName(QStringLiteral("button%1Menu").arg(i + 1));
        header->resize(layout::kMButtonHeaderSize.toSize());
        headers_[size_t(i)] = header;
    }
    // A click on the picture outside the controls closes the menus.
    connect(view, &KeyboardView::pressed, this, [this] { allPopoverMenuClose(); });
    view->installEventFilter(this);

    pendingDisplay_.setSingleShot(true);
    connect(&pendingDisplay_, &QTimer::timeout, this, [this] {
        // The display step does not look at the popover states again.
        if (pendingMenu_ && pendingMenu_->popover() && pendingWindow_)
            pendingMenu_->popover()->displayPopoverInWindow(pendingWindow_, pendingPoint_, 1);
    });
}

FunctionMButtonSettingController::~FunctionMButtonSettingController()
{
    // The picture and the menus stay with the window; only their ties to
    // this panel go (the menus, of no use without it, are retired).
    dropMenus();
    for (auto& header : headers_)
        if (header)
            header->setDelegate(nullptr);
    if (view_)
        view_->removeEventFilter(this);
}

KeyboardView* FunctionMButtonSettingController::keyboardView() { return view_; }

void FunctionMButtonSettingController::tabHidden() { letGoOfMousePicture(view_); }

TabMenuView* FunctionMButtonSettingController::buttonMenuView(int button) const
{
    return button >= 1 && button <= 6 ? buttonMenus_[size_t(button - 1)].data() : nullptr;
}

NKMenuView* FunctionMButtonSettingController::buttonMenu(int button) const
{
    return button >= 1 && button <= 6 ? headers_[size_t(button - 1)].data() : nullptr;
}

QLabel* FunctionMButtonSettingController::buttonLabel(int button) const
{
    return button >= 1 && button <= 6 ? labels_[size_t(button - 1)].data() : nullptr;
}

// ---- set-up -----------------------------------------------------------------------

void FunctionMButtonSettingController::setUpPanel()
{
    showMousePicture(view_, buttonPicture);
    AppParam::paintColor = AppColor::clear();
    initDialogItem();
    initMenuItem();
    if (!currentMouse())
        return;
    if (menuView_)
        menuView_->clearMenuItem(true);
    enableMenuItem(true);
    updateButtonMenus();
}

void FunctionMButtonSettingController::initDialogItem()
{
    const QPixmap triangle = ui::appImage(QStringLiteral("TriangleDown.png"));
    for (int i = 0; i < 6; ++i) {
        QLabel* label = labels_[size_t(i)];
        NKMenuView* header = headers_[size_t(i)];
        if (!label || !header)
            continue;
        const QString key = QStringLiteral("MButton%1").arg(i + 1);
        label->setText(platform::localizedString(key));
        label->setAccessibleName(label->text());
        const QString title = i == 0   ? platform::localizedString(QStringLiteral("MCode0x01"))
                              : i == 1 ? platform::localizedString(QStringLiteral("MCode0x02"))
                                       : QString();
        header->setTitle(title);
        header->setFullTitle(title);
        header->setTriangleIcon(triangle);
        header->setDelegate(this);
    }
    placeControls();
}

void FunctionMButtonSettingController::placeControls()
{
    auto mouse = currentMouse();
    if (!mouse || !view_)
        return;
    const QPoint offset = static_cast<MButtonPanelView*>(view_.data())->windowOffset();
    for (const MButtonEntry& entry : mouse->buttonList) {
        // Only the entries named "Button1" to "Button6" are buttons.
        static const QString prefix = QStringLiteral("Button");
        if (!entry.name.startsWith(prefix) || entry.name.size() != prefix.size() + 1)
            continue;
        const int n = entry.name.back().digitValue();
        if (n < 1 || n > 6)
            continue;
        QLabel* label = labels_[size_t(n - 1)];
        NKMenuView* header = headers_[size_t(n - 1)];
        if (!label || !header)
            continue;
        // The margin is in the window's top-down coordinates: the label
        // 2 below the button's rectangle, the header 10 below the label.
        const QRectF m = entry.margin;
        const qreal labelTop = m.y() + m.height() + layout::kMButtonLabelGap;
        const qreal headerTop = labelTop + label->height() + layout::kMButtonHeaderGap;
        label->move(QPointF(m.x(), labelTop).toPoint() - offset);
        header->move(QPointF(m.x(), headerTop).toPoint() - offset);
        label->setAlignment(entry.align == 1 ? (Qt::AlignRight | Qt::AlignVCenter)
                                             : (Qt::AlignLeft | Qt::AlignVCenter));
    }
}

// ---- the headers follow the mouse -----------------------------------------------------

void FunctionMButtonSettingController::setSwapTitles(bool swapped)
{
    const QString left = platform::localizedString(QStringLiteral("MCode0x01"));
    const QString right = platform::localizedString(QStringLiteral("MCode0x02"));
    if (NKMenuView* h1 = headers_[0]) {
        h1->setTitle(swapped ? right : left);
        h1->setFullTitle(h1->title());
    }
    if (NKMenuView* h2 = headers_[1]) {
        h2->setTitle(swapped ? left : right);
        h2->setFullTitle(h2->title());
    }
}

void FunctionMButtonSettingController::showSwapMarks(bool swapped)
{
    if (TabMenuView* m1 = buttonMenus_[0])
        m1->checkMenuItem(FunctionItem::SwapButton2, swapped);
    if (TabMenuView* m2 = buttonMenus_[1])
        m2->checkMenuItem(FunctionItem::SwapButton1, swapped);
}

void FunctionMButtonSettingController::updateButtonMenus()
{
    const MouseRefresh r = refreshMouseSettings();
    if (r.failed()) {
        (void)settleDeviceCall(r.error, r.mouse);
        return;
    }
    // Skipped (no open mouse, busy, or replaced meanwhile): the headers
    // keep what they show.
    if (!r.updated)
        return;
    const std::shared_ptr<MouseEntry>& mouse = r.mouse;

    const bool swapped = mouse->buttonSettingList[0] == rawValue(ButtonAssignCode::Func_RClick);
    showSwapMarks(swapped);
    setSwapTitles(swapped);

    const bool jis = AppUtil::isJisKeyboardLayout(mouse->productID, mouse->vendorID);
    for (int button = 3; button <= 6; ++button) {
        NKMenuView* header = headers_[size_t(button - 1)];
        if (!header)
            continue;
        const int code = mouse->buttonSettingList[size_t(button - 1)];
        const QString name = getMenuStringFromKeyCode(code);
        if (name.isEmpty())
            continue;
        header->customKeyText = false;
        QString title;
        if (code == rawValue(ButtonAssignCode::Macro_CustomKey)) {
            const auto& key = mouse->customKeyList[size_t(button - 3)];
            std::vector<int> keys;
            customKeySettingToCustomKeyCodeList(key.modifier, key.keyCode, keys);
            const QString text = AppUtil::showCustomText(keys, jis);
            QStringList parts{name, QStringLiteral("("), text, QStringLiteral(")")};
            header->setFullTitle(parts.join(QString()));
            header->setToolTip(text);
            adjustCustomKeyTitle(parts, header->width() - layout::kMButtonCustomKeyInset, header);
            title = parts.join(QString());
            header->customKeyText = true;
        } else {
            header->setFullTitle(name);
            header->setToolTip(QString());
            title = name;
        }
        header->setTitle(title);
    }
}

// ---- menus: opening and closing --------------------------------------------------------

void FunctionMButtonSettingController::allPopoverMenuClose()
{
    if (menuView_)
        menuView_->closeAllPopover();
    for (auto& menu : buttonMenus_)
        if (menu)
            menu->closeAllPopover();
}

void FunctionMButtonSettingController::displayLater(TabMenuView* menu, QWidget* anchor, const QPoint& point)
{
    pendingMenu_ = menu;
    pendingWindow_ = anchor ? anchor->window() : nullptr;
    pendingPoint_ = point;
    pendingDisplay_.start(platform::scaledMs(kMenuDisplayDelay));
}

void FunctionMButtonSettingController::clickMenu(QObject* id)
{
    for (int i = 0; i < 6; ++i) {
        NKMenuView* header = headers_[size_t(i)];
        if (!header || header != id)
            continue;
        TabMenuView* menu = buttonMenus_[size_t(i)];
        if (!menu)
            return;
        // A second click on a header closes its menu.
        if (menu->popover() && menu->popover()->isVisible()) {
            menu->closeAllPopover();
            return;
        }
        allPopoverMenuClose();
        // The menu hangs from the header's lower left corner.
        displayLater(menu, header, header->mapTo(header->window(), QPoint(0, header->height())));
        return;
    }
}

void FunctionMButtonSettingController::showMenuView(bool isDevice)
{
    (void)isDevice;
    const bool wasShown = isMenuViewShown();
    allPopoverMenuClose();
    if (wasShown || !menuView_)
        return;
    menuView_->selectAllMenuItem(false, true);
    // Under the button tab, at its left edge.
    QWidget* tab = host_.tabMenuAnchor(FunctionTab::MButtonSetting);
    if (!tab)
        return;
    displayLater(menuView_, tab, tab->mapTo(tab->window(), QPoint(0, tab->height())));
}

bool FunctionMButtonSettingController::isMenuViewShown() const
{
    return menuView_ && menuView_->popover() && menuView_->popover()->isVisible();
}

void FunctionMButtonSettingController::closeMenuView(bool resetItems)
{
    (void)resetItems;
    pendingDisplay_.stop();
    allPopoverMenuClose();
}

bool FunctionMButtonSettingController::eventFilter(QObject* watched, QEvent* event)
{
    // Compared as a plain object: the view may be in its destructor.
    if (watched == viewObject_) {
        if (event->type() == QEvent::Hide) {
            // The panel leaves the window: its menus go, and so does a
            // display still waiting for its delay.
            pendingDisplay_.stop();
            allPopoverMenuClose();
        } else if (event->type() == QEvent::ParentChange || event->type() == QEvent::Move) {
            placeControls();
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- a chosen row ------------------------------------------------------------------------------

void FunctionMButtonSettingController::clickTabMenuItem(QObject* id, FunctionItem function)
{
    allPopoverMenuClose();
    auto* menu = qobject_cast<TabMenuView*>(id);
    if (!menu)
        return;
    menu->selectMenuItem(function, false);
    if (menu->mButtonNo == ButtonNo::None)
        return;
    setItemSelect(menu, function, menu->mButtonNo, assignCodeOf(function), false);
}
