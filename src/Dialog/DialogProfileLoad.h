#pragma once
// The profile load dialogs: the profiles that fit the connected model are
// listed (built-in ones, then the user's), the selected one's comment is
// shown, and OK applies the ticked parts of it to the device and marks the
// settings as changed but not stored. DialogProfileLoad serves keyboards
// (APC, key lock), DialogMProfileLoad mice (buttons, LED, DPI, lift-off
// distance); ProfileLoadDialog holds what both do. Result 1: applied; 0:
// cancelled or the device went away.
//
// Which parts are ticked is remembered per twin for the run of the
// application: a click on a box and Cancel store it, OK and a device
// removal do not.

#include "AppEnums.h"
#include "Dialog/ProfileDialogFrame.h"
#include "Dialog/ProfileFiles.h"
#include "Utility/AppError.h"

#include <map>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class CommentTextEdit;

class ProfileLoadDialog : public ProfileDialogFrame {
    Q_OBJECT
public:
    // Builds a keyboard dialog for a connected keyboard and a mouse dialog
    // for a connected mouse; nothing (null) for any other device.
    static ProfileLoadDialog* create(QWidget* parent = nullptr);

    void pushOK() override;
    void pushCancel() override;
    void checkBox_Chaned(QCheckBox* sender);
    void listboxFileList_SelectionChanged();
    void listboxFileList_MouseDoubleClick(int row);

    QTableView* listboxFileList() const { return listboxFileList_; }
    CommentTextEdit* comment() const { return comment_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    const std::vector<QCheckBox*>& checkBoxes() const { return boxes_; }
    const profilefiles::ProfileList& fileList() const { return list_; }

protected:
    struct Twin {
        QString extension;
        bool arrowKeysMoveSelection;
        DialogKind kind;
    };
    ProfileLoadDialog(const Twin& twin, QWidget* parent);

    // Adds a part box to the row under the comment; `part` is its entry in
    // the remembered map.
    QCheckBox* addBox(const QString& key, int part);
    // Adds a caption to that row that heads the boxes added after it: it
    // stands above them, and the boxes before it line up with them.
    QLabel* addCaption(const QString& key);
    // Builds the list and sets the boxes; the twins call it once built.
    void initialise();

    virtual QString profileExt() const = 0;
    virtual std::optional<QString> readComment(const QString& path) const = 0;
    // Reads the file and applies the parts ticked in `parts` (entries of
    // the twin's part enum) to the device.
    virtual AppError readAndApply(const QString& path, const std::map<int, bool>& parts) = 0;
    // The remembered map of the twin.
    virtual std::map<int, bool>& remembered() const = 0;

    // Enables OK when a row is selected and a part is ticked.
    void updateControlStatus();

private:
    void updateListbox();
    int selectedRow() const;
    void selectRow(int row);
    // The parts as the boxes show them (a disabled box counts as off).
    std::map<int, bool> shownParts() const;

    Twin twin_;
    QLabel* titleLabel_ = nullptr;
    QTableView* listboxFileList_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    CommentTextEdit* comment_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    class QHBoxLayout* boxRow_ = nullptr;
    class QHBoxLayout* captionedRow_ = nullptr;  // the boxes under the last caption
    std::vector<QCheckBox*> boxes_;
    std::vector<int> parts_;
    profilefiles::ProfileList list_;
    int indexSet_ = -1;
    bool restoring_ = false;
};

class DialogProfileLoad : public ProfileLoadDialog {
    Q_OBJECT
public:
    static constexpr DeviceType kDeviceType = DeviceType::Keyboard;
    explicit DialogProfileLoad(QWidget* parent = nullptr);

    QCheckBox* checkBoxApcButton() const { return apc_; }
    QCheckBox* checkBoxKeyLockButton() const { return keyLock_; }

    // The remembered parts (Apc, KeyLock), all true at the start of a run.
    static std::map<ProfileEntry, bool> profileLoad();
    static void resetProfileLoad();

protected:
    QString profileExt() const override;
    std::optional<QString> readComment(const QString& path) const override;
    AppError readAndApply(const QString& path, const std::map<int, bool>& parts) override;
    std::map<int, bool>& remembered() const override;

private:
    QCheckBox* apc_ = nullptr;
    QCheckBox* keyLock_ = nullptr;
};

class DialogMProfileLoad : public ProfileLoadDialog {
    Q_OBJECT
public:
    static constexpr DeviceType kDeviceType = DeviceType::Mouse;
    explicit DialogMProfileLoad(QWidget* parent = nullptr);

    QCheckBox* checkBoxButtonButton() const { return button_; }
    QCheckBox* checkBoxLedButton() const { return led_; }
    QCheckBox* checkBoxSensorDpiButton() const { return dpi_; }
    QCheckBox* checkBoxSensorLodButton() const { return lod_; }

    // The remembered parts (Button, LED, SensorDPI, SensorLoD).
    static std::map<MProfileEntry, bool> profileLoad();
    static void resetProfileLoad();

protected:
    QString profileExt() const override;
    std::optional<QString> readComment(const QString& path) const override;
    AppError readAndApply(const QString& path, const std::map<int, bool>& parts) override;
    std::map<int, bool>& remembered() const override;

private:
    QCheckBox* button_ = nullptr;
    QCheckBox* led_ = nullptr;
    QCheckBox* dpi_ = nullptr;
    QCheckBox* lod_ = nullptr;
};
