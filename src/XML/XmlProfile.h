#pragma once
// The reader and writer pattern shared by every XML document inside a
// profile package.
//
// Reading. A format's reader derives from XmlProfileReader and implements the
// three hooks; parse() runs a QXmlStreamReader over the bytes and calls them
// by element name (attributes, namespaces, processing instructions, comments
// and the DTD are ignored). The text between two tags is collected whole
// (character references, entities and CDATA sections included) and handed to
// characters() once, before the next tag's hook, so "A&amp;B" arrives as
// "A&B". The usual shape of a reader:
//
//   startElement(name): a name that opens a group (repeated entry or nested
//       block) sets the group's flag (and, for an entry, makes a new empty
//       current entry); any other name becomes tmpKey.
//   characters(text):   stored only when tmpKey names a field of the current
//       context; assignment, so a field that appears twice keeps the last.
//   endElement(name):   tmpKey becomes absent first; then an entry that closes
//       is appended to the model's list and its group flag cleared.
//
// Elements a format does not name are ignored; missing ones leave the model's
// initial values. parse() returns false when the document is not well-formed
// (or exceeds the reader's limits); the hooks may then have seen part of it,
// so callers keep their own model unchanged on false (AppUtil::loadProfile
// does).
//
// A model that goes through AppUtil::loadProfile / saveProfile /
// appendProfile (ProfilePackage.h) names its reader-and-writer class:
//
//   class KeyboardProfileXML;
//   struct KeyboardProfile {
//       using Xml = KeyboardProfileXML;   // reader and writer of this model
//       ...
//   };
//   class KeyboardProfileXML : public XmlProfileReader {
//   public:
//       KeyboardProfile takeProfile();                 // the model read
//       static std::optional<QByteArray> construct(const KeyboardProfile&); // writer
//   protected:
//       void startElement(const QString&) override; ...
//   };
//
// Writing. construct() builds an XmlElement tree (each element has a name,
// optional text and children in order; no attributes anywhere) and turns it
// into bytes with XmlProfileWriter::document(): an XML declaration
// <?xml version="1.0" encoding="utf-8"?>, then the elements indented one
// level per depth, UTF-8, LF line ends (AppUtil::dataConvertCRLF turns them
// into CR LF when the member is stored).
//
//   XmlElement root(QStringLiteral("FileIndex"));
//   XmlElement& list = root.add(QStringLiteral("List"));
//   XmlElement& entry = list.add(QStringLiteral("FileIndexEntry"));
//   entry.add(QStringLiteral("Name"), name);
//   entry.add(QStringLiteral("Sign"), sign);
//   std::optional<QByteArray> bytes = XmlProfileWriter::document(root);

#include <QByteArray>
#include <QString>

#include <list>
#include <optional>

class XmlProfileReader {
public:
    XmlProfileReader() = default;
    virtual ~XmlProfileReader() = default;
    XmlProfileReader(const XmlProfileReader&) = delete;
    XmlProfileReader& operator=(const XmlProfileReader&) = delete;

    // Largest document parse() accepts.
    static constexpr qsizetype kMaxDocumentBytes = 4 * 1024 * 1024;

    // Runs the whole document through the hooks. True when the document is
    // well-formed XML with one root element and within the limits.
    bool parse(const QByteArray& data);

    // Why the last parse() returned false ("" after a good parse).
    QString errorString() const { return errorString_; }

protected:
    // The document starts: reset per-document state here (called first).
    virtual void startDocument() {}
    virtual void startElement(const QString& name) = 0;
    // The whole text between the previous tag and the next one (whitespace
    // between elements included; readers ignore it through tmpKey).
    virtual void characters(const QString& text) = 0;
    virtual void endElement(const QString& name) = 0;
    // The document ended well-formed.
    virtual void endDocument() {}

    // The element whose text is expected next (the pattern's tmpKey).
    std::optional<QString> tmpKey;

private:
    QString errorString_;
};

// One element of a document being written.
class XmlElement {
public:
    explicit XmlElement(QString name, QString text = {})
        : name(std::move(name)), text(std::move(text)) {}

    // Appends a child and returns it. References to children stay valid
    // while further children are added.
    XmlElement& add(const QString& childName, const QString& childText = {})
    {
        return children.emplace_back(childName, childText);
    }

    QString name;
    QString text;                  // element text; empty for none
    std::list<XmlElement> children;
};

namespace XmlProfileWriter {

// The document's bytes as described above, or absent when a name is not a
// valid XML name or a text holds characters XML cannot carry.
std::optional<QByteArray> document(const XmlElement& root);

// True when XML 1.0 can carry every character of `text`: tab, LF, CR,
// U+0020-U+D7FF, U+E000-U+FFFD and properly paired surrogates.
bool canCarry(const QString& text);

} // namespace XmlProfileWriter
