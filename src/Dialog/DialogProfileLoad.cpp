#include "Dialog/DialogProfileLoad.h"

#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/CommentTextEdit.h"
#include "Dialog/ProfileTable.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "XML/UserMProfile.h"
#include "XML/UserProfile.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

std::map<int, bool> keyboardDefaults()
{
    return {{int(ProfileEntry::Apc), true}, {int(ProfileEntry::KeyLock), true}};
}

std::map<int, bool> mouseDefaults()
{
    return {{int(MProfileEntry::Button), true},
            {int(MProfileEntry::LED), true},
            {int(MProfileEntry::SensorDPI), true},
            {int(MProfileEntry::SensorLoD), true}};
}

std::map<int, bool>& keyboardMap()
{
    static std::map<int, bool> map = keyboardDefaults();
    return map;
}

std::map<int, bool>& mouseMap()
{
    static std::map<int, bool> map = mouseDefaults();
    return map;
}

} // namespace

ProfileLoadDialog* ProfileLoadDialog::create(QWidget* parent)
{
    return createProfileTwin<ProfileLoadDialog, DialogProfileLoad, DialogMProfileLoad, KeyboardEntry,
                             MouseEntry>(parent);
}

ProfileLoadDialog::ProfileLoadDialog(const Twin& twin, QWidget* parent)
    : ProfileDialogFrame(twin.kind, parent), twin_(twin)
{
    setFixedSize(layout::profileLoadDialogSize.toSize());
    titleLabel_ = createTitleLabel(QStringLiteral("LoadTheProfile"));
    QLabel* listLabel = nullptr;
    model_ = new QStandardItemModel(this);
    listboxFileList_ = makeProfileList(model_, twin.arrowKeysMoveSelection, listLabel);
    QLabel* commentLabel = nullptr;
    comment_ = makeCommentField(commentLabel);
    comment_->setReadOnly(true);
    okButton_ = makeOkButton();
    cancelButton_ = makeCancelButton();

    boxRow_ = new QHBoxLayout;
    boxRow_->setSpacing(layout::dialogSpacing * 2);
    QVBoxLayout* column = makeColumn();
    column->addWidget(titleLabel_);
    column->addWidget(listLabel);
    column->addWidget(listboxFileList_);
    column->addWidget(commentLabel);
    column->addWidget(comment_);
    column->addLayout(boxRow_);
    column->addStretch(1);
    column->addLayout(makeButtonRow(cancelButton_, okButton_));

    connect(listboxFileList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { listboxFileList_SelectionChanged(); });
    connect(listboxFileList_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { listboxFileList_MouseDoubleClick(index.row()); });
}

QCheckBox* ProfileLoadDialog::addBox(const QString& key, int part)
{
    QCheckBox* box = makeCheckBox(key);
    if (captionedRow_)
        captionedRow_->addWidget(box);
    else
        boxRow_->addWidget(box, 0, Qt::AlignBottom);
    boxes_.push_back(box);
    parts_.push_back(part);
    connect(box, &QCheckBox::clicked, this, [this, box] { checkBox_Chaned(box); });
    return box;
}

QLabel* ProfileLoadDialog::addCaption(const QString& key)
{
    QLabel* label = createLabel(key);
    auto* group = new QVBoxLayout;
    group->setSpacing(layout::dialogSpacing / 2);
    group->addWidget(label);
    captionedRow_ = new QHBoxLayout;
    captionedRow_->setSpacing(boxRow_->spacing());
    group->addLayout(captionedRow_);
    boxRow_->addLayout(group);
    return label;
}

void ProfileLoadDialog::initialise()
{
    boxRow_->addStretch(1);
    const std::map<int, bool>& map = remembered();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const auto it = map.find(parts_[i]);
        boxes_[i]->setChecked(it != map.end() && it->second);
    }
    updateControlStatus();
    updateListbox();
}

