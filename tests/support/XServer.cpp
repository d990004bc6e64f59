#include "XServer.h"

#include <QFile>

namespace {

// One entry of an authority file (the X authority format: a family, then
// address, display number, protocol name and data, each a length in two
// bytes, high byte first, and its bytes): any host, any display.
QByteArray cookieEntry(const QByteArray& cookie)
{
    QByteArray entry("\xff\xff", 2);  // FamilyWild
    for (const QByteArray& field : {QByteArray(), QByteArray(), QByteArray("MIT-MAGIC-COOKIE-1"), cookie}) {
        entry += char(field.size() >> 8);
        entry += char(field.size());
        entry += field;
    }
    return entry;
}

} // namespace

XServer::XServer()
{
    QFile file(authority());
    if (!file.open(QIODevice::WriteOnly) || file.write(cookieEntry("0123456789abcdef")) <= 0)
        return;
    file.close();
    // The server writes its display number on standard output once it takes
    // connections.
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-auth"),
                                           authority(), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    while (!server_.canReadLine() && server_.waitForReadyRead(30000)) {
    }
    const QByteArray number = server_.readLine().trimmed();
    if (!number.isEmpty())
        display_ = ':' + number;
}

XServer::~XServer()
{
    server_.terminate();
    server_.waitForFinished(10000);
}
