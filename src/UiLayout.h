#pragma once
// The geometry of the user interface, in one place: window and area sizes,
// slots of the tabs, panel and dialog sizes, places of buttons; and, at the
// end, the interface's own colours. Figures are device-independent pixels
// (one point each). Where a figure is given from the bottom left (y up), it
// is turned into Qt's top-left form only through ui::fromBottomLeft
// (CustomControl/UiGeometry.h).

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace layout {

// ---- Drawn controls ---------------------------------------------------------

// -- Device list strip (top-left coordinates)
// The visible area is even, so that scrolling by half of it lands exactly on
// a tile edge with two tiles visible.
inline constexpr int stripVisibleWidth = 644;
inline constexpr int stripHeight = 150;
inline constexpr int stripButtonWidth = 28;
// The whole strip: the visible area between its two scroll buttons.
inline constexpr int stripWidth = stripVisibleWidth + 2 * stripButtonWidth;
inline constexpr int stripArrowSize = 12;
inline constexpr int stripTileImageMargin = 12;
// -- Function tabs, background view, colour button, link, menu header --------
// Function tab (MainTabView) and its bar (MainTabBarView).
inline constexpr qreal kTabSideMargin = 16;        // icon x; triangle's right margin
inline constexpr qreal kTabTriangleHitWidening = 16; // hit area: triangle +16 each side
inline constexpr qreal kTabGradientWidth = 20;     // edge gradient strip
inline constexpr qreal kTabTitleHeight = 18;       // title line box
inline constexpr qreal kTabTitleRaise = 1;         // title moved up by this
inline constexpr int kTabFontPixels = 16;
inline constexpr qreal kTabBarFlatTop = 25;        // flat band above the bar's gradient
inline constexpr int kTabBlinkMaxFps = 30;         // triangle blink repaint ceiling
// Round colour button (NKButtonView) and link (NKLinkView).
inline constexpr qreal kButtonViewCaptionTop = 10; // caption's first line below the top
inline constexpr qreal kButtonViewDiscDrop = 10;   // disc centre below the middle
inline constexpr qreal kButtonViewDiscRadius = 8;
inline constexpr qreal kButtonViewHaloRadius = 12;
inline constexpr qreal kButtonViewOutlineInset = 2;
inline constexpr qreal kButtonViewOutlineRadius = 3;
inline constexpr qreal kButtonViewOutlineWidth = 3;
inline constexpr int kButtonViewFontPixels = 13;
inline constexpr int kLinkViewFontPixels = 28;
inline constexpr qreal kLinkUnderlineRise = 10;    // underline above the bottom edge
inline constexpr qreal kLinkUnderlineWidth = 2;
// The link is as wide as its text: its focus ring goes around it, this far
// clear of the text.
inline constexpr qreal kLinkFocusRingGap = 3;
// Menu header (NKMenuView).
inline constexpr qreal kMenuHeaderTriangleMargin = 8;
inline constexpr qreal kMenuHeaderFitSlack = 15;   // title must fit in text area less this
inline constexpr qreal kMenuHeaderTitleHeight = 18;
inline constexpr int kMenuHeaderFontPixels = 14;
inline constexpr int kMenuHeaderMinFontPixels = 10;
// -- Popup menu (TabMenuView and its rows) --
inline constexpr qreal kMenuItemHeight = 38;      // height of one row
inline constexpr int kMenuFontPixelSize = 14;     // titles, check and sub-menu marks
inline constexpr qreal kMenuTopBandHeight = 10;   // darkening band at the panel's top edge
inline constexpr qreal kMenuCheckX = 2;           // left edge of the check mark
inline constexpr qreal kMenuMarkWidth = 10;       // width of the check and sub-menu marks
inline constexpr qreal kMenuSubMenuMarkInset = 20; // sub-menu mark: its left edge this far from the right
inline constexpr qreal kMenuTextExtraHeight = 4;  // text box = font size + this
inline constexpr qreal kMenuTextLift = 1;         // texts sit this much above the centred box
// The application menu (a QMenu in the popup look): space left and right of
// the widest title, and the height of a separator row.
inline constexpr qreal kMenuTitlePadding = 28;
inline constexpr qreal kMenuSeparatorHeight = 9;

// -- Drawn buttons, check boxes and slider (NKButton family) --
inline constexpr int kButtonTitlePixelSize = 14;  // button titles
inline constexpr int kCheckBoxTitlePixelSize = 13; // check box titles
inline constexpr qreal kColorButtonRadius = 3;    // rounded corners of a colour swatch
inline constexpr qreal kColorButtonOutline = 1;   // each of the two outlines of a chosen swatch
inline constexpr qreal kSliderBarHeight = 5;      // the flat slider bar
inline constexpr qreal kSliderBarRadius = 1;
inline constexpr qreal kButtonIconTitleGap = 4;   // between an image and the title of a button
// Between a button's edge and its content (title and image), on either side:
// a button fitted to its title is this much wider on both sides, and a title
// aligned to one side keeps this far from that edge.
inline constexpr int kButtonTitleInset = 8;
// Check boxes and radio buttons: the box (or circle) and its title inside a
// margin that leaves room for the focus ring around both.
inline constexpr qreal kIndicatorSize = 14;        // side of the box, diameter of the circle
inline constexpr qreal kIndicatorMargin = 4;       // from the control's edge to box and title
inline constexpr qreal kIndicatorTitleGap = 6;     // between the box and the title

// ---- Main window ------------------------------------------------------------
// Figures in Qt's top-left form (y grows downwards) inside the window.

inline constexpr QSizeF kMainWindowSize{1000, 700};
// Header: title, device labels and the close button above, the tab row with
// Send and the profile buttons in its bottom band.
inline constexpr QRectF kMainHeader{0, 0, 1000, 150};
inline constexpr QRectF kMainTabBar{0, 102, 1000, 48};
// Tab slots in the tab row (window coordinates); the keyboard and mouse rows
// share the slots from the left.
inline constexpr qreal kTabWidth = 180;
inline constexpr qreal kTabHeight = 48;
inline constexpr qreal kTabTop = 102;
inline constexpr QRectF tabSlot(int position) { return {kTabWidth * position, kTabTop, kTabWidth, kTabHeight}; }
// The APC mode strip: a band as wide as the APC tab straight under it, at
// the top of the body above the keyboard picture's frame (mainView
// coordinates, which are window coordinates).
inline constexpr qreal kApcModeStripHeight = 22;
inline constexpr QRectF kApcModeStrip{0, kTabTop + kTabHeight, kTabWidth, kApcModeStripHeight};
// The triangle that opens a tab's menu: the right end of a tab.
inline constexpr qreal kTabTriangleWidth = 40;
// Storing in the device (shown while changes are unstored) and the profile
// file buttons, right of the mouse's four tabs; each fits its title.
inline constexpr QRectF kSendButton{726, 108, 70, 36};
inline constexpr QRectF kSaveProfileButton{800, 108, 94, 36};
inline constexpr QRectF kLoadProfileButton{898, 108, 94, 36};
inline constexpr QRectF kCloseButton{956, 12, 32, 32};
inline constexpr QRectF kHelpMenuButton{916, 12, 32, 32};
inline constexpr QRectF kModelNameLabel{24, 16, 560, 28};
inline constexpr QRectF kKeyboardNameLabel{24, 52, 560, 20};
inline constexpr QRectF kKeyboardModelLabel{24, 74, 300, 20};
inline constexpr QRectF kKeyboardFirmwareLabel{330, 74, 300, 20};
// Footer with the button that opens the device strip (right edge fixed).
// Between header and footer lies the body, as high as "MainBackground.png".
inline constexpr QRectF kMainFooter{0, 636, 1000, 64};
inline constexpr qreal kSelectKeyboardButtonRight = 976;
inline constexpr QRectF kSelectKeyboardButton{816, 650, 160, 36};
// The sliding device-selection panel and its strip.
inline constexpr QSizeF kKeyboardSelectView{1000, 220};
inline constexpr qreal kKeyboardListReturnRight = 976;
inline constexpr QRectF kKeyboardListReturnButton{856, 16, 120, 32};
// The strip's left edge in the panel: centred, so that both scroll buttons
// lie inside the window; it sits at the panel's bottom.
inline constexpr qreal kKeyboardListStripX = (kKeyboardSelectView.width() - stripWidth) / 2;
static_assert(kKeyboardListStripX >= 0 && kKeyboardListStripX + stripWidth <= kMainWindowSize.width());
// No-device view: message and link, centred in the body.
inline constexpr QRectF kDeviceNotFoundLabel{100, 160, 800, 32};
// The link's box: its width is its text's; high enough for the link font
// with the underline below the text's baseline.
inline constexpr QRectF kDeviceNotFoundLink{350, 208, 300, 38};
// Fonts (pixel sizes).
inline constexpr int kHeaderTitleFont = 22;
inline constexpr int kHeaderLabelFont = 13;
inline constexpr int kButtonFont = 13;
inline constexpr int kErrorViewFont = 18;
// Dialog placement: top edge below the main window's top.
inline constexpr qreal kDialogTopOffset = 80;

// ---- Setting panels ---------------------------------------------------------

// Keyboard picture: the area in which a click starts a key selection,
// measured from the bottom left of the panel view (which fills the main view).
inline constexpr QRectF kKeyboardSelectArea{2.0, 205.0, 996.0, 330.0};
// Key selection frame: every frame rectangle is widened by this much on
// each side before it is outlined.
inline constexpr qreal kKeyboardFrameGrow = 0.6;
// Key illumination: the glow's rectangle is the key's bounding rectangle
// widened by this much on each side; its centre lies this fraction of the
// half-height above the middle.
inline constexpr qreal kKeyGlowGrow = 5.0;
inline constexpr qreal kKeyGlowCentreShift = 0.25;
// APC panel (top-left coordinates inside the panel view, which covers the
// main view): the three-cell level radio below the keyboard.
inline constexpr QRectF kApcLevelRadio{40, 540, 330, 30};
inline constexpr int kApcLevelRadioFont = 15;
// Key-lock panel: the key-lock switch below the keyboard.
inline constexpr QPointF kKeyLockSwitchTopLeft{40, 540};
inline constexpr QSize kKeyLockSwitchIcon{40, 22};

// -- Mouse button panel (top-left coordinates of the panel view)
// Label and menu header of each button: the label stands this far below the
// button's anchor on the picture, the header this far below the label.
inline constexpr QSizeF kMButtonLabelSize{200, 18};
inline constexpr QSizeF kMButtonHeaderSize{200, 30};
inline constexpr qreal kMButtonLabelGap = 2.0;
inline constexpr qreal kMButtonHeaderGap = 10.0;
inline constexpr int kMButtonLabelFontPixels = 13;
// A custom-key title must fit into the header's width less this.
inline constexpr qreal kMButtonCustomKeyInset = 38.0;
inline constexpr int kMButtonCustomKeyFontPixels = 10;
// The frame every button menu and sub-menu is made with (its size only
// matters to the hidden menu widget; the panel takes the viewWidth).
inline constexpr QRectF kMButtonPopoverFrame{0, 0, 200, 38};

// -- Mouse sensor and LED panels (top-left coordinates of the panel view,
// which fills the window; the mouse picture stands at the left, the
// controls in a column at the right)
inline constexpr int kMPanelCaptionFontPixels = 14;
inline constexpr int kMPanelTextFontPixels = 13;
// Titles of the DPI switches; larger for Japanese.
inline constexpr int kMSwitchTitleFontPixels = 11;
inline constexpr int kMSwitchTitleFontPixelsJa = 16;
// A caption placed on the picture stands this far below its description
// rectangle.
inline constexpr qreal kMPictureCaptionGap = 2.0;
inline constexpr QSizeF kMPictureCaptionSize{200, 16};

inline constexpr QRectF kMSensorDpiLabel{560, 168, 400, 20};
// DPI settings 1 to 4: one row each, the parts relative to the row's origin.
// (below the leader line of the picture's DPI button caption)
inline constexpr QPointF kMSensorRowOrigin{560, 232};
inline constexpr qreal kMSensorRowPitch = 64;
inline constexpr QRectF kMSensorRowRadio{0, 4, 24, 24};
inline constexpr QRectF kMSensorRowSwitch{32, 2, 130, 28};
inline constexpr QRectF kMSensorRowText{170, 2, 48, 28};
inline constexpr QRectF kMSensorRowUnit{224, 2, 120, 28};
inline constexpr QRectF kMSensorRowDown{32, 36, 22, 22};
inline constexpr QRectF kMSensorRowSlider{58, 36, 300, 22};
inline constexpr QRectF kMSensorRowUp{362, 36, 22, 22};
inline constexpr QRectF kMSensorLoDLabel{560, 494, 400, 20};
inline constexpr QRectF kMSensorLowRadio{560, 518, 56, 40};
inline constexpr QRectF kMSensorLowLabel{622, 526, 80, 24};
inline constexpr QRectF kMSensorHighRadio{720, 518, 56, 40};
inline constexpr QRectF kMSensorHighLabel{782, 526, 80, 24};
inline constexpr QRectF kMSensorPollingLabel{560, 578, 150, 22};
inline constexpr QRectF kMSensorPollingValue{712, 578, 56, 22};
inline constexpr QRectF kMSensorPollingUnit{772, 578, 60, 22};

inline constexpr QRectF kMLedSettingLabel{560, 178, 400, 22};
inline constexpr QRectF kMLedIndicatorSwitch{560, 210, 160, 28};
inline constexpr QRectF kMLedLogoSwitch{740, 210, 160, 28};
inline constexpr QRectF kMLedColorLabel{560, 266, 400, 22};
// Colour swatch i (0..7) at x = origin + i × pitch.
inline constexpr QRectF kMLedColorButton{560, 292, 34, 34};
inline constexpr qreal kMLedColorPitch = 44;
inline constexpr QRectF kMLedBrightnessLabel{560, 350, 400, 22};
inline constexpr QRectF kMLedBrightnessSlider{560, 380, 300, 24};

// ---- Dialogs ------------------------------------------------------------------

// Every dialog keeps its content this far from its edges: the first line
// of text starts this far from the left and the top, the buttons end this
// far from the right and the bottom. Titles of the dialogs placed without a
// layout stand at the top of their box, so that their first line starts at
// the margin as in the dialogs laid out by Qt.
inline constexpr int dialogMargin = 20;
inline constexpr int dialogFontSize = 13;
inline constexpr int dialogTitleFontSize = 15;
// OK and Cancel of the dialogs placed without a layout: in a row at the
// bottom right inside the margin, OK at the right.
inline constexpr QSizeF frameButtonSize{100, 26};
inline constexpr qreal frameButtonGap = 12;
inline constexpr QRectF frameOkButton(QSizeF dialog)
{
    return {dialog.width() - dialogMargin - frameButtonSize.width(),
            dialog.height() - dialogMargin - frameButtonSize.height(), frameButtonSize.width(),
            frameButtonSize.height()};
}
inline constexpr QRectF frameCancelButton(QSizeF dialog)
{
    return frameOkButton(dialog).translated(-(frameButtonSize.width() + frameButtonGap), 0);
}

// -- Modal dialog frame and message box (top-left coordinates)
inline constexpr QSizeF messageBoxSize{400, 150};
inline constexpr QRectF messageBoxLabel{dialogMargin, dialogMargin, messageBoxSize.width() - 2 * dialogMargin, 70};
inline constexpr QRectF messageBoxOkButton = frameOkButton(messageBoxSize);
inline constexpr QRectF messageBoxCancelButton = frameCancelButton(messageBoxSize);
inline constexpr int dialogFontPixels = 13;

// -- Indicator LED settings dialog (top-left coordinates)
// The eight colour buttons stand in one row from the left; each is wide
// enough for its caption with room to the next one.
inline constexpr qreal ledDialogColorButtonStep = 64;
inline constexpr QSizeF ledDialogSize{dialogMargin + 8 * ledDialogColorButtonStep + dialogMargin, 252};
inline constexpr qreal ledDialogInnerWidth = ledDialogSize.width() - 2 * dialogMargin;
inline constexpr QRectF ledDialogTitle{dialogMargin, dialogMargin, ledDialogInnerWidth, 22};
inline constexpr int ledDialogTitleFontPixels = 16;
inline constexpr QRectF ledDialogColorLabel{dialogMargin, 50, ledDialogInnerWidth, 18};
inline constexpr QRectF ledDialogFirstColorButton{dialogMargin, 72, ledDialogColorButtonStep, 56};
inline constexpr QRectF ledDialogBrightnessLabel{dialogMargin, 138, ledDialogInnerWidth, 18};
inline constexpr QRectF ledDialogMinImage{dialogMargin + 16, 166, 20, 20};
inline constexpr QRectF ledDialogSlider{dialogMargin + 48, 164, ledDialogSize.width() - 2 * (dialogMargin + 48), 24};
inline constexpr QRectF ledDialogMaxImage{ledDialogSize.width() - dialogMargin - 36, 166, 20, 20};
inline constexpr QRectF ledDialogCancelButton = frameCancelButton(ledDialogSize);
inline constexpr QRectF ledDialogOkButton = frameOkButton(ledDialogSize);
// -- Custom key capture dialog (top-left coordinates)
inline constexpr QSizeF customKeyDialogSize{420, 170};
inline constexpr qreal customKeyInnerWidth = customKeyDialogSize.width() - 2 * dialogMargin;
inline constexpr QRectF customKeyTitle{dialogMargin, dialogMargin, customKeyInnerWidth, 22};
inline constexpr QRectF customKeyField{dialogMargin, 52, customKeyInnerWidth, 40};
inline constexpr QRectF customKeyCancelButton = frameCancelButton(customKeyDialogSize);
inline constexpr QRectF customKeyOkButton = frameOkButton(customKeyDialogSize);
// -- Profile folder, profile save and load, version information (laid out
// by Qt inside the margin)
inline constexpr int dialogSpacing = 8;
inline constexpr QSizeF dialogButtonSize{96, 28};
inline constexpr QSizeF selectButtonSize{32, 26};
inline constexpr QSizeF folderSelectDialogSize{520, 170};
inline constexpr QSizeF profileSaveDialogSize{480, 470};
inline constexpr QSizeF profileLoadDialogSize{480, 450};
inline constexpr QSizeF versionInfoDialogSize{360, 250};
inline constexpr int profileListHeight = 150;
inline constexpr int profileCommentHeight = 90;
inline constexpr QSizeF versionImageSize{64, 64};
// Width of a profile list's name column: the widest name at this font size
// plus the padding.
inline constexpr int profileListFontSize = 13;
inline constexpr int profileListColumnPadding = 5;
// Room around the text of the dialogs' fields and lists: a single-line
// field is this high with its text this far from the left edge; list rows
// put their text as far in.
inline constexpr int dialogFieldHeight = 26;
inline constexpr int dialogFieldTextInset = 7;

// Firmware file and description package dialogs; the firmware update's
// progress view (laid over the whole main window).
inline constexpr QSizeF filePickDialogSize{520, 170};
inline constexpr qreal firmwareUpdateViewAlpha = 0.7;
inline constexpr int firmwareUpdateFontPixels = 15;
inline constexpr QSizeF firmwareUpdateIndicatorSize{240, 10};
// The opaque panel in the middle of the progress view that holds its texts.
inline constexpr QSizeF firmwareUpdatePanelSize{440, 150};
inline constexpr int firmwareUpdatePanelRadius = 6;

// ---- Colours ----------------------------------------------------------------
// The interface's own colours. Those it shares with the settings and the
// dialogs' buttons (backgrounds, button looks, LED swatches) are AppParam's;
// the popup menus' look is menulook's (CustomControl/PopupMenuLook.h).

// The window's palette, which every standard widget in it inherits.
inline constexpr QColor kWindowColor{20, 18, 17};
inline constexpr QColor kButtonColor{70, 70, 70};
inline constexpr QColor kDisabledButtonColor{45, 45, 45};
inline constexpr QColor kDisabledTextColor{128, 128, 128};
inline constexpr QColor kBaseColor{40, 40, 40}; // behind the texts of fields and lists
inline constexpr QColor kLinkColor{90, 160, 255};
// The mask under a dialog: grey over the tabs and the body, darker over the
// row of the main buttons.
inline constexpr QColor kMaskColor{56, 56, 56, 160};
inline constexpr QColor kMaskButtonRowColor{0, 0, 0, 153};
// A drawn button and a colour button until their owner gives them a colour.
inline constexpr QColor kPlainButtonColor{128, 128, 128};
// Laid over a pressed icon button.
inline constexpr QColor kPressedIconShade{0, 0, 0, 128};
// Function tab titles on a disabled tab and on a tab that is not the active
// one; the tab bar's gradient starts at the active tab's colour.
inline constexpr QColor kTabTitleDisabledColor{60, 60, 60};
inline constexpr QColor kTabTitleNotActiveColor{110, 110, 110};
inline constexpr QColor kTabBarStartColor{76, 73, 72};
// A scroll button of the device strip that cannot scroll.
inline constexpr QColor kStripArrowDisabledColor{80, 80, 80};
// A colour button's caption while it is neither chosen nor under the pointer.
inline constexpr QColor kColorButtonDimCaptionColor{187, 187, 187};
// Dialogs: fields and lists, their selection, the names of a list that is
// not in use, and the clear ground of a check box.
inline constexpr QColor kFieldColor{64, 64, 64};
inline constexpr QColor kFieldSelectionColor{92, 92, 92};
inline constexpr QColor kInactiveListTextColor{255, 255, 255, 128};
inline constexpr QColor kCheckBoxGroundColor{26, 26, 26, 0};

} // namespace layout
