// Fuzzes the defaults file's reader: the bytes are "profile.xml" of
// "Application.def". A document that reads is moved into the application
// state, which must keep its ten standard colour slots, all opaque where
// filled.
#include "AppParam.h"
#include "XML/DefaultProfile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DefaultProfileXML reader;
    if (!reader.parse(bytes))
        return 0;
    const DefaultProfile profile = reader.takeProfile();

    AppParam::standerdColor = std::vector<AppColor>(10, AppColor::clear());
    DefaultProfile::applyToAppParam(profile);
    if (AppParam::standerdColor.size() != 10) {
        std::fprintf(stderr, "standard colour slots changed\n");
        std::abort();
    }
    const qsizetype filled = std::min<qsizetype>(profile.standerdColor.size(), 10);
    for (qsizetype i = 0; i < filled; ++i) {
        if (AppParam::standerdColor[std::size_t(i)].alpha != 1.0) {
            std::fprintf(stderr, "a standard colour is not opaque\n");
            std::abort();
        }
    }
    if (AppParam::localizeList != profile.localizeList) {
        std::fprintf(stderr, "localize list not taken over\n");
        std::abort();
    }
    return 0;
}
