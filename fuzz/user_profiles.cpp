// Fuzzes the keyboard and mouse user profile readers: the bytes are one
// "profile.<model>.xml" member. Reading must never fail, and whatever was
// read must be writable again and read back to the same profile.
#include "XML/UserMProfileFile.h"
#include "XML/UserProfile.h"

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

template <class Reader, class Profile>
void roundTrip(const Profile& profile)
{
    const auto written = Reader::construct(profile);
    if (!written)
        return; // a text XML cannot carry
    Reader again;
    if (!again.parse(*written))
        fail("a written profile does not parse");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    UserProfileXML keyboardReader;
    if (keyboardReader.parse(bytes) && !keyboardReader.hasMalformedText())
        roundTrip<UserProfileXML>(keyboardReader.takeProfile());

    UserMProfileXML mouseReader;
    if (mouseReader.parse(bytes))
        roundTrip<UserMProfileXML>(mouseReader.takeProfile());
    return 0;
}
