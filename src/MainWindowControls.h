#pragma once
// Controls of the main window that stand in for the drawn tab and device
// strip controls: a function tab and the strip of device tiles.

#include "AppEnums.h"

#include <QImage>
#include <QWidget>
#include <vector>

class FunctionTabButton : public QWidget {
    Q_OBJECT
public:
    enum class Status { active, notActive };
    enum class Gradient { none, left, right };

    FunctionTabButton(FunctionTab function, const QString& titleKey, bool hasTriangle,
                      QWidget* parent = nullptr);

    FunctionTab function;
    bool hasTriangle;
    void setTabEnabled(bool enabled);
    bool tabEnabled() const { return enabled_; }
    void setTabStatus(Status status);
    Status tabStatus() const { return status_; }
    void setTabGradient(Gradient gradient);
    Gradient tabGradient() const { return gradient_; }
    QString title() const { return title_; }
    // Where a press opens the tab's menu (the triangle at the right end).
    QRect triangleRect() const;

signals:
    void clickTab(QObject* id);
    void clickTabMenuIcon(QObject* id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString title_;
    bool enabled_ = true;
    Status status_ = Status::notActive;
    Gradient gradient_ = Gradient::none;
};

// The device strip: one tile per usable device, the connected one marked.
class DeviceStripView : public QWidget {
    Q_OBJECT
public:
    explicit DeviceStripView(QWidget* parent = nullptr);

    void removeAllItem();
    void addItem(const QString& label, const QImage& thumbnail, bool selected);
    void select(int index);
    int count() const { return int(tiles_.size()); }
    int selectedIndex() const { return selected_; }
    QWidget* tile(int index) const { return tiles_.at(size_t(index)); }

signals:
    void selectionChanged(QObject* id, int newIndex);

private:
    void relayout();
    std::vector<QWidget*> tiles_;
    int selected_ = -1;
};
