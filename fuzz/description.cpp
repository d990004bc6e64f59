// Fuzzes the device description readers: the bytes are "Profile.xml" of a
// keyboard and of a mouse description package. Whatever a document holds,
// reading it, checking it and describing it must not fail, and a description
// that passes its check must have the numbers its users rely on.
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void checkHeader(const DeviceProfile& p)
{
    (void)p.description();
    if (p.validate() == AppError::NoError) {
        if (!p.versionNumber() || !p.vendorIdValue() || !p.productIdValue())
            fail("a valid description without version number or IDs");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    KeyboardProfileXML keyboardReader;
    if (keyboardReader.parse(bytes)) {
        const KeyboardProfile keyboard = keyboardReader.takeProfile();
        checkHeader(keyboard);
        (void)KeyboardProfile::keyboardTypeFromText(keyboard.name);
    }

    MouseProfileXML mouseReader;
    if (mouseReader.parse(bytes)) {
        const MouseProfile mouse = mouseReader.takeProfile();
        checkHeader(mouse);
        const bool valid = mouse.validate() == AppError::NoError;
        for (const MouseProfile::ButtonEntry& button : mouse.buttonList) {
            if (valid && !MouseProfile::parseMargin(button.margin))
                fail("a valid mouse description with a margin that does not read");
        }
        if (mouse.tabBodyImages.names().size() != MouseProfile::TabBodyImagePaths::kCount)
            fail("tab picture names lost");
    }
    return 0;
}
