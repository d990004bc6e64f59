#include "Dialog/DialogProfileSave.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/CommentTextEdit.h"
#include "Dialog/ProfileTable.h"
#include "Platform/Strings.h"
#include "CustomControl/BackgroundView.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "Utility/RegularFile.h"
#include "Utility/ZipUtil.h"
#include "XML/UserMProfile.h"
#include "XML/UserProfile.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

ProfileSaveDialog* ProfileSaveDialog::create(QWidget* parent)
{
    return createProfileTwin<ProfileSaveDialog, DialogProfileSave, DialogMProfileSave, KeyboardEntry,
                             MouseEntry>(parent);
}

ProfileSaveDialog::ProfileSaveDialog(const Twin& twin, QWidget* parent)
    : ProfileDialogFrame(twin.kind, parent), twin_(twin)
{
    setFixedSize(layout::profileSaveDialogSize.toSize());
    titleLabel_ = createTitleLabel(QStringLiteral("SaveTheProfile"));
    QLabel* nameLabel = createLabel(QStringLiteral("DialogProfileName"));
    profileName_ = new NKTextField(this);
    profileName_->setAccessibleName(nameLabel->text());
    styleField(profileName_);
    checkOverWiteButton_ = makeCheckBox(QStringLiteral("ProfileOverwrite"));
    QLabel* listLabel = nullptr;
    model_ = new QStandardItemModel(this);
    listboxFileList_ = makeProfileList(model_, twin.arrowKeysMoveSelection, listLabel);
    QLabel* commentLabel = nullptr;
    comment_ = makeCommentField(commentLabel);
    comment_->setMaxLength(profilefiles::kMaxCommentLength);
    okButton_ = makeOkButton();
    cancelButton_ = makeCancelButton();

    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(layout::dialogSpacing);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(profileName_, 1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(listLabel);
    listRow->addStretch(1);
    listRow->addWidget(checkOverWiteButton_);
    QVBoxLayout* column = makeColumn();
    column->addWidget(titleLabel_);
    column->addLayout(nameRow);
    column->addLayout(listRow);
    column->addWidget(listboxFileList_);
    column->addWidget(commentLabel);
    column->addWidget(comment_);
    column->addStretch(1);
    column->addLayout(makeButtonRow(cancelButton_, okButton_));

    connect(checkOverWiteButton_, &QCheckBox::clicked, this, [this] { checkOverWrite_Checked(); });
    connect(listboxFileList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { onSelectionChanged(); });
}

void ProfileSaveDialog::initialise()
{
    checkOverWiteButton_->setChecked(false);
    profileName_->clear();
    comment_->setComment(QString());
    initDefaluOrOverwiteItem();
}

void ProfileSaveDialog::showEvent(QShowEvent* event)
{
    ProfileDialogFrame::showEvent(event);
    QTimer::singleShot(0, this, [this] {
        if (profileName_->isEnabled())
            refocusName();
    });
}

int ProfileSaveDialog::selectedRow() const
{
    return profiletable::selectedRow(listboxFileList_);
}

void ProfileSaveDialog::selectRow(int row)
{
    listboxFileList_->selectionModel()->select(
        model_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    listboxFileList_->setCurrentIndex(model_->index(row, 0));
}

void ProfileSaveDialog::onSelectionChanged()
{
    if (restoring_)
        return;
    int row = selectedRow();
    if (row < 0 && indexSet_ >= 0 && indexSet_ < model_->rowCount()) {
        // Once chosen, a row stays chosen: a click on empty space keeps it.
        restoring_ = true;
        selectRow(indexSet_);
        restoring_ = false;
        return;
    }
    if (row >= 0)
        indexSet_ = row;
    if (row < 0 && !list_.names.isEmpty())
        row = 0; // fill from the first row without selecting it
    updateListboxSelectItem(row);
}

void ProfileSaveDialog::updateListboxWithFileList()
{
    const bool overwrite = checkOverWiteButton_->isChecked();
    listboxFileList_->setEnabled(overwrite);
    if (overwrite)
        listboxFileList_->setFocus();

    const QString ext = profileExt();
    list_ = profilefiles::listProfiles({AppParam::userProfileFilePath, AppUtil::resourceProfileFolder(),
                                        twin_.extension, UserProfile::memberName(ext)});
    restoring_ = true;
    profiletable::fill(listboxFileList_, model_, list_.names, overwrite);
    restoring_ = false;
}

void ProfileSaveDialog::initDefaluOrOverwiteItem()
{
    const int previous = selectedRow();
    updateListboxWithFileList();
    profileName_->setEnabled(!checkOverWiteButton_->isChecked());
    if (list_.names.isEmpty()) {
        checkOverWiteButton_->setChecked(false);
        checkOverWiteButton_->setEnabled(false);
        auto* fade = new QGraphicsOpacityEffect(checkOverWiteButton_);
        fade->setOpacity(0.25);
        checkOverWiteButton_->setGraphicsEffect(fade);
        profileName_->setEnabled(true);
    }
    if (!checkOverWiteButton_->isChecked()) {
        profileName_->setText(profilefiles::firstFreeName(AppParam::userProfileFilePath, twin_.nameFormat,
                                                          twin_.extension));
        comment_->setComment(QString());
        refocusName();
        return;
    }
    int row = previous >= 0 && previous < model_->rowCount() ? previous : -1;
    if (row < 0 && !list_.names.isEmpty()) {
        row = indexSet_ >= 0 && indexSet_ < model_->rowCount() ? indexSet_ : 0;
        indexSet_ = row;
    }
    if (row >= 0) {
        restoring_ = true;
        selectRow(row);
        restoring_ = false;
    }
    updateListboxSelectItem(row);
    listboxFileList_->setFocus();
}

void ProfileSaveDialog::updateListboxSelectItem(int index)
{
    profileName_->clear();
    QString text;
    if (index >= 0 && index < list_.names.size()) {
        profileName_->setText(list_.names[index]);
        text = readComment(list_.paths[index]).value_or(QString());
    }
    comment_->setComment(text);
}

void ProfileSaveDialog::checkOverWrite_Checked()
{
    initDefaluOrOverwiteItem();
}

void ProfileSaveDialog::refocusName()
{
    refocusField(profileName_);
}

void ProfileSaveDialog::refuse(const char* key, bool refocus)
{
    QPointer<ProfileSaveDialog> self(this);
    AppUtil::messageBox(QString::fromLatin1(key), QStringLiteral("OK"), QString());
    if (self && refocus && !isClosingAll())
        refocusName();
}

void ProfileSaveDialog::pushOK()
{
    if (isClosingAll())
        return;
    const bool overwrite = checkOverWiteButton_->isChecked();
    if (!overwrite) {
        const QString typed = profileName_->text();
        if (typed.contains(u':') || typed.contains(u'/') || typed.contains(QChar(0)))
            return refuse("FailedToSaveProfile", true);
    } else {
        const int row = selectedRow();
        if (row >= 0 && !list_.names.isEmpty())
            profileName_->setText(list_.names[row]);
    }
    const QString name = profilefiles::trimSpaces(profileName_->text());
    profileName_->setText(name);

    const QString folder = AppParam::userProfileFilePath;
    if (!AppUtil::isEnableFoldrWrite(folder))
        return refuse("CanNotWriteToThisFolder", false);
    if (name.isEmpty() || !profilefiles::isAcceptableName(name))
        return refuse("FailedToSaveProfile", true);

    const QString ext = profileExt();
    if (ext.isEmpty())
        return refuse("FailedToSaveProfile", false);
    const QString userPath = folder + name + twin_.extension;
    const QString builtinPath = AppUtil::resourceProfileFolder() + name + twin_.extension;
    const QString member = UserProfile::memberName(ext);
    // A file that holds the model's member is refused; so is the save when
    // the unzip tool gave no answer (no process to be had): it cannot tell.
    const auto refusal = [&member](const QString& path) -> const char* {
        const std::optional<QByteArray> held = ZipUtil::tryLoad(path, member, false);
        if (!held)
            return "FailedToSaveProfile";
        return held->isEmpty() ? nullptr : "FileAlreadyExists";
    };
    const bool userExists = QFileInfo::exists(userPath);
    if (const char* key = !overwrite && userExists ? refusal(userPath) : nullptr)
        return refuse(key, true);
    const bool builtinExists = QFileInfo::exists(builtinPath);
    if (const char* key = builtinExists ? refusal(builtinPath) : nullptr)
        return refuse(key, true);
    // A failed copy leaves a new package to the writer. The copy is the one
    // file this save brings into being before the writer runs (copy() never
    // replaces a file); the writer itself leaves none behind when it fails.
    std::optional<AppUtil::FileIdentity> copied;
    if (!userExists && builtinExists && QFile::copy(builtinPath, userPath))
        copied = AppUtil::fileIdentity(userPath);

    const QString text = profilefiles::trimSpaces(comment_->comment());
    comment_->setComment(text);

    QPointer<ProfileSaveDialog> self(this);
    const AppError result = write(userPath, profilefiles::encodeComment(text));
    if (result != AppError::NoError) {
        // The copy goes again, but only while it is still the file this save
        // made: the write may have waited for the folder, and another writer
        // may have made or replaced a file of this name meanwhile.
        if (copied && AppUtil::fileIdentity(userPath) == copied)
            QFile::remove(userPath);
        if (self && !isClosingAll())
            refuse("FailedToSaveProfile", false);
        return;
    }
    if (self && !isClosingAll())
        ModalDialog::pushOK();
}

void ProfileSaveDialog::pushCancel()
{
    ModalDialog::pushCancel();
}

// ----- keyboard ----------------------------------------------------------------

DialogProfileSave::DialogProfileSave(QWidget* parent)
    : ProfileSaveDialog({QString::fromLatin1(AppParam::userProfileExt), AppParam::userProfileNameFormat, true,
                         DialogKind::ProfileSave},
                        parent)
{
    initialise();
}

QString DialogProfileSave::profileExt() const
{
    return currentProfileExt<KeyboardEntry>();
}

std::optional<QString> DialogProfileSave::readComment(const QString& path) const
{
    return readProfileComment<UserProfile, UserProfileFile>(path, profileExt());
}

AppError DialogProfileSave::write(const QString& path, const QString& encodedComment) const
{
    const auto kb = currentDeviceAs<KeyboardEntry>();
    if (!kb)
        return AppError::BadDevice;
    return UserProfile::Write(path, kb->profileExt(), *kb, encodedComment);
}

// ----- mouse -----------------------------------------------------------------

DialogMProfileSave::DialogMProfileSave(QWidget* parent)
    : ProfileSaveDialog({QString::fromLatin1(AppParam::userMProfileExt), AppParam::userMProfileNameFormat, false,
                         DialogKind::MProfileSave},
                        parent)
{
    initialise();
}

QString DialogMProfileSave::profileExt() const
{
    return currentProfileExt<MouseEntry>();
}

std::optional<QString> DialogMProfileSave::readComment(const QString& path) const
{
    return readProfileComment<UserMProfile, UserMProfileFile>(path, profileExt());
}

AppError DialogMProfileSave::write(const QString& path, const QString& encodedComment) const
{
    const auto mouse = currentDeviceAs<MouseEntry>();
    if (!mouse)
        return AppError::BadDevice;
    return UserMProfile::Write(path, mouse->profileExt(), *mouse, encodedComment);
}
