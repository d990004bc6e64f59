#pragma once
// What the firmware file dialog and the description package dialog share:
// a title, a caption with a read-only field that shows the name of the chosen
// file, the "..." button that opens the file chooser, and the confirming and
// Cancel buttons. The chooser starts in the folder of the file used last
// (firmware::startFolderOf) and offers files of one extension only.

#include "Dialog/ProfileDialogFrame.h"

class QLabel;
class QLineEdit;
class QPushButton;

class FilePickDialog : public ProfileDialogFrame {
    Q_OBJECT
public:
    // The folder the chooser starts in until a file is picked, then the
    // chosen file's full path.
    QString filePath() const { return filePath_; }

    // "...": the file chooser. On a pick the field shows the file's name.
    void pushSelect();

    QLineEdit* pathLabel() const { return pathLabel_; }
    QPushButton* selectButton() const { return selectButton_; }
    QPushButton* confirmButton() const { return confirmButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    // `extension` without the dot ("vxb"); the keys name the title, the
    // caption and the confirming button.
    FilePickDialog(DialogKind kind, const QString& startPath, const QString& extension,
                   const QString& titleKey, const QString& captionKey, const QString& confirmKey,
                   QWidget* parent);

    void showEvent(QShowEvent* event) override;

private:
    void refocusPath();

    QString extension_;
    QLabel* titleLabel_ = nullptr;
    QLabel* captionLabel_ = nullptr;
    QLineEdit* pathLabel_ = nullptr;
    QPushButton* selectButton_ = nullptr;
    QPushButton* confirmButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QString filePath_;
};
