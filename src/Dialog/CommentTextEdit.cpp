#include "Dialog/CommentTextEdit.h"

#include <QSignalBlocker>
#include <QTextCursor>

CommentTextEdit::CommentTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &CommentTextEdit::checkLength);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!reverting_)
            acceptedCursor_ = textCursor().position();
    });
}

void CommentTextEdit::setComment(const QString& text)
{
    reverting_ = true;
    setPlainText(text);
    accepted_ = text;
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
    acceptedCursor_ = c.position();
    reverting_ = false;
}

void CommentTextEdit::checkLength()
{
    if (reverting_)
        return;
    const QString now = toPlainText();
    if (maxLength_ <= 0 || now.size() <= maxLength_ || now.size() <= accepted_.size()) {
        accepted_ = now;
        return;
    }
    // Too long: put the last accepted text and caret back.
    reverting_ = true;
    {
        const QSignalBlocker block(document());
        setPlainText(accepted_);
    }
    QTextCursor c = textCursor();
    c.setPosition(std::min(acceptedCursor_, int(accepted_.size())));
    setTextCursor(c);
    reverting_ = false;
}
