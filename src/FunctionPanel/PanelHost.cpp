#include "FunctionPanel/PanelHost.h"

PanelHost::PanelHost(FunctionTab tab, QWidget& window)
    : tab_(tab), view_(makeWindowView<KeyboardView>(window))
{
    view_->setObjectName(QStringLiteral("panelHost%1").arg(int(tab)));
}

void retireWindowView(QWidget* view)
{
    if (!view)
        return;
    view->hide();
    view->deleteLater();
}
