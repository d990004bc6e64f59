#include "MainWindowWidgets.h"

#include "AppParam.h"
#include "CustomControl/AppUtilUi.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/FocusRing.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/PopupMenuLook.h"
#include "CustomControl/TabMenuView.h"
#include "MainView.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace {

QString tr_(const char* key) { return platform::localizedString(QString::fromLatin1(key)); }

QFont pixelFont(const QFont& base, int px, bool bold = false)
{
    QFont f = base;
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

QPushButton* makeButton(QWidget* parent, const char* key, const QRectF& frame)
{
    auto* b = new NKButton(tr_(key), parent);
    b->setColors(AppParam::OKButtonColor.toQColor(), AppParam::OKButtonHighlightColor.toQColor());
    b->setObjectName(QString::fromLatin1(key));
    b->setAccessibleName(b->text());
    b->setGeometry(frame.toRect());
    b->setFont(pixelFont(b->font(), layout::kButtonFont));
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRectF& frame, int px, bool bold = false)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(frame.toRect());
    l->setFont(pixelFont(l->font(), px, bold));
    return l;
}

// A button as wide as its title (plus `extra`) whose right edge stays at `right`.
void fitToTitle(QPushButton* button, qreal right, int extra = 0)
{
    const int w = button->sizeHint().width() + extra;
    button->setGeometry(int(right) - w, button->y(), w, button->height());
}

} // namespace

MainWindowWidgets::MainWindowWidgets() = default;
MainWindowWidgets::~MainWindowWidgets() = default;
MainWindowWidgets::MainWindowWidgets(MainWindowWidgets&&) noexcept = default;
MainWindowWidgets& MainWindowWidgets::operator=(MainWindowWidgets&&) noexcept = default;

