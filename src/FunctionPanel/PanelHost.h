#pragma once
// A panel without settings of its own: shows the device picture in the body
// and rebuilds nothing. Every tab gets one until its setting panel exists.

#include "FunctionPanel/FunctionPanel.h"

#include <QWidget>

class PanelHostView : public QWidget {
public:
    explicit PanelHostView(QWidget* parent = nullptr);
    void setBodyImage(const QImage& image);
    void setButtonImage(const QImage& image);
    const QImage& bodyImage() const { return body_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage body_;
    QImage button_;
};

class PanelHost : public FunctionPanel {
public:
    explicit PanelHost(FunctionTab tab);
    ~PanelHost() override;

    void initSetting() override;
    QWidget* keyboardView() override;
    void setBodyImage(const QImage& image) override { view_->setBodyImage(image); }
    void setButtonImage(const QImage& image) override { view_->setButtonImage(image); }

    FunctionTab tab() const { return tab_; }
    int initCount() const { return initCount_; }

private:
    FunctionTab tab_;
    PanelHostView* view_;
    int initCount_ = 0;
};
