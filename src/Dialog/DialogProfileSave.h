#pragma once
// The profile save dialogs: the connected device's current settings are
// stored as its member of a profile file, under a new name (the first free
// default name is offered) or over a listed file (overwrite mode), with a
// comment of at most 1024 characters. DialogProfileSave serves keyboards
// (".prf"), DialogMProfileSave mice (".mprf"); ProfileSaveDialog holds what
// both do. Result 1: saved; 0: cancelled or the device went away.

#include "Dialog/ProfileDialogFrame.h"
#include "Dialog/ProfileFiles.h"
#include "Utility/AppError.h"

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class CommentTextEdit;

class ProfileSaveDialog : public ProfileDialogFrame {
    Q_OBJECT
public:
    // Builds a keyboard dialog for a connected keyboard and a mouse dialog
    // for a connected mouse; nothing (null) for any other device.
    static ProfileSaveDialog* create(QWidget* parent = nullptr);

    void pushOK() override;
    void pushCancel() override;
    // The overwrite check box was clicked.
    void checkOverWrite_Checked();

    // The controls, for the caller and the tests.
    QLineEdit* profileName() const { return profileName_; }
    CommentTextEdit* comment() const { return comment_; }
    QTableView* listboxFileList() const { return listboxFileList_; }
    QCheckBox* checkOverWiteButton() const { return checkOverWiteButton_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    const profilefiles::ProfileList& fileList() const { return list_; }

protected:
    struct Twin {
        QString extension;      // ".prf" / ".mprf"
        const char* nameFormat; // "QMVKB_%04d" / "QMVMO_%04d"
        bool arrowKeysMoveSelection;
        DialogKind kind;
    };
    ProfileSaveDialog(const Twin& twin, QWidget* parent);

    // The model's key in member names ("profileExt"); empty without device.
    virtual QString profileExt() const = 0;
    // The stored comment of the model's member in a listed file.
    virtual std::optional<QString> readComment(const QString& path) const = 0;
    // Writes the device's settings as the model's member of the file.
    virtual AppError write(const QString& path, const QString& encodedComment) const = 0;

    // Builds the list and sets the mode; the twins call it once built.
    void initialise();

    void showEvent(QShowEvent* event) override;

private:
    void updateListboxWithFileList();
    void initDefaluOrOverwiteItem();
    void updateListboxSelectItem(int index);
    void selectRow(int row);
    int selectedRow() const;
    void onSelectionChanged();
    void refocusName();
    void refuse(const char* key, bool refocus);

    Twin twin_;
    QLabel* titleLabel_ = nullptr;
    QLineEdit* profileName_ = nullptr;
    CommentTextEdit* comment_ = nullptr;
    QTableView* listboxFileList_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QCheckBox* checkOverWiteButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    profilefiles::ProfileList list_;
    int indexSet_ = -1;        // the last non-empty selection
    bool restoring_ = false;
};

class DialogProfileSave : public ProfileSaveDialog {
    Q_OBJECT
public:
    static constexpr DeviceType kDeviceType = DeviceType::Keyboard;
    explicit DialogProfileSave(QWidget* parent = nullptr);

protected:
    QString profileExt() const override;
    std::optional<QString> readComment(const QString& path) const override;
    AppError write(const QString& path, const QString& encodedComment) const override;
};

class DialogMProfileSave : public ProfileSaveDialog {
    Q_OBJECT
public:
    static constexpr DeviceType kDeviceType = DeviceType::Mouse;
    explicit DialogMProfileSave(QWidget* parent = nullptr);

protected:
    QString profileExt() const override;
    std::optional<QString> readComment(const QString& path) const override;
    AppError write(const QString& path, const QString& encodedComment) const override;
};
