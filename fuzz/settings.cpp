// Fuzzes the settings file's reader and writer: the bytes are "profile.xml"
// of "Application.ini". A document that reads is moved into the application
// state and written again; what was written must read back to the same
// document (writing is a fixed point after one round).
#include "AppParam.h"
#include "XML/ApplicationProfile.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ApplicationProfileXML reader;
    if (!reader.parse(bytes))
        return 0;
    const ApplicationProfile profile = reader.takeProfile();
    if (profile.customColor.size() != ApplicationProfile::kCustomColorCount)
        fail("custom colour list changed its length");

    ApplicationProfile::applyToAppParam(profile);
    if (AppParam::customColorSelect < 0
        || AppParam::customColorSelect >= int(AppParam::customColor.size()))
        fail("selected custom colour out of range");
    const int tab = rawValue(AppParam::functionTabSelect);
    if (tab < 1 || tab > 8)
        fail("no tab selected after loading");
    (void)ApplicationProfile::fromAppParam();

    const std::optional<QByteArray> first = ApplicationProfileXML::construct(profile);
    if (!first)
        return 0; // a text XML cannot carry (the save fails cleanly)
    ApplicationProfileXML again;
    if (!again.parse(*first))
        fail("a written settings document does not read");
    const std::optional<QByteArray> second = ApplicationProfileXML::construct(again.takeProfile());
    if (!second || *second != *first)
        fail("a written settings document did not read back as written");
    return 0;
}
