#include "XML/XmlProfile.h"

#include <QBuffer>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

bool XmlProfileReader::parse(const QByteArray& data)
{
    errorString_.clear();
    tmpKey.reset();
    if (data.size() > kMaxDocumentBytes) {
        errorString_ = QStringLiteral("document larger than %1 bytes").arg(kMaxDocumentBytes);
        return false;
    }

    QXmlStreamReader xml(data);
    xml.setNamespaceProcessing(false);
    startDocument();

    // Text between two tags is handed over whole, just before the next tag.
    QString text;
    bool haveText = false;
    auto flushText = [&] {
        if (haveText) {
            characters(text);
            text.clear();
            haveText = false;
        }
    };

    bool sawRoot = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            flushText();
            sawRoot = true;
            startElement(xml.qualifiedName().toString());
            break;
        case QXmlStreamReader::EndElement:
            flushText();
            endElement(xml.qualifiedName().toString());
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            text += xml.text();
            haveText = true;
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        errorString_ = xml.errorString();
        return false;
    }
    if (!sawRoot) {
        errorString_ = QStringLiteral("no root element");
        return false;
    }
    endDocument();
    return true;
}

namespace XmlProfileWriter {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u':';
}

bool isValidName(const QString& name)
{
    if (name.isEmpty() || !isNameStart(name.front()))
        return false;
    for (QChar c : name) {
        if (!(isNameStart(c) || c.isDigit() || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

} // namespace

bool canCarry(const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0x9 || c == 0xA || c == 0xD)
            continue;
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= n || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return false;
            ++i;
            continue;
        }
        if (QChar::isLowSurrogate(c))
            return false;
    }
    return true;
}

namespace {

bool isWritable(const XmlElement& element)
{
    if (!isValidName(element.name) || !canCarry(element.text))
        return false;
    for (const XmlElement& child : element.children) {
        if (!isWritable(child))
            return false;
    }
    return true;
}

void writeElement(QXmlStreamWriter& writer, const XmlElement& element)
{
    writer.writeStartElement(element.name);
    // A CR would come back as LF (XML normalises line ends); write it as a
    // character reference so the text reads back as it was.
    const QStringList parts = element.text.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            writer.writeEntityReference(QStringLiteral("#13"));
        if (!parts[i].isEmpty())
            writer.writeCharacters(parts[i]);
    }
    for (const XmlElement& child : element.children)
        writeElement(writer, child);
    writer.writeEndElement();
}

} // namespace

std::optional<QByteArray> document(const XmlElement& root)
{
    if (!isWritable(root))
        return std::nullopt;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return std::nullopt;
    // The declaration is written by hand for its lower-case encoding name; the
    // writer starts the root element on the next line.
    buffer.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>");

    QXmlStreamWriter writer(&buffer);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);
    writeElement(writer, root);
    writer.writeEndDocument();
    if (writer.hasError())
        return std::nullopt;
    buffer.close();
    return bytes;
}

} // namespace XmlProfileWriter
