#include "XML/FileIndexXML.h"

namespace {
const QString kEntry = QStringLiteral("FileIndexEntry");
const QString kName = QStringLiteral("Name");
const QString kSign = QStringLiteral("Sign");
} // namespace

const FileIndex::FileIndexEntry* FileIndex::find(const QString& name) const
{
    for (const FileIndexEntry& e : fileIndexEntry) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

void FileIndexXML::startDocument()
{
    fileIndex = FileIndex{};
    isParseEntryGroup = false;
    entry.reset();
}

void FileIndexXML::startElement(const QString& name)
{
    if (name == kEntry) {
        isParseEntryGroup = true;
        entry = FileIndex::FileIndexEntry{};
        return;
    }
    tmpKey = name;
}

void FileIndexXML::characters(const QString& text)
{
    if (!tmpKey || !isParseEntryGroup || !entry)
        return;
    if (*tmpKey == kName)
        entry->name = text;
    else if (*tmpKey == kSign)
        entry->sign = text;
}

void FileIndexXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kEntry) {
        if (entry)
            fileIndex.fileIndexEntry.push_back(*entry);
        isParseEntryGroup = false;
    }
}

std::optional<QByteArray> FileIndexXML::construct(const QList<QStringList>& fileList)
{
    XmlElement root(QStringLiteral("FileIndex"));
    XmlElement list(QStringLiteral("List"));
    for (const QStringList& pair : fileList) {
        XmlElement& e = list.add(kEntry);
        e.add(kName, pair.value(0));
        e.add(kSign, pair.value(1));
    }
    root.children.push_back(std::move(list));
    return XmlProfileWriter::document(root);
}

std::optional<QByteArray> FileIndexXML::construct(const FileIndex& index)
{
    QList<QStringList> fileList;
    fileList.reserve(static_cast<qsizetype>(index.fileIndexEntry.size()));
    for (const auto& e : index.fileIndexEntry)
        fileList.push_back({e.name, e.sign});
    return construct(fileList);
}
