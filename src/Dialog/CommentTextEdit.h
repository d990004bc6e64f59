#pragma once
// The comment field of the profile dialogs: plain text, white on the field
// grey. With a limit set, an edit (typing, paste, drop, input method) that
// would make the text longer than the limit is refused whole: nothing of it
// is inserted.

#include <QPlainTextEdit>

class CommentTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CommentTextEdit(QWidget* parent = nullptr);

    // Longest text in UTF-16 units; 0 = no limit.
    void setMaxLength(int length) { maxLength_ = length; }
    int maxLength() const { return maxLength_; }

    // Sets the text from the program (a stored comment), whatever its length.
    void setComment(const QString& text);
    QString comment() const { return toPlainText(); }

private:
    void checkLength();

    int maxLength_ = 0;
    QString accepted_;
    int acceptedCursor_ = 0;
    bool reverting_ = false;
};