void MainWindowWidgets::buildWindow()
{
    mainView = new MainView;
    mainView->setWindowTitle(QStringLiteral("KOLVENTRA"));

    // Header: black, a drag on it moves the window. Footer: presses on it
    // are reported (they close the open popovers).
    mainHeaderView = new BackgroundView(mainView);
    mainHeaderView->setObjectName(QStringLiteral("mainHeaderView"));
    mainHeaderView->setGeometry(layout::kMainHeader.toRect());
    mainHeaderView->setBackgroundColor(Qt::black);
    mainHeaderView->isMouseEvenThrough = true;
    mainFooterView = new BackgroundView(mainView);
    mainFooterView->setObjectName(QStringLiteral("mainFooterView"));
    mainFooterView->setGeometry(layout::kMainFooter.toRect());
    mainFooterView->setBackgroundColor(AppParam::BackgroundColor.toQColor());
    mainFooterView->isMouseEvenThrough = false;
    mainFooterView->isMoveWindow = false;

    // Body between footer and header.
    mainView->bodyRect = QRect(0, int(layout::kMainHeader.bottom()), int(layout::kMainWindowSize.width()),
                               int(layout::kMainFooter.top() - layout::kMainHeader.bottom()));
    AppParam::mainFrame = QRectF(QPointF(0, 0), layout::kMainWindowSize);

    tabBarView = new MainTabBarView(mainHeaderView);
    tabBarView->setObjectName(QStringLiteral("tabBarView"));
    tabBarView->setGeometry(layout::kMainTabBar.toRect());

    modelNameLabel =
        makeLabel(mainHeaderView, "modelNameLabel", layout::kModelNameLabel, layout::kHeaderTitleFont, true);
    keyboardNameLabel =
        makeLabel(mainHeaderView, "keyboardNameLabel", layout::kKeyboardNameLabel, layout::kHeaderLabelFont);
    keyboardModelLabel =
        makeLabel(mainHeaderView, "keyboardModelLabel", layout::kKeyboardModelLabel, layout::kHeaderLabelFont);
    keyboardFirmwareLabel =
        makeLabel(mainHeaderView, "keyboardFirmwareLabel", layout::kKeyboardFirmwareLabel, layout::kHeaderLabelFont);

    closeButton = makeButton(mainHeaderView, "CloseButton", layout::kCloseButton);
    closeButton->setText(QStringLiteral("\u2715"));
    sendButton = makeButton(mainHeaderView, "SendButton", layout::kSendButton);
    sendButton->hide();
    saveProfileButton = makeButton(mainHeaderView, "SaveProfileButton", layout::kSaveProfileButton);
    loadProfileButton = makeButton(mainHeaderView, "LoadProfileButton", layout::kLoadProfileButton);

    selectKeybordButton = makeButton(mainFooterView, "KeyboardList",
                                     layout::kSelectKeyboardButton.translated(0, -layout::kMainFooter.top()));
    AppUtil::setAlignmentButton(selectKeybordButton, Qt::AlignRight, Qt::white);

    keyboardErrorView = new KeyboardErrorView(mainView);
    keyboardErrorView->setGeometry(mainView->bodyRect);
    keyboardErrorView->hide();

    // The application menu, behind a button beside the close button: About
    // and the three help links.
    helpMenuButton = new QToolButton(mainHeaderView);
    helpMenuButton->setObjectName(QStringLiteral("helpMenuButton"));
    helpMenuButton->setText(QStringLiteral("\u2630"));
    helpMenuButton->setAccessibleName(tr_("MenuHelp"));
    helpMenuButton->setToolTip(tr_("MenuHelp"));
    helpMenuButton->setGeometry(layout::kHelpMenuButton.toRect());
    helpMenuButton->setFont(pixelFont(helpMenuButton->font(), layout::kButtonFont + 3));
    helpMenuButton->setPopupMode(QToolButton::InstantPopup);
    // The look of the close button beside it: a flat square in the buttons'
    // grey, no frame, and no menu arrow (the ☰ says there is a menu).
    helpMenuButton->setStyleSheet(
        QStringLiteral("QToolButton { background-color: %1; color: %3; border: none; border-radius: 0px;"
                       " padding: 0px; }"
                       " QToolButton:hover { background-color: %2; }"
                       " QToolButton::menu-indicator { image: none; width: 0px; }")
            .arg(AppParam::OKButtonColor.toQColor().name(), AppParam::OKButtonHighlightColor.toQColor().name(),
                 AppParam::ButtonEnableTitleColor.toQColor().name()));
    // The button sits at the window's right edge: laid out right to left, it
    // opens its menu under itself with the right edges in line, so the menu
    // hangs inside the window. The menu itself reads left to right.
    helpMenuButton->setLayoutDirection(Qt::RightToLeft);
    ui::addFocusRing(helpMenuButton);
    auto* menu = new QMenu(helpMenuButton);
    menu->setObjectName(QStringLiteral("helpMenu"));
    menu->setLayoutDirection(Qt::LeftToRight);
    PopupMenuLook::apply(menu);
    aboutMenuItem = menu->addAction(tr_("MenuAbout"));
    menu->addSeparator();
    userManualMenuItem = menu->addAction(tr_("MenuUsersManual"));
    qaManualMenuItem = menu->addAction(tr_("MenuQandA"));
    updateInfoMenuItem = menu->addAction(tr_("MenuUpdateInfo"));
    helpMenuButton->setMenu(menu);

    // The APC tab's selection strip (one row, no highlight) naming the APC
    // mode in force; shown straight under the APC tab while the APC panel is.
    // It only reports, so clicks pass through it to the picture below.
    const QRectF selectFrame(QPointF(0, 0), layout::kApcModeStrip.size());
    apcTabMenuSelectView = new TabMenuSettingView(selectFrame, mainView);
    apcTabMenuSelectView->setObjectName(QStringLiteral("apcTabMenuSelectView"));
    apcTabMenuSelectView->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* selectItem = new TabMenuSettingItemView(FunctionItem::None, QString(), selectFrame, apcTabMenuSelectView);
    selectItem->setHighlight(false);
    apcTabMenuSelectView->hide();
}

void MainWindowWidgets::buildDeviceSelection()
{
    keyboardSelectView = new BackgroundView(mainView);
    keyboardSelectView->setObjectName(QStringLiteral("keyboardSelectView"));
    keyboardSelectView->setBackgroundColor(AppParam::BackgroundColor.toQColor());
    keyboardSelectView->isMoveWindow = false;
    keyboardSelectView->isMouseEvenThrough = false;
    keyboardSelectView->setGeometry(0, mainView->height(), int(layout::kKeyboardSelectView.width()),
                                    int(layout::kKeyboardSelectView.height()));
    keyboardSelectView->hide();
    keyboardListReturnButton = makeButton(keyboardSelectView, "Return", layout::kKeyboardListReturnButton);
    AppUtil::setAlignmentButton(keyboardListReturnButton, Qt::AlignRight, Qt::white);
    // Buttons fit their titles and keep their right edges; Return is 10
    // wider, the room going to the left of its right-aligned title.
    fitToTitle(keyboardListReturnButton, layout::kKeyboardListReturnRight, 10);
    fitToTitle(selectKeybordButton, layout::kSelectKeyboardButtonRight);

    keyboardList = std::make_unique<KeyboardListView>();
    keyboardList->_viewingItems = 2;
    keyboardList->leftButton()->setEnabled(false);
    keyboardList->rightButton()->setEnabled(false);
    QWidget* strip = keyboardList->keyboardListView();
    strip->setParent(keyboardSelectView);
    strip->move(int(layout::kKeyboardListStripX), keyboardSelectView->height() - strip->height());
    strip->show();
}

