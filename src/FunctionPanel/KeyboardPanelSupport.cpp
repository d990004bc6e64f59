#include "FunctionPanel/KeyboardPanelSupport.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"

namespace kbpanel {

std::shared_ptr<KeyboardEntry> currentKeyboard()
{
    return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
}

bool canSend(const std::shared_ptr<KeyboardEntry>& keyboard)
{
    return isCurrentDevice(keyboard) && keyboard->hidIsOpened();
}

bool isPerKeyCode(int code)
{
    return code >= 0 && code < int(KolventraKeyboard::kKeyCount);
}

} // namespace kbpanel
