#pragma once
// "index.xml", the index of a profile package: one entry per member, in the
// order the members were added, with the member's CRC-16 text.
//
//   <FileIndex>
//     <List>
//       <FileIndexEntry><Name>profile.xml</Name><Sign>6F91</Sign></FileIndexEntry>
//       ...
//     </List>
//   </FileIndex>
//
// Element names are case-sensitive. Only "FileIndexEntry", "Name" and "Sign"
// matter to the reader ("List" may be missing); text of "Name" or "Sign"
// outside an entry is ignored; an entry without "Sign" keeps an empty sign
// (which never matches a CRC).

#include "XML/XmlProfile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class FileIndexXML;

class FileIndex {
public:
    using Xml = FileIndexXML;

    struct FileIndexEntry {
        QString name; // member file name
        QString sign; // CRC-16 of the member as stored, "%04X"
        bool operator==(const FileIndexEntry&) const = default;
    };

    std::vector<FileIndexEntry> fileIndexEntry;

    // The first entry named exactly `name` (case-sensitive), or null.
    const FileIndexEntry* find(const QString& name) const;
};

class FileIndexXML : public XmlProfileReader {
public:
    FileIndex fileIndex;

    FileIndex takeProfile() { return std::move(fileIndex); }

    // The index document of [name, sign] pairs, in order. A missing second
    // string is written as an empty sign.
    static std::optional<QByteArray> construct(const QList<QStringList>& fileList);
    static std::optional<QByteArray> construct(const FileIndex& index);

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseEntryGroup = false;
    std::optional<FileIndex::FileIndexEntry> entry;
};
