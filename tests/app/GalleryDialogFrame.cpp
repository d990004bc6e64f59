// Pictures of the modal dialog frame: the message box with one and with two
// buttons.
#include "Screenshots.h"

#include <QWidget>

#include "Dialog/DialogMessageBox.h"

namespace {

void render(shots::ShotSink& sink)
{
    {
        DialogMessageBox box(QStringLiteral("The profile could not be read."), QStringLiteral("OK"),
                             QString());
        sink.save(QStringLiteral("message-box-one-button"), &box);
    }
    {
        DialogMessageBox box(QStringLiteral("Save the changes to the keyboard before you go on?"),
                             QStringLiteral("Yes"), QStringLiteral("No"));
        sink.save(QStringLiteral("message-box-two-buttons"), &box);
    }
}

const shots::ShotRegistrar registrar("dialog-frame", render);

} // namespace
