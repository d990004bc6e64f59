#pragma once
// The panel of the keyboard's APC tab, where the user sets the actuation
// point (High, Middle or Low) of the keys.
//
// Two modes come from the popup menu under the APC tab: Separate (each key
// its own level; the user selects keys on the keyboard picture and they take
// the level chosen in the radio) and Collective (one level for all keys; a
// radio click sends it at once). Every change goes to the keyboard at once;
// Send makes the keyboard store it. The panel's root view is the keyboard
// picture; the level radio and the strip naming the mode lie in its top band.

#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/KeyboardPanelSupport.h"
#include "CustomControl/TabMenuView.h"
#include "KeyboardView/KeyboardView.h"
#include "KeyboardView/KeyboardViewDelegate.h"
#include "Utility/AppColor.h"

#include <QPointer>

#include <memory>
#include <vector>

class KeyboardEntry;
class KeyboardView;
class QButtonGroup;
class QRadioButton;
class QWidget;

class FunctionApcSettingController : public FunctionPanel,
                                     public KeyboardViewDelegate,
                                     public TabMenuDelegate {
public:
    explicit FunctionApcSettingController(IDialogHost& host);
    ~FunctionApcSettingController() override;

    // ----- what the main window calls ----------------------------------------
    KeyboardView* keyboardView() override;
    // Opens the mode menu under the APC tab, or closes it when open.
    void showMenuView(bool isDevice) override;
    bool isMenuViewShown() const override;
    void closeMenuView(bool resetItems) override;
    // A mode row was chosen: applies the mode and sends the levels.
    void clickTabMenuItem(QObject* id, FunctionItem function) override;

    // ----- user actions -------------------------------------------------------
    // The picture finished a key selection.
    void applyKeySelect(KeyboardView* id) override;
    // The level radio's cell `column` was clicked (0 High, 1 Middle, 2 Low;
    // any other column chooses no level).
    void clickApcLevelRadio(int column);
    // Applies a mode; with `fCommand` the levels are written to the keyboard.
    void setItemSelect(FunctionItem selectMenu, bool fCommand);

    // ----- state, for the main window and tests ------------------------------
    FunctionItem selectedMenuItem() const { return selectedMenuItem_; }
    ApcLevel selectApcLevel() const { return selectApcLevel_; }
    KeyboardView* picture() const { return keyboardView_; }
    TabMenuView* menuView() const { return menuView_; }
    QWidget* apcLevelRadio() const { return apcLevelRadio_; }
    QRadioButton* levelCell(int column) const;
    // The title that the strip under the APC tab shows for the mode in force.
    QString modeTitle() const;

    // The colour that paints keys and radio titles of a level (clear for None).
    static AppColor levelColor(ApcLevel level);
    // The level of a radio column: 3 minus the column for 0..2, else None.
    static ApcLevel levelOfColumn(int column);
    // The 128 levels sent in Separate mode, indexed by key code: the level of
    // each key that takes per-key settings (a later key of the same code
    // wins), High for every other code.
    static std::vector<ApcLevel> perKeyLevels(const KeyboardEntry& keyboard);

private:
    // Rebuilds the panel from the keyboard model and re-applies the
    // remembered mode without sending levels.
    void setUpPanel() override;
    void initMenuItem();
    void resetMenuRows();
    void redrawPicture();
    CallOutcome sendApcLevelCommand(const std::shared_ptr<KeyboardEntry>& keyboard);

    IDialogHost& host_;
    QPointer<KeyboardView> keyboardView_;
    QPointer<TabMenuView> menuView_;
    QPointer<QWidget> apcLevelRadio_;
    QPointer<QButtonGroup> radioGroup_;
    FunctionItem selectedMenuItem_ = FunctionItem::Init;
    ApcLevel selectApcLevel_ = ApcLevel::None;
};
