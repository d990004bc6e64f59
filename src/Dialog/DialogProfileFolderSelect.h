#pragma once
// The profile folder dialog: the user types a folder path or picks one with
// the folder chooser; OK makes sure the folder exists and can be written and
// hands the path back ending with "/". Result 1: filePath holds it.

#include "Dialog/ProfileDialogFrame.h"

class QLineEdit;
class QPushButton;
class QLabel;

class DialogProfileFolderSelect : public ProfileDialogFrame {
    Q_OBJECT
public:
    explicit DialogProfileFolderSelect(const QString& folderPath, QWidget* parent = nullptr);

    // The chosen folder, ending with "/"; read it only after result 1.
    QString filePath() const { return filePath_; }

    // Runs a new dialog that starts at `folderPath` and returns its code;
    // after 1 `chosen` holds the folder (ending with "/"). The mask and the
    // help items are the caller's.
    static int run(const QString& folderPath, QString& chosen);

    void pushSelect();
    void pushOK() override;
    void pushCancel() override;

    QLineEdit* folderPathLabel() const { return folderPathLabel_; }
    QPushButton* selectButton() const { return selectButton_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refocusPath();
    void refuse();

    QLabel* titleLabel_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLineEdit* folderPathLabel_ = nullptr;
    QPushButton* selectButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QString filePath_;
};