void ProfileLoadDialog::updateListbox()
{
    list_ = profilefiles::listProfiles({AppParam::userProfileFilePath, AppUtil::resourceProfileFolder(),
                                        twin_.extension, UserProfile::memberName(profileExt())});
    restoring_ = true;
    profiletable::fill(listboxFileList_, model_, list_.names, true);
    restoring_ = false;
}

int ProfileLoadDialog::selectedRow() const
{
    return profiletable::selectedRow(listboxFileList_);
}

void ProfileLoadDialog::selectRow(int row)
{
    listboxFileList_->selectionModel()->select(
        model_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ProfileLoadDialog::listboxFileList_SelectionChanged()
{
    if (restoring_)
        return;
    const int row = selectedRow();
    if (row < 0 && indexSet_ >= 0 && indexSet_ < model_->rowCount()) {
        // Once chosen, a row stays chosen: a click on empty space keeps it.
        restoring_ = true;
        selectRow(indexSet_);
        restoring_ = false;
        return;
    }
    if (row >= 0)
        indexSet_ = row;
    QString text;
    if (row >= 0 && row < list_.paths.size())
        text = readComment(list_.paths[row]).value_or(QString());
    comment_->setComment(text);
    updateControlStatus();
}

std::map<int, bool> ProfileLoadDialog::shownParts() const
{
    std::map<int, bool> parts;
    for (size_t i = 0; i < boxes_.size(); ++i)
        parts[parts_[i]] = boxes_[i]->isEnabled() && boxes_[i]->isChecked();
    return parts;
}

void ProfileLoadDialog::updateControlStatus()
{
    bool anyPart = false;
    for (const auto& [part, on] : shownParts())
        anyPart = anyPart || on;
    okButton_->setEnabled(selectedRow() >= 0 && anyPart);
}

void ProfileLoadDialog::checkBox_Chaned(QCheckBox* sender)
{
    std::map<int, bool>& map = remembered();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i] != sender)
            continue;
        const auto it = map.find(parts_[i]);
        if (it != map.end())
            it->second = sender->isChecked();
    }
    updateControlStatus();
}

void ProfileLoadDialog::listboxFileList_MouseDoubleClick(int row)
{
    if (row < 0)
        return;
    if (okButton_->isEnabled())
        pushOK();
}

void ProfileLoadDialog::pushOK()
{
    if (isClosingAll())
        return;
    const int row = selectedRow();
    if (row < 0 || row >= list_.paths.size())
        return;
    const std::shared_ptr<IDeviceEntry> device = AppParam::device;
    QPointer<ProfileLoadDialog> self(this);

    // Only what the boxes show is applied: a part whose box is disabled (a
    // keyboard without APC) is never sent, whatever the remembered map says.
    const AppError result = readAndApply(list_.paths[row], shownParts());
    if (!self)
        return;
    if (isClosingAll() || !isCurrentDevice(device)) {
        // The device went away inside the apply; the recovery ends the
        // dialog. No message on a dialog that is no longer shown.
        if (!isClosingAll())
            done(0);
        return;
    }
    if (result != AppError::NoError) {
        AppUtil::messageBox(QStringLiteral("FailedToLoadProfile"), QStringLiteral("OK"), QString());
        return;
    }
    markSettingsChanged(); // shows Send
    ModalDialog::pushOK();
}

void ProfileLoadDialog::pushCancel()
{
    std::map<int, bool>& map = remembered();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const auto it = map.find(parts_[i]);
        if (it != map.end())
            it->second = boxes_[i]->isChecked();
    }
    ModalDialog::pushCancel();
}

// ----- keyboard ----------------------------------------------------------------

