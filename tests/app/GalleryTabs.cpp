// Pictures of the function tabs and their bar, the background view with a
// mask, the text field and table, the round colour buttons and the link, and
// the menu headers, in each of their states.
#include "CustomControl/BackgroundView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKButtonView.h"
#include "CustomControl/NKMenuView.h"
#include "Platform/Strings.h"
#include "Screenshots.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStandardItemModel>

namespace {

qreal ratio() { return qApp->devicePixelRatio(); }

// Stand-in for "TriangleDown.png", which the owner supplies at run time.
QPixmap triangleDown()
{
    QPixmap p(QSize(12, 8) * ratio());
    p.setDevicePixelRatio(ratio());
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(12, 0);
    path.lineTo(6, 8);
    path.closeSubpath();
    painter.fillPath(path, QColor(230, 230, 230));
    return p;
}

// Stand-in tab icon: a ring in the given colour.
QPixmap ringIcon(const QColor& colour)
{
    QPixmap p(QSize(20, 20) * ratio());
    p.setDevicePixelRatio(ratio());
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2));
    painter.drawEllipse(QRectF(3, 3, 14, 14));
    return p;
}

void tabs(shots::ShotSink& sink)
{
    QWidget window;
    window.resize(4 * 160, 60);
    auto* bar = new MainTabBarView(&window);
    bar->setGeometry(window.rect());
    struct Spec {
        const char* key;
        bool enabled;
        TabStatus status;
        TabGradient gradient;
    };
    const Spec specs[] = {
        {"APC", true, TabStatus::active, TabGradient::left},
        {"KeyLock", true, TabStatus::notActive, TabGradient::none},
        {"OtherSetting", true, TabStatus::notSupport, TabGradient::none},
        {"ButtonTabCaption", false, TabStatus::notActive, TabGradient::right},
    };
    for (int i = 0; i < 4; ++i) {
        auto* tab = new MainTabView(&window);
        tab->setGeometry(i * 160, 0, 160, 40);
        tab->setTitle(platform::localizedString(QString::fromLatin1(specs[i].key)));
        tab->setActiveIcon(ringIcon(Qt::white));
        tab->setNotActiveIcon(ringIcon(QColor(110, 110, 110)));
        tab->setTriangleIcon(triangleDown());
        tab->setTabEnabled(specs[i].enabled);
        tab->setTabGradient(specs[i].gradient);
        tab->setTabStatus(specs[i].status);
    }
    sink.save(QStringLiteral("tabs-active-inactive-unsupported-disabled"), &window);
}

void backgrounds(shots::ShotSink& sink)
{
    BackgroundView window;
    window.resize(360, 240);
    auto* model = new QStandardItemModel(4, 2, &window);
    const char* names[] = {"Profile 1", "Profile 2", "Gaming", "Office"};
    for (int r = 0; r < 4; ++r) {
        model->setItem(r, 0, new QStandardItem(QString::fromLatin1(names[r])));
        model->setItem(r, 1, new QStandardItem(QStringLiteral("2026-12-0%1").arg(r + 1)));
    }
    auto* table = new NKTableView(&window);
    table->setGeometry(20, 20, 320, 130);
    table->setModel(model);
    table->setItemDelegate(new NKTableRowView(table));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->selectRow(1);
    auto* field = new NKTextField(&window);
    field->setGeometry(20, 170, 150, 28);
    field->setText(QStringLiteral("1600"));
    window.setAttribute(Qt::WA_DontShowOnScreen, true);
    window.show();
    field->setFocus();
    sink.save(QStringLiteral("background-table-unfocused-field"), &window);
    table->setFocus();
    sink.save(QStringLiteral("background-table-focused"), &window);
    auto* mask = new BackgroundView(&window);
    mask->setGeometry(window.rect());
    mask->setBackgroundColor(QColor(0, 0, 0, 140));
    mask->show();
    sink.save(QStringLiteral("background-with-mask"), &window);
}

void buttonsAndLink(shots::ShotSink& sink)
{
    BackgroundView window;
    window.resize(420, 150);
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                              QColor(255, 255, 255)};
    const char* captions[] = {"Red", "Green", "Blue", ""};
    for (int i = 0; i < 4; ++i) {
        auto* b = new NKButtonView(&window);
        b->setGeometry(20 + i * 95, 10, 80, 56);
        b->setButtonColor(colours[i]);
        b->setStringValue(QString::fromLatin1(captions[i]));
        b->setButtonValue(i == 1);
    }
    auto* link = new NKLinkView(&window);
    link->setGeometry(20, 85, 380, 50);
    link->setStringValue(platform::localizedString(QStringLiteral("JumpToKolventraSupportPage")));
    sink.save(QStringLiteral("colour-buttons-green-selected-and-link"), &window);
}

void menuHeaders(shots::ShotSink& sink)
{
    BackgroundView window;
    window.resize(200, 4 * 40 + 10);
    const QString titles[] = {platform::localizedString(QStringLiteral("MCode0x01")),
                              QStringLiteral("Ctrl + Shift + Alt + F12"),
                              QStringLiteral("A very long function name that does not fit"),
                              QString()};
    for (int i = 0; i < 4; ++i) {
        auto* header = new NKMenuView(&window);
        header->setGeometry(10, 10 + i * 40, 180, 30);
        header->setTitle(titles[i]);
        header->setFullTitle(titles[i]);
        header->setTriangleIcon(triangleDown());
    }
    sink.save(QStringLiteral("menu-headers-fit-shrunk-too-long-empty"), &window);
}

const shots::ShotRegistrar reg("controls-tabs", [](shots::ShotSink& sink) {
    tabs(sink);
    backgrounds(sink);
    buttonsAndLink(sink);
    menuHeaders(sink);
});

} // namespace
