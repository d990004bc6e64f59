#include "Dialog/ProfileDialogFrame.h"

#include "CustomControl/NKButton.h"
#include "Dialog/CommentTextEdit.h"
#include "Dialog/ProfileTable.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

ProfileDialogFrame::ProfileDialogFrame(DialogKind kind, QWidget* parent) : ModalDialog(kind, parent)
{
    QFont f = font();
    f.setPixelSize(layout::dialogFontSize);
    setFont(f);
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
    box->setBackgroundColor(layout::kCheckBoxGroundColor);
    box->setAccessibleName(text);
    QFont f = box->font();
    f.setPixelSize(layout::dialogFontSize);
    box->setFont(f);
    return box;
}

void ProfileDialogFrame::styleField(QWidget* field)
{
    // The text keeps clear of the field's edges: a single-line field gets
    // the height of a button row and its text starts as far in as the rows
    // of the lists; a text box gets the same room inside its frame.
    const int inset = layout::dialogFieldTextInset;
    auto* line = qobject_cast<QLineEdit*>(field);
    const QString padding = line ? QStringLiteral("padding: 0 %1px;").arg(inset)
                                 : QStringLiteral("padding: %1px;").arg(inset - 2);
    field->setStyleSheet(QStringLiteral("color: white; background: %2; border: none; %1"
                                        " selection-background-color: %3;")
                             .arg(padding, layout::kFieldColor.name(), layout::kFieldSelectionColor.name()));
    if (line)
        line->setMinimumHeight(layout::dialogFieldHeight);
}

void ProfileDialogFrame::refocusField(QLineEdit* field)
{
    field->setFocus();
    field->setCursorPosition(int(field->text().size()));
    field->deselect();
}

QVBoxLayout* ProfileDialogFrame::makeColumn()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(layout::dialogMargin, layout::dialogMargin, layout::dialogMargin,
                               layout::dialogMargin);
    column->setSpacing(layout::dialogSpacing);
    return column;
}

QHBoxLayout* ProfileDialogFrame::makeButtonRow(QPushButton* cancel, QPushButton* confirm)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(confirm);
    return buttons;
}

QHBoxLayout* ProfileDialogFrame::makePathRow(QLabel* caption, QWidget* field, QPushButton* select)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(layout::dialogSpacing);
    row->addWidget(caption);
    row->addWidget(field, 1);
    row->addWidget(select);
    return row;
}

QTableView* ProfileDialogFrame::makeProfileList(QStandardItemModel* model, bool arrowKeysMoveSelection,
                                                QLabel*& caption)
{
    caption = createLabel(QStringLiteral("DialogProfileList"));
    QTableView* list = profiletable::make(this, model, arrowKeysMoveSelection);
    list->setAccessibleName(caption->text());
    list->setFixedHeight(layout::profileListHeight);
    return list;
}

CommentTextEdit* ProfileDialogFrame::makeCommentField(QLabel*& caption)
{
    caption = createLabel(QStringLiteral("DialogProfileComment"));
    auto* comment = new CommentTextEdit(this);
    comment->setAccessibleName(caption->text());
    comment->setFixedHeight(layout::profileCommentHeight);
    styleField(comment);
    return comment;
}
