#include "Platform/WindowSystem.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void configureWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