void MainWindowWidgets::showDevice(const QString& name, const std::optional<QString>& firmware,
                                   const std::optional<QString>& modelText, bool settingsReadable) const
{
    modelNameLabel->setText(name + (firmware ? QStringLiteral("  ") + firmware->toUpper() : QString()));
    selectKeybordButton->show();
    keyboardNameLabel->setText(name);
    if (modelText)
        keyboardModelLabel->setText(*modelText);
    if (firmware)
        keyboardFirmwareLabel->setText(tr_("FirmwareVersion") + QStringLiteral("  ") + firmware->toUpper());
    sendButton->hide();
    saveProfileButton->setEnabled(settingsReadable);
    loadProfileButton->setEnabled(settingsReadable);
}

void MainWindowWidgets::showNoDevice() const
{
    modelNameLabel->clear();
    keyboardErrorView->setGeometry(mainView->bodyRect);
    keyboardErrorView->show();
    keyboardErrorView->raise();
    mainHeaderView->raise();
    selectKeybordButton->hide();
    keyboardNameLabel->clear();
    keyboardModelLabel->setText(tr_("ModelNumber"));
    keyboardFirmwareLabel->setText(tr_("FirmwareVersion"));
    sendButton->hide();
    saveProfileButton->setEnabled(false);
    loadProfileButton->setEnabled(false);
}

void MainWindowWidgets::placeBody(QWidget* view) const
{
    if (!view)
        return;
    if (view->parentWidget() != mainView)
        view->setParent(mainView);
    view->setGeometry(QRect(QPoint(0, 0), mainView->size()));
    view->show();
    mainFooterView->raise();
    mainHeaderView->raise();
    if (!apcTabMenuSelectView->isHidden())
        apcTabMenuSelectView->raise();
    if (maskView)
        maskView->raise();
    if (keyboardSelectView->isVisible())
        keyboardSelectView->raise();
}

void MainWindowWidgets::makeMask(int tabTop, const QRect& tabArea)
{
    auto* mask = new BackgroundView(mainView);
    mask->setObjectName(QStringLiteral("maskView"));
    mask->setBackgroundColor(Qt::transparent);
    mask->isMouseEvenThrough = false;
    mask->isMoveWindow = false;
    mask->setGeometry(0, tabTop, mainView->width(), mainView->height() - tabTop);
    auto part = [mask](const QColor& colour, const QRect& frame) {
        auto* v = new BackgroundView(mask);
        v->setBackgroundColor(colour);
        v->isMoveWindow = false;
        v->setGeometry(frame);
        return v;
    };
    part(layout::kMaskColor, tabArea)->nameInfo = QStringLiteral("tabAreaView");
    // The button row's tint covers the buttons shown: a hidden store button
    // leaves its place to the tab bar. (The container swallows presses over
    // the whole row either way.)
    const QRect b = (sendButton->isHidden() ? saveProfileButton : sendButton)->geometry();
    const QRect l = loadProfileButton->geometry();
    part(layout::kMaskButtonRowColor, QRect(b.x(), b.y() - mask->y(), l.x() + l.width() - b.x(), l.height()));
    part(layout::kMaskColor, QRect(0, int(layout::kTabHeight), mask->width(), mask->height() - int(layout::kTabHeight)));
    maskView = mask;
}

void MainWindowWidgets::removeMask()
{
    if (maskView) {
        if (keyboardSelectView->parentWidget() == maskView) {
            keyboardSelectView->hide();
            keyboardSelectView->setParent(mainView);
        }
        maskView->hide();
        maskView->deleteLater();
    }
    maskView = nullptr;
}

void MainWindowWidgets::setMaskTabArea(const QRect& tabArea) const
{
    if (!maskView)
        return;
    BackgroundView* part = nullptr;
    for (auto* child : maskView->findChildren<BackgroundView*>(Qt::FindDirectChildrenOnly))
        if (child->nameInfo == QLatin1String("tabAreaView"))
            part = child;
    if (part)
        part->setGeometry(tabArea);
}
