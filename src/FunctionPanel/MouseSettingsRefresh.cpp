#include "FunctionPanel/MouseSettingsRefresh.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "KeyboardView/KeyboardView.h"
#include "XML/MouseTabPictures.h"

#include <string>
#include <vector>

namespace {

template <class E>
E fromRawOrDefault(int raw, E fallback)
{
    const auto value = fromRaw<E>(raw);
    return value ? *value : fallback;
}

// Every mouse panel's picture, added as the panels' pictures are made
// (before main(); read only afterwards).
std::vector<const MousePanelPicture*>& panelPictures()
{
    static std::vector<const MousePanelPicture*> pictures;
    return pictures;
}

} // namespace

std::shared_ptr<MouseEntry> currentMouse()
{
    return std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
}

std::shared_ptr<MouseEntry> openMouse()
{
    auto mouse = currentMouse();
    return mouse && mouse->hidIsOpened() ? mouse : nullptr;
}

MousePanelPicture::MousePanelPicture(FunctionTab tab, MousePictureChoice choose) : tab_(tab), choose_(choose)
{
    panelPictures().push_back(this);
}

QImage MousePanelPicture::choose(const MouseTabPictures& pictures, const MouseEntry& mouse) const
{
    return choose_(pictures, mouse);
}

void MousePanelPicture::decodeFirstPicture(const MouseTabPictures& pictures, FunctionTab tab,
                                           const MouseEntry& unread)
{
    for (const MousePanelPicture* picture : panelPictures())
        if (picture->tab_ == tab)
            (void)picture->choose(pictures, unread);
}

void showMousePicture(KeyboardView* view, const MousePanelPicture& picture)
{
    const auto mouse = currentMouse();
    if (!view || !mouse || !mouse->tabPictures)
        return;
    view->showBodyImageOnly(picture.choose(*mouse->tabPictures, *mouse));
    mouse->tabPictures->forgetUnshown();
}

void letGoOfMousePicture(KeyboardView* view)
{
    if (!view || view->bodyImage().isNull())
        return;
    view->showBodyImageOnly(QImage());
    if (const auto mouse = currentMouse(); mouse && mouse->tabPictures)
        mouse->tabPictures->forgetUnshown();
}

void applyMouseSettings(MouseEntry& mouse, const KolventraMouse::RmSettings& record, bool keysRead)
{
    for (int i = 0; i < MouseEntry::kButtonCount; ++i)
        mouse.buttonSettingList[i] = record.buttonSetting[i];
    mouse.color = fromRawOrDefault(record.color, LedColor::White);
    mouse.luminace = fromRawOrDefault(record.luminance, eLuminance::Level1);
    mouse.indicatorEnable = fromRawOrDefault(record.indicatorEnable, Indicator::Disable);
    mouse.logoEnable = fromRawOrDefault(record.logoEnable, Logo::Disable);
    for (int k = 0; k < MouseEntry::kDpiCount; ++k) {
        mouse.dpiSettingEnable[k] = record.dpi[k].dpiEnable;
        mouse.dpiSettingValue[k] = int32_t(uint32_t(record.dpi[k].dpiValue));
    }
    // 4 is the `_count` case and is kept as the mouse reports it.
    mouse.dpiSelected = fromRawOrDefault(record.dpiSelected, DpiSettingNo::Setting1);
    mouse.liftOffDistance = fromRawOrDefault(record.liftOffDistance, LoD::LoD_2mm);
    mouse.reportDiscriptor = fromRawOrDefault(record.reportDiscriptor, ReportDiscriptor::Fps_1kHz);
    for (int i = 0; i < MouseEntry::kCustomKeyCount; ++i) {
        mouse.customKeyList[i].code = ButtonNo(rawValue(ButtonNo::Button3) + i);
        mouse.customKeyList[i].modifier = record.customKey[i].modifier;
        mouse.customKeyList[i].keyCode = record.customKey[i].keyCode;
        mouse.customKeyKnown[i] = keysRead;
    }
}

MouseRefresh refreshMouseSettings()
{
    MouseRefresh r;
    r.mouse = currentMouse();
    if (!r.mouse)
        return r;
    // Without an open device the read would "succeed" with zeros.
    if (!r.mouse->hidIsOpened())
        return r;
    // A read started from inside another transaction's wait would be
    // refused; do not even try.
    if (r.mouse->isRunConnecting) {
        r.busy = true;
        return r;
    }

    KolventraMouse::RmSettings record;
    const std::string version = r.mouse->firmwareVersion().value_or(QString()).toStdString();
    r.error = r.mouse->CMD_GetMouseSettings(record, version);

    if (!isCurrentDevice(r.mouse)) {
        r.replaced = true;
        return r;
    }
    if (isBusy(r.error)) {
        r.busy = true;
        return r;
    }
    if (r.error != AppError::NoError)
        return r;
    // The device went away inside the wait: what came back is no reading.
    if (!r.mouse->hidIsOpened())
        return r;

    applyMouseSettings(*r.mouse, record, KolventraMouse::isNewerSettingsLayout(version));
    r.updated = true;
    return r;
}

