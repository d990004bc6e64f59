#pragma once
// A virtual X server (Xvfb) of a test's own, on a display number it finds
// free, which lets in only the clients that present its cookie: those whose
// XAUTHORITY names authority(). Any other client is refused, as an X server
// of another account refuses this user.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // The display (":N"); empty when the server did not start.
    QByteArray display() const { return display_; }
    // The file that holds its cookie.
    QString authority() const { return dir_.filePath(QStringLiteral("authority")); }
    // Whether a client shows a window on it: a top-level window is mapped.
    bool showsAWindow() const;

private:
    QTemporaryDir dir_;
    QProcess server_;
    QByteArray display_;
};
