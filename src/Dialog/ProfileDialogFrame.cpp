#include "Dialog/ProfileDialogFrame.h"

#include "CustomControl/NKButton.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

ProfileDialogFrame::ProfileDialogFrame(DialogKind kind, QWidget* parent) : ModalDialog(kind, parent)
{
    QFont f = font();
    f.setPixelSize(layout::dialogFontSize);
    setFont(f);
}

QLabel* ProfileDialogFrame::makeTitle(const QString& key)
{
    QLabel* label = createLabel(key);
    QFont f = label->font();
    f.setPixelSize(layout::dialogTitleFontSize);
    f.setBold(true);
    label->setFont(f);
    return label;
}

QPushButton* ProfileDialogFrame::makeOkButton()
{
    QPushButton* b = createOkButton();
    b->setFixedSize(layout::dialogButtonSize.toSize());
    return b;
}

QPushButton* ProfileDialogFrame::makeCancelButton()
{
    QPushButton* b = createCancelButton();
    b->setFixedSize(layout::dialogButtonSize.toSize());
    return b;
}

QCheckBox* ProfileDialogFrame::makeCheckBox(const QString& key)
{
    const QString text = platform::localizedString(key);
    auto* box = new NKCheckBox(text, this);
    box->setBackgroundColor(AppColor::rgb8(26, 26, 26, 0.0).toQColor());
    box->setAccessibleName(text);
    QFont f = box->font();
    f.setPixelSize(layout::dialogFontSize);
    box->setFont(f);
    box->setStyleSheet(QStringLiteral(
        "QCheckBox { color: white; background: transparent; spacing: 6px; }"
        "QCheckBox:disabled { color: rgba(255,255,255,64); }"
        "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid rgb(170,170,170);"
        " border-radius: 2px; background: rgb(64,64,64); }"
        "QCheckBox::indicator:checked { background: rgb(220,220,220);"
        " border: 3px solid rgb(64,64,64); }"
        "QCheckBox::indicator:disabled { border-color: rgb(90,90,90); }"));
    return box;
}

void ProfileDialogFrame::styleField(QWidget* field)
{
    field->setStyleSheet(QStringLiteral("color: white; background: rgb(64,64,64); border: none;"
                                        " selection-background-color: rgb(92,92,92);"));
}
