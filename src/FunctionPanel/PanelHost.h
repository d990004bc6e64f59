#pragma once
// A panel without settings of its own: shows the device picture and
// rebuilds nothing. Every tab gets one until its setting panel exists.

#include "FunctionPanel/FunctionPanel.h"

#include <QPointer>

class PanelHost : public FunctionPanel {
public:
    PanelHost(FunctionTab tab, QWidget& window);

    KeyboardView* keyboardView() override { return view_.data(); }

    FunctionTab tab() const { return tab_; }
    int initCount() const { return initCount_; }

private:
    void setUpPanel() override { ++initCount_; }

    FunctionTab tab_;
    QPointer<KeyboardView> view_;
    int initCount_ = 0;
};
