#include "CustomControl/BackgroundView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A parent that records the mouse events that reach it.
class Recorder : public QWidget {
public:
    std::vector<QEvent::Type> seen;

protected:
    void mousePressEvent(QMouseEvent* e) override { seen.push_back(e->type()); }
    void mouseMoveEvent(QMouseEvent* e) override { seen.push_back(e->type()); }
    void mouseReleaseEvent(QMouseEvent* e) override { seen.push_back(e->type()); }
};

struct PressCounter : BackgroundViewDelegate {
    std::vector<QObject*> ids;
    void backgroundViewMouseDown(QObject* id) override { ids.push_back(id); }
};

struct Scene {
    std::unique_ptr<Recorder> window = std::make_unique<Recorder>();
    BackgroundView* view = new BackgroundView(window.get());
    PressCounter counter;
    Scene()
    {
        window->resize(200, 150);
        view->setGeometry(10, 10, 180, 130);
        view->setDelegate(&counter);
        window->move(300, 200);
        window->show();
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }
};

} // namespace

TEST(BackgroundView, AsAMaskItSwallowsAndReportsPressesAndNeverMovesTheWindow)
{
    Scene s;
    s.view->isMoveWindow = false;
    s.view->isMouseEvenThrough = false;
    s.drag(QPoint(20, 20), QPoint(80, 60));
    ASSERT_EQ(s.counter.ids.size(), 1u);
    EXPECT_EQ(s.counter.ids[0], s.view);
    EXPECT_EQ(s.window->pos(), QPoint(300, 200));
    EXPECT_TRUE(s.window->seen.empty());
    EXPECT_FALSE(s.view->mouseDownPoint());
    // Without a delegate a press is still swallowed.
    s.view->setDelegate(nullptr);
    QTest::mouseClick(s.view, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(s.window->seen.empty());
}

TEST(BackgroundView, ByDefaultADragMovesTheWindowAndTheEventsGoOn)
{
    Scene s;
    s.drag(QPoint(20, 20), QPoint(75, 5));
    EXPECT_EQ(s.window->pos(), QPoint(300 + 55, 200 - 15));
    EXPECT_TRUE(s.counter.ids.empty());
    EXPECT_EQ(s.window->seen, (std::vector<QEvent::Type>{QEvent::MouseButtonPress,
                                                         QEvent::MouseMove,
                                                         QEvent::MouseButtonRelease}));
    EXPECT_FALSE(s.view->mouseDownPoint());

    // A drag arriving after the release (no press recorded) moves nothing.
    const QPoint at = s.window->pos();
    QMouseEvent stray(QEvent::MouseMove, QPointF(90, 90), s.view->mapToGlobal(QPointF(90, 90)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view, &stray);
    EXPECT_EQ(s.window->pos(), at);

    // Moving is off: presses still pass on, the window stays.
    s.view->isMoveWindow = false;
    s.drag(QPoint(20, 20), QPoint(60, 60));
    EXPECT_EQ(s.window->pos(), at);
}

TEST(BackgroundView, HalfTransparentFillLetsTheParentShowThrough)
{
    QWidget window;
    window.resize(40, 40);
    window.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, Qt::white);
    window.setPalette(pal);
    auto* mask = new BackgroundView(&window);
    mask->setGeometry(0, 0, 20, 40);
    mask->setBackgroundColor(QColor(0, 0, 0, 128));
    const QImage image = window.grab().toImage();
    EXPECT_NEAR(image.pixelColor(10, 20).red(), 127, 3);
    EXPECT_EQ(image.pixelColor(30, 20), QColor(Qt::white));
}

namespace {
struct FieldWatcher : NKTextFieldDelegate {
    NKTextField* field = nullptr;
    std::vector<int> cursorAtReport;
    std::vector<bool> focusAtReport;
    void mouseDownTextField(QObject* id) override
    {
        EXPECT_EQ(id, field);
        cursorAtReport.push_back(field->cursorPosition());
        focusAtReport.push_back(field->hasFocus());
    }
};
} // namespace

TEST(NKTextField, ReportsAClickOnlyAfterTheFieldHandledIt)
{
    QWidget window;
    auto* field = new NKTextField(&window);
    field->setGeometry(0, 0, 200, 30);
    field->setText(QStringLiteral("12800"));
    field->setCursorPosition(0);
    FieldWatcher watcher;
    watcher.field = field;
    field->setDelegate2(&watcher);
    window.show();
    QApplication::setActiveWindow(&window);

    QTest::mousePress(field, Qt::LeftButton, {}, QPoint(190, 15));
    EXPECT_TRUE(watcher.cursorAtReport.empty());
    QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(190, 15));
    ASSERT_EQ(watcher.cursorAtReport.size(), 1u);
    // The field had placed its caret (at the end) and taken the focus.
    EXPECT_EQ(watcher.cursorAtReport[0], 5);
    EXPECT_TRUE(watcher.focusAtReport[0]);
}

namespace {
std::unique_ptr<QStandardItemModel> fruitModel()
{
    auto model = std::make_unique<QStandardItemModel>(5, 3);
    const char* names[] = {"apple", "banana", "cherry", "date", "elder"};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            model->setItem(r, c, new QStandardItem(QString::fromLatin1(names[r])));
    return model;
}
} // namespace

TEST(NKTableView, UpAndDownDoNothingWhileOtherKeysStillWork)
{
    auto model = fruitModel();
    NKTableView table;
    table.setModel(model.get());
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.resize(300, 200);
    table.show();
    table.setCurrentIndex(model->index(2, 1));

    QTest::keyClick(&table, Qt::Key_Up);
    QTest::keyClick(&table, Qt::Key_Down);
    QTest::keyClick(&table, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(table.currentIndex(), model->index(2, 1));

    QTest::keyClick(&table, Qt::Key_Left);
    EXPECT_EQ(table.currentIndex().column(), 0);
    QTest::keyClick(&table, Qt::Key_PageDown);
    EXPECT_EQ(table.currentIndex().row(), 4);
    QTest::keyClicks(&table, QStringLiteral("c"));
    EXPECT_EQ(table.currentIndex().row(), 2);
}

TEST(NKTableRowView, AnUnfocusedTablesSelectionIsLightGrey)
{
    auto model = fruitModel();
    QWidget window;
    window.resize(320, 260);
    auto* table = new NKTableView(&window);
    table->setGeometry(0, 0, 300, 200);
    table->setModel(model.get());
    table->setItemDelegate(new NKTableRowView(table));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette pal = table->palette();
    pal.setColor(QPalette::Highlight, QColor(0, 0, 255));
    table->setPalette(pal);
    auto* other = new QLineEdit(&window);
    other->setGeometry(0, 220, 100, 30);
    window.show();
    table->selectRow(1);
    const QRect cell = table->visualRect(model->index(1, 1));
    const QPoint sample = table->viewport()->mapTo(&window, cell.topLeft() + QPoint(cell.width() - 4, 3));
    ASSERT_TRUE(table->viewport()->rect().contains(cell.topLeft() + QPoint(cell.width() - 4, 3)));

    other->setFocus();
    QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(sample), QColor(220, 220, 220));

    table->setFocus();
    image = window.grab().toImage();
    EXPECT_NE(image.pixelColor(sample), QColor(220, 220, 220));

    // A table without selection shows no selection look at all.
    table->setSelectionMode(QAbstractItemView::NoSelection);
    other->setFocus();
    image = window.grab().toImage();
    EXPECT_NE(image.pixelColor(sample), QColor(220, 220, 220));
}
