#pragma once
// Helpers of the description, settings and defaults tests: pictures, XML
// members and packages built with the project's own package writer in a
// temporary folder.

#include "Utility/ProfilePackage.h"
#include "Utility/ZipUtil.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <utility>

namespace xmltest {

// A small PNG picture of one colour.
inline QByteArray png(int width = 4, int height = 3, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A GIF of one black frame of `frame` at the top left of a logical screen of
// `screen`. Qt's reader states the frame's size where the screen is over ten
// times the frame's and at most 16384 wide, and decodes the screen's size.
inline QByteArray gif(QSize screen, QSize frame)
{
    QByteArray bytes("GIF89a");
    const auto word = [&bytes](int v) {
        bytes.append(char(v & 0xff));
        bytes.append(char((v >> 8) & 0xff));
    };
    word(screen.width());
    word(screen.height());
    bytes.append("\x80\x00\x00" "\x00\x00\x00\xff\xff\xff", 9); // two colours
    bytes.append(',');
    word(0);
    word(0);
    word(frame.width());
    word(frame.height());
    // No local colours; pixel data of codes clear, 0, end (3 bits each).
    bytes.append("\x00\x02\x02\x44\x01\x00;", 7);
    return bytes;
}

// A document with the given inner XML under a root element.
inline QByteArray doc(const QString& inner, const QString& root = QStringLiteral("Profile"))
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<") + root
            + QStringLiteral(">\n") + inner + QStringLiteral("\n</") + root
            + QStringLiteral(">\n"))
        .toUtf8();
}

// Writes a description package at `path`: "Profile.xml" (listed with its CRC
// in "index.xml") followed by the given members.
inline AppError makeDescriptionPackage(const QString& path, const QByteArray& profileXml,
                                       const ZipUtil::FileList& pictures = {})
{
    ZipUtil::FileList members;
    members.emplace_back(QStringLiteral("Profile.xml"),
                         AppUtil::dataConvertCRLF(profileXml).value_or(QByteArray()));
    for (const auto& m : pictures)
        members.push_back(m);
    return ZipUtil::append(path, members);
}

// Runs a reader over a document; the reader's model afterwards.
template <class Reader>
auto parseWith(const QByteArray& xml, bool* wellFormed = nullptr)
{
    Reader reader;
    const bool ok = reader.parse(xml);
    if (wellFormed)
        *wellFormed = ok;
    return reader.takeProfile();
}

} // namespace xmltest
