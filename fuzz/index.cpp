// Fuzzes the "index.xml" reader and the XML reader pattern beneath it. A
// document that reads must also survive being written again and read back
// with the same entries.
#include "XML/FileIndexXML.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FileIndexXML reader;
    if (!reader.parse(bytes))
        return 0;
    const FileIndex index = reader.takeProfile();

    const std::optional<QByteArray> written = FileIndexXML::construct(index);
    if (!written) {
        std::fprintf(stderr, "an index that was read could not be written\n");
        std::abort();
    }
    FileIndexXML again;
    if (!again.parse(*written) || again.takeProfile().fileIndexEntry != index.fileIndexEntry) {
        std::fprintf(stderr, "an index did not read back as written\n");
        std::abort();
    }
    return 0;
}
