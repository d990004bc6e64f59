#pragma once
// The mouse button panel: one row per mouse button (label and menu header
// naming the function the button has in the mouse), each header opening
// that button's popup menu; the tab's own menu lists the six buttons with
// their menus as sub-menus. Buttons 1 and 2 offer only their swap; buttons
// 3 to 6 offer mouse functions, multimedia keys, shortcuts and a custom key
// combination captured in DialogCustomKeySetting.
//
// A chosen function goes to the mouse at once; the panel then reads every
// setting back (refreshMouseSettings) and redraws the headers, so they show
// what the mouse reports. Every device call is settled (Device/DeviceCall.h):
// when a recovery or a hot-plug replaced the mouse meanwhile, the panel
// returns quietly.

#include "CustomControl/NKMenuView.h"
#include "CustomControl/TabMenuView.h"
#include "FunctionPanel/FunctionPanel.h"
#include "Utility/AppError.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <vector>

class QLabel;
class KeyboardView;
class MouseEntry;

class FunctionMButtonSettingController : public QObject,
                                         public FunctionPanel,
                                         public TabMenuDelegate,
                                         public onMenuViewDelegate {
    Q_OBJECT
public:
    explicit FunctionMButtonSettingController(IDialogHost& host);
    ~FunctionMButtonSettingController() override;

    // ----- FunctionPanel -------------------------------------------------------
    KeyboardView* keyboardView() override;
    void tabHidden() override;
    void showMenuView(bool isDevice) override;
    bool isMenuViewShown() const override;
    void closeMenuView(bool resetItems) override;
    void enableMenuItem(bool isEnable) override { (void)isEnable; }
    void clickTabMenuItem(QObject* id, FunctionItem function) override;
    void allPopoverMenuClose() override;

    // ----- onMenuViewDelegate ----------------------------------------------------
    void clickMenu(QObject* id) override;

    // ----- the menu model ------------------------------------------------------------
    // The localised title of a device function code; empty for a code
    // without one. 0x39 to 0x3B take "_JIS" or "_US" by the keyboard layout.
    static QString getMenuStringFromKeyCode(int keyCode);
    // The title key of a code ("MCode0x2C", "MCode0x39_US"...), empty when none.
    static QString menuKeyFromKeyCode(int keyCode, bool jis);
    // The ButtonAssignCode of a menu row's function; None for any other.
    static ButtonAssignCode assignCodeOf(FunctionItem function);

    // Device form of a custom key (modifier bits, usage ID) to virtual key
    // codes: the modifiers in ModifierDict's order, then every key whose
    // usage is `inKeyCode` (nothing for 0).
    static void customKeySettingToCustomKeyCodeList(int inKeyModifier, int inKeyCode,
                                                    std::vector<int>& outCustomKeyList);
    // Dialog form to device form: the modifier bits and the usage ID of the
    // last non-modifier key that is in the key table (keys outside it are
    // skipped).
    static void customKeyCodeListToSetting(const std::vector<int>& list, int& modifier, int& keyCode);

    // Shortens the third of four strings from its end until the four,
    // joined and measured in the 10-pixel font, are narrower than `inWidth`;
    // the first shortening puts "…" before the fourth. When no prefix fits,
    // the third string becomes empty (the title reads name, "(", "…", ")").
    // False, nothing changed, unless the list holds four strings.
    static bool adjustCustomKeyTitle(QStringList& refList, qreal inWidth, NKMenuView* inItem = nullptr);

    // ----- what the tests and the screenshots look at ---------------------------
    TabMenuView* menuView() const { return menuView_; }
    TabMenuView* buttonMenuView(int button) const;   // 1..6
    NKMenuView* buttonMenu(int button) const;        // 1..6
    QLabel* buttonLabel(int button) const;           // 1..6
    // A header's menu is waiting for its 0.1 s display.
    bool isMenuDisplayPending() const { return pendingDisplay_.isActive(); }

private:
    void setUpPanel() override;
    void initDialogItem();
    void initMenuItem();
    TabMenuView* createButtonMenu(int button);
    TabMenuView* createFunctionMenu(ButtonNo buttonNo, TabMenuView* parentMenu);
    TabMenuView* createMultiMediaMenu(ButtonNo buttonNo, TabMenuView* parentMenu);
    TabMenuView* createKeyMenu(ButtonNo buttonNo, TabMenuView* parentMenu);
    TabMenuView* newMenu(qreal viewWidth, ButtonNo buttonNo, TabMenuView* parentMenu);
    void finishMenu(TabMenuView* menu);
    void dropMenus();

    void updateButtonMenus();
    void setSwapTitles(bool swapped);
    // The check marks of the swap rows in the menus of buttons 1 and 2.
    void showSwapMarks(bool swapped);
    void setItemSelect(TabMenuView* menu, FunctionItem function, ButtonNo buttonNo,
                       ButtonAssignCode assignCode, bool fCommand);
    AppError runCustomKeyDialog(const std::shared_ptr<MouseEntry>& mouse, int button, bool& cancelled);
    void commandResult(const std::shared_ptr<MouseEntry>& mouse, AppError result);
    void displayLater(TabMenuView* menu, QWidget* anchor, const QPoint& point);
    void placeControls();

    bool eventFilter(QObject* watched, QEvent* event) override;

    IDialogHost& host_;
    QPointer<KeyboardView> view_;
    const QObject* viewObject_ = nullptr;
    std::array<QPointer<QLabel>, 6> labels_{};
    std::array<QPointer<NKMenuView>, 6> headers_{};
    QPointer<TabMenuView> menuView_;
    std::array<QPointer<TabMenuView>, 6> buttonMenus_{};
    // Every menu the panel made for the current build (sub-menus included).
    std::vector<QPointer<TabMenuView>> builtMenus_;

    // The one pending delayed display (a header's menu or the tab menu);
    // cancelled when the panel leaves the window.
    QTimer pendingDisplay_;
    QPointer<TabMenuView> pendingMenu_;
    QPointer<QWidget> pendingWindow_;
    QPoint pendingPoint_;
};
