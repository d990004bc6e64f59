#include "Platform/WindowSystem.h"

#include "Platform/Clock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QtGlobal>

#include <wayland-client-core.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

// The longest a display is given to let this process in and answer: a
// server on this machine may first have to start (an X server started on
// demand), and one on another host may be reached over a slow link (X
// forwarded through ssh), where setting up the connection alone takes a few
// round trips. A display that nothing listens at is told by the library as
// soon as the connection fails, a host that is not found as soon as the name
// lookup fails (a lookup that never ends takes the whole limit).
constexpr Seconds kDisplayLimit{5.0};

// The longest part of an X server's refusal that the start's line quotes.
constexpr size_t kReasonLength = 300;

// What a client library made of a display when it tried to connect.
struct Attempt {
    bool connected = false;
    bool silent = false;  // it still waited for the display when its time ran out
    QByteArray said;      // what it wrote on standard error meanwhile
};

// Lets `connect` try `display` in a child process, so that a display that
// never answers costs at most kDisplayLimit and what the library writes on
// standard error is kept here rather than shown. A child that cannot be
// started leaves the display to the plugin.
Attempt attemptInChild(bool (*connect)(const char*), const QByteArray& display)
{
    const Attempt leftToPlugin{true, false, {}};
    int said[2];
    if (::pipe2(said, O_CLOEXEC) != 0)
        return leftToPlugin;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // The check ends with the start, however the start ends: a child
        // left behind would hold its connection for as long as the display
        // keeps it open.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            ::_exit(1);
        ::dup2(said[1], STDERR_FILENO);
        ::_exit(connect(display.constData()) ? 0 : 1);
    }
    ::close(said[1]);
    if (child < 0) {
        ::close(said[0]);
        return leftToPlugin;
    }
    Attempt attempt;
    const auto deadline = now() + scaled(kDisplayLimit);
    bool ended = false;
    for (char text[512];;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now()).count();
        pollfd reading{said[0], POLLIN, 0};
        const int ready = left > 0 ? ::poll(&reading, 1, int(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        const ssize_t got = ready > 0 ? ::read(said[0], text, sizeof text) : -1;
        if (got > 0) {
            attempt.said.append(text, got);
            continue;
        }
        ended = got == 0;
        break;
    }
    ::close(said[0]);
    attempt.silent = !ended;
    if (!ended)
        ::kill(child, SIGKILL);
    // A child whose exit status is not given (child exits ignored, so the
    // system reaped it) did not connect as far as this start can tell.
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    attempt.connected = ended && reaped == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return attempt;
}

// Connects as Qt's xcb plugin does, screen number included.
bool connectX(const char* display)
{
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display, &screen);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

// Connecting only opens the socket; the plugin then waits for the
// compositor's first answer, so one round trip is made here as well.
bool connectWayland(const char* display)
{
    wl_display* connection = wl_display_connect(display);
    if (!connection)
        return false;
    const bool answered = wl_display_roundtrip(connection) >= 0;
    wl_display_disconnect(connection);
    return answered;
}

// Why a display the library could not use cannot be used, for the line.
QString whyNotConnected(const Attempt& attempt)
{
    return attempt.silent ? QStringLiteral("does not answer") : QStringLiteral("cannot be reached");
}

// A server's own words, for a terminal: its reason may hold anything, of any
// length, so only printable characters are kept, runs of white space become
// one space, and what is longer than kReasonLength characters is cut.
QString printableReason(const QByteArray& said)
{
    std::u32string kept;
    for (const uint c : QString::fromLocal8Bit(said).toUcs4()) {
        if (QChar::isSpace(char32_t(c)))
            kept += U' ';
        else if (QChar::isPrint(char32_t(c)))
            kept += char32_t(c);
    }
    std::u32string reason = QString::fromStdU32String(kept).simplified().toStdU32String();
    if (reason.size() > kReasonLength) {
        reason.resize(kReasonLength);
        reason += U'\u2026';
    }
    return QString::fromStdU32String(reason);
}

// Why the X display at DISPLAY cannot be used; empty when it can. The
// library writes on standard error only the reason of an X server that
// answered and refused this user, which is quoted when anything printable is
// left of it.
QString whyXUnusable(const QByteArray& display)
{
    const Attempt attempt = attemptInChild(connectX, display);
    if (attempt.connected)
        return {};
    if (attempt.said.isEmpty())
        return whyNotConnected(attempt);
    const QString reason = printableReason(attempt.said);
    if (reason.isEmpty())
        return QStringLiteral("refuses this user");
    return QStringLiteral("refuses this user (%1)").arg(reason);
}

// Whether Qt's own `-platform NAME` (or `--platform NAME`) is given.
bool platformOptionGiven(int argc, const char* const* argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const char* option = argv[i];
        if (option[0] == '-' && option[1] == '-')
            ++option;
        if (std::strcmp(option, "-platform") == 0)
            return true;
    }
    return false;
}

// The choice goes to the plugin through QT_QPA_PLATFORM. Once the plugin is
// loaded (the application object has run its start routines by then), the
// variable is taken away again, so that programs the application starts, a
// browser for a link, choose their window system for themselves.
void forgetChosenPlatform()
{
    if (!QGuiApplication::platformName().isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace

WindowSystemChoice reachableWindowSystem(int argc, const char* const* argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || platformOptionGiven(argc, argv))
        return {};
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QStringList unusable;
    if (!x.isEmpty()) {
        const QString why = whyXUnusable(x);
        if (why.isEmpty())
            return {"xcb", {}};
        unusable << QStringLiteral("the X display \"%1\" named by DISPLAY %2").arg(QString::fromLocal8Bit(x), why);
    }
    if (!wayland.isEmpty()) {
        const Attempt attempt = attemptInChild(connectWayland, wayland);
        if (attempt.connected)
            return {"wayland", {}};
        unusable << QStringLiteral("the Wayland display \"%1\" named by WAYLAND_DISPLAY %2")
                        .arg(QString::fromLocal8Bit(wayland), whyNotConnected(attempt));
    }
    if (!unusable.isEmpty())
        return {{}, unusable.join(QStringLiteral(", and "))};
    return {{}, QStringLiteral("a graphical session is needed, and neither DISPLAY (X11) nor WAYLAND_DISPLAY "
                               "(Wayland) is set")};
}

QString chooseWindowSystem(int argc, const char* const* argv)
{
    const WindowSystemChoice choice = reachableWindowSystem(argc, argv);
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
        qAddPreRoutine(forgetChosenPlatform);
    }
    return choice.problem;
}

void configureWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
