#include "Platform/WindowSystem.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

QString missingGraphicalSession()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("a graphical session is needed, and neither DISPLAY (X11) nor WAYLAND_DISPLAY "
                          "(Wayland) is set");
}

void configureWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