DialogProfileLoad::DialogProfileLoad(QWidget* parent)
    : ProfileLoadDialog({QString::fromLatin1(AppParam::userProfileExt), true, DialogKind::ProfileLoad}, parent)
{
    apc_ = addBox(QStringLiteral("APC"), int(ProfileEntry::Apc));
    keyLock_ = addBox(QStringLiteral("KeyLock"), int(ProfileEntry::KeyLock));
    initialise();
    const auto kb = currentDeviceAs<KeyboardEntry>();
    if (!kb || !kb->supportAPC) {
        apc_->setChecked(false);
        apc_->setEnabled(false);
        auto* fade = new QGraphicsOpacityEffect(apc_);
        fade->setOpacity(0.25);
        apc_->setGraphicsEffect(fade);
        updateControlStatus();
    }
}

std::map<ProfileEntry, bool> DialogProfileLoad::profileLoad()
{
    std::map<ProfileEntry, bool> out;
    for (const auto& [part, on] : keyboardMap())
        out[ProfileEntry(part)] = on;
    return out;
}

void DialogProfileLoad::resetProfileLoad()
{
    keyboardMap() = keyboardDefaults();
}

std::map<int, bool>& DialogProfileLoad::remembered() const
{
    return keyboardMap();
}

QString DialogProfileLoad::profileExt() const
{
    return currentProfileExt<KeyboardEntry>();
}

std::optional<QString> DialogProfileLoad::readComment(const QString& path) const
{
    return readProfileComment<UserProfile, UserProfileFile>(path, profileExt());
}

AppError DialogProfileLoad::readAndApply(const QString& path, const std::map<int, bool>& parts)
{
    auto kb = currentDeviceAs<KeyboardEntry>();
    if (!kb)
        return AppError::BadDevice;
    UserProfileFile profile;
    const AppError read = UserProfile::Read(path, kb->profileExt(), profile);
    if (read != AppError::NoError)
        return read;
    UserProfile::EnableFunction enable;
    for (const auto& [part, on] : parts)
        enable[ProfileEntry(part)] = on;
    return UserProfile::Apply(std::move(kb), profile, enable);
}

// ----- mouse -----------------------------------------------------------------

DialogMProfileLoad::DialogMProfileLoad(QWidget* parent)
    : ProfileLoadDialog({QString::fromLatin1(AppParam::userMProfileExt), true, DialogKind::MProfileLoad}, parent)
{
    button_ = addBox(QStringLiteral("MUserSettingButton"), int(MProfileEntry::Button));
    led_ = addBox(QStringLiteral("MUserSettingLED"), int(MProfileEntry::LED));
    addCaption(QStringLiteral("MUserSettingSensor"));
    dpi_ = addBox(QStringLiteral("MUserSettingDpi"), int(MProfileEntry::SensorDPI));
    lod_ = addBox(QStringLiteral("MUserSettingLoD"), int(MProfileEntry::SensorLoD));
    initialise();
}

std::map<MProfileEntry, bool> DialogMProfileLoad::profileLoad()
{
    std::map<MProfileEntry, bool> out;
    for (const auto& [part, on] : mouseMap())
        out[MProfileEntry(part)] = on;
    return out;
}

void DialogMProfileLoad::resetProfileLoad()
{
    mouseMap() = mouseDefaults();
}

std::map<int, bool>& DialogMProfileLoad::remembered() const
{
    return mouseMap();
}

QString DialogMProfileLoad::profileExt() const
{
    return currentProfileExt<MouseEntry>();
}

std::optional<QString> DialogMProfileLoad::readComment(const QString& path) const
{
    return readProfileComment<UserMProfile, UserMProfileFile>(path, profileExt());
}

AppError DialogMProfileLoad::readAndApply(const QString& path, const std::map<int, bool>& parts)
{
    auto mouse = currentDeviceAs<MouseEntry>();
    if (!mouse)
        return AppError::BadDevice;
    UserMProfileFile profile;
    const AppError read = UserMProfile::Read(path, mouse->profileExt(), profile);
    if (read != AppError::NoError)
        return read;
    UserMProfile::EnableFunction enable;
    for (const auto& [part, on] : parts)
        enable[MProfileEntry(part)] = on;
    return UserMProfile::Apply(std::move(mouse), profile, enable);
}
