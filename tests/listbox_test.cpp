#include "framework/exceptions.h"
#include "framework/listbox.h"
#include "tests/support/wait.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include <malloc.h>

namespace {

// A list of two columns, shown on the offscreen screen, whose ExpandRow event adds the children
// that the test names for each folder text.
class ListboxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.widget()->resize(400, 300);
        list.widget()->show();
        list.ExpandRow = [this](int row) {
            expanded.push_back(row);
            const QString text = list.Cell(row, 0).toQString();
            for (int child = 1; child <= childrenOf(text); ++child)
                list.AddRow(fw::String(text + QString::number(child)));
        };
        list.Change = [this] { ++changes; };
    }

    int childrenOf(const QString &text) const { return text.startsWith(QLatin1String("folder")) ? 2 : 0; }

    std::vector<QString> texts() const
    {
        std::vector<QString> result;
        result.reserve(static_cast<size_t>(list.ListCount()));
        for (int row = 0; row < list.ListCount(); ++row)
            result.push_back(list.Cell(row, 0).toQString());
        return result;
    }

    void click(QPoint point)
    {
        QWidget *viewport = list.view()->viewport();
        const QPointF global = viewport->mapToGlobal(QPointF(point));
        QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
    }

    QRect cellRect(int row, int column) const
    {
        return list.view()->visualRect(list.view()->model()->index(row, column));
    }

    fw::Listbox list{2};
    std::vector<int> expanded;
    int changes = 0;
};

using Rows = std::vector<QString>;

TEST_F(ListboxTest, expanding_addsChildrenUnderTheRowInOrder_beforeReturning)
{
    list.AddFolder("folderA");
    list.AddFolder("folderB");
    list.AddRow("plain");

    list.setExpanded(1, true);
    EXPECT_EQ(expanded, std::vector<int>{1});
    EXPECT_EQ(texts(), (Rows{"folderA", "folderB", "folderB1", "folderB2", "plain"}));
    EXPECT_EQ(list.LastIndex(), 3);
    EXPECT_TRUE(list.Expanded(1));

    list.setExpanded(0, true);
    EXPECT_EQ(texts(), (Rows{"folderA", "folderA1", "folderA2", "folderB", "folderB1", "folderB2", "plain"}));

    // Outside an expansion a row goes at the end again.
    list.AddRow("last");
    EXPECT_EQ(list.LastIndex(), 7);
    EXPECT_EQ(list.Cell(7, 0).toQString(), "last");
}

TEST_F(ListboxTest, expandingTwice_orAPlainRow_raisesNothing)
{
    list.AddFolder("folderA");
    list.AddRow("plain");
    list.setExpanded(0, true);
    list.setExpanded(0, true);
    list.setExpanded(3, true);
    EXPECT_EQ(expanded, std::vector<int>{0});
    EXPECT_EQ(list.ListCount(), 4);
}

TEST_F(ListboxTest, collapsing_removesTheChildren_andExpandingAgainAsksAgain)
{
    list.AddFolder("folderA");
    list.AddFolder("folderB");
    list.setExpanded(0, true);
    list.setCellCheck(1, 1, true);

    list.setExpanded(0, false);
    EXPECT_EQ(texts(), (Rows{"folderA", "folderB"}));
    EXPECT_FALSE(list.Expanded(0));

    list.setExpanded(0, true);
    EXPECT_EQ(expanded, (std::vector<int>{0, 0}));
    EXPECT_EQ(texts(), (Rows{"folderA", "folderA1", "folderA2", "folderB"}));
    EXPECT_FALSE(list.CellCheck(1, 1));
}

TEST_F(ListboxTest, rowsAddedAboveAnExpansionInProgress_keepItsChildrenUnderIt)
{
    list.AddFolder("folderA");
    list.AddFolder("other");
    // While "other" fills, the user expands "folderA" above it (a thread's expansion waits at a
    // yield): the rest of "other"'s children still belong under "other".
    list.ExpandRow = [this](int row) {
        if (list.Cell(row, 0).toQString() == "other") {
            list.AddRow("other1");
            list.setExpanded(0, true);
            list.AddRow("other2");
            EXPECT_EQ(list.LastIndex(), 5);
        } else {
            list.AddRow("folderA1");
            list.AddRow("folderA2");
        }
    };
    list.setExpanded(1, true);
    EXPECT_EQ(texts(), (Rows{"folderA", "folderA1", "folderA2", "other", "other1", "other2"}));
}

TEST_F(ListboxTest, aRowStillFilling_isNotCollapsed)
{
    list.AddFolder("folderA");
    list.ExpandRow = [this](int row) {
        list.AddRow("child1");
        list.setExpanded(row, false);
        list.AddRow("child2");
    };
    list.setExpanded(0, true);
    EXPECT_EQ(texts(), (Rows{"folderA", "child1", "child2"}));
    EXPECT_TRUE(list.Expanded(0));
}

TEST_F(ListboxTest, rowsAddedInBatches_reachTheViewInListOrder_withTheirTextsAndTicks)
{
    std::vector<int> actions;
    list.CellAction = [&](int row, int) { actions.push_back(row); };
    std::vector<int> painted;
    list.CellBackgroundPaint = [&](fw::Graphics &, int row, int column) {
        if (column == 0)
            painted.push_back(row);
        return false;
    };
    for (const char *text : {"folderA", "plain", "folderB"}) {
        QString(text).startsWith("folder") ? list.AddFolder(text) : list.AddRow(text);
        list.setCellType(list.LastIndex(), 0, fw::Listbox::TypeCheckBox);
        list.setCellCheck(list.LastIndex(), 0, true);
    }
    list.showAddedRows();
    QAbstractItemModel *model = list.view()->model();
    ASSERT_EQ(model->rowCount(), 3);

    // As a collection ends: the folders expand from the last to the first, their rows are filled,
    // and a row goes at the end, all between two turns of the event loop.
    list.setExpanded(2, true);
    list.setExpanded(0, true);
    for (int row : {1, 2, 5, 6}) {
        list.setCellType(row, 0, fw::Listbox::TypeCheckBox);
        list.setCellCheck(row, 0, row % 2 == 0);
        list.setCell(row, 1, fw::String(QString::number(row)));
    }
    list.AddRow("last");
    EXPECT_EQ(texts(),
              (Rows{"folderA", "folderA1", "folderA2", "plain", "folderB", "folderB1", "folderB2", "last"}));
    EXPECT_EQ(list.Cell(5, 1).toQString(), "5");
    EXPECT_TRUE(list.CellCheck(6, 0));

    // The view still shows the rows it showed, each with its own cells, and hands the list's rows on.
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(2, 0).data().toString(), "folderB");
    list.view()->viewport()->grab();
    EXPECT_EQ(std::set<int>(painted.begin(), painted.end()), (std::set<int>{0, 3, 4}));
    ASSERT_TRUE(model->setData(model->index(2, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(actions, std::vector<int>{4});
    EXPECT_FALSE(list.CellCheck(4, 0));

    list.showAddedRows();
    ASSERT_EQ(model->rowCount(), list.ListCount());
    for (int row = 0; row < list.ListCount(); ++row) {
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(model->index(row, column).data().toString(), list.Cell(row, column).toQString());
        EXPECT_EQ(model->index(row, 0).data(Qt::CheckStateRole),
                  row == 7 ? QVariant() : QVariant(list.CellCheck(row, 0) ? Qt::Checked : Qt::Unchecked));
    }

    // Without being asked, the next batch comes with the event loop.
    list.AddRow("later");
    EXPECT_TRUE(testsupport::waitUntil([&] { return model->rowCount() >= list.ListCount(); }));
    EXPECT_EQ(model->index(8, 0).data().toString(), "later");
}

TEST_F(ListboxTest, rowsGivenOnePicture_shareIt_andOneDrawnIntoSinceShowsAnew)
{
    const auto filled = [](const fw::PicturePtr &picture, QColor color) {
        picture->Graphics().setForeColor(color);
        picture->Graphics().FillRect(0, 0, 16, 16);
        return picture;
    };
    const fw::PicturePtr icon = filled(fw::NewPicture(16, 16, 32), Qt::red);
    for (int row = 0; row < 2; ++row) {
        list.AddRow("item");
        list.setRowPicture(list.LastIndex(), icon);
    }
    filled(icon, Qt::blue);
    list.AddRow("drawn into");
    list.setRowPicture(list.LastIndex(), icon);
    icon->Mask(true)->Graphics().setForeColor(Qt::white);
    icon->Mask()->Graphics().FillRect(0, 0, 16, 16);
    list.AddRow("masked");
    list.setRowPicture(list.LastIndex(), icon);
    list.showAddedRows();

    const auto shown = [&](int row) {
        return list.view()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    };
    const auto pixel = [&](int row) { return shown(row).pixmap(16, 16).toImage().pixel(8, 8); };
    EXPECT_EQ(shown(0).cacheKey(), shown(1).cacheKey());
    EXPECT_EQ(pixel(1), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(2), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(pixel(3)), 0);
}

TEST_F(ListboxTest, selection_startsAtNone_andFollowsItsRow)
{
    EXPECT_EQ(list.ListIndex(), -1);
    list.AddFolder("folderA");
    list.AddRow("plain");
    list.setListIndex(1);
    EXPECT_EQ(changes, 1);
    list.setListIndex(1);
    EXPECT_EQ(changes, 1);

    // Children added above the selected row move it down; it stays selected without a Change.
    list.setExpanded(0, true);
    EXPECT_EQ(list.ListIndex(), 3);
    list.setExpanded(0, false);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_THROW(list.setListIndex(2), fw::OutOfBoundsException);
}

TEST_F(ListboxTest, removingTheSelectedRow_clearsTheSelectionAndRaisesChange)
{
    list.AddFolder("folderA");
    list.setExpanded(0, true);
    list.setListIndex(2);
    ASSERT_EQ(changes, 1);

    list.setExpanded(0, false);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(list.view()->selectionModel()->selectedRows().isEmpty());

    list.setListIndex(0);
    list.DeleteAllRows();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(changes, 4);
    list.DeleteAllRows();
    EXPECT_EQ(changes, 4);
}

TEST_F(ListboxTest, clickingARow_selectsIt_andClickingTheTriangle_expandsIt)
{
    list.AddFolder("folderA");
    list.AddRow("plain");
    QApplication::processEvents();

    click(cellRect(1, 1).center());
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(changes, 1);

    const QRect folder = cellRect(0, 0);
    click(QPoint(folder.left() + 8, folder.center().y()));
    EXPECT_EQ(expanded, std::vector<int>{0});
    EXPECT_EQ(texts(), (Rows{"folderA", "folderA1", "folderA2", "plain"}));
    click(QPoint(folder.left() + 8, folder.center().y()));
    EXPECT_EQ(texts(), (Rows{"folderA", "plain"}));
}

TEST_F(ListboxTest, theArrowKeys_expandAndCollapseTheSelectedFolder)
{
    list.AddFolder("folderA");
    list.setListIndex(0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(list.view(), &right);
    EXPECT_EQ(texts(), (Rows{"folderA", "folderA1", "folderA2"}));
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(list.view(), &left);
    EXPECT_EQ(texts(), (Rows{"folderA"}));
    EXPECT_EQ(list.ListIndex(), 0);
}

TEST_F(ListboxTest, cellAction_isRaisedForTheUsersTicksOnly)
{
    std::vector<std::pair<int, int>> actions;
    list.CellAction = [&](int row, int column) { actions.emplace_back(row, column); };
    list.AddRow("one");
    list.AddRow("two");
    list.setCellType(1, 0, fw::Listbox::TypeCheckBox);
    list.setCellCheck(1, 0, true);
    EXPECT_TRUE(actions.empty());
    QApplication::processEvents();

    // The box sits after the space kept for the triangle.
    const QRect cell = cellRect(1, 0);
    click(QPoint(cell.left() + 16 + 9, cell.center().y()));
    ASSERT_EQ(actions.size(), 1U);
    EXPECT_EQ(actions[0], std::make_pair(1, 0));
    EXPECT_FALSE(list.CellCheck(1, 0));
    EXPECT_EQ(list.CellType(1, 0), fw::Listbox::TypeCheckBox);

    // A cell without a box has no tick to change.
    const QRect plain = cellRect(0, 0);
    click(QPoint(plain.left() + 16 + 9, plain.center().y()));
    EXPECT_EQ(actions.size(), 1U);
    EXPECT_FALSE(list.CellCheck(0, 0));
}

TEST_F(ListboxTest, cellBackgroundPaint_drawsWithinItsCellOnly)
{
    list.CellBackgroundPaint = [this](fw::Graphics &g, int row, int) {
        if (row == 0) {
            g.setForeColor(QColor(255, 0, 0));
            g.FillRect(0, 0, list.Width(), list.Height());
        }
        return false;
    };
    list.AddRow("zero");
    list.AddRow("one");
    QApplication::processEvents();
    const QImage shot = list.view()->viewport()->grab().toImage();
    const QRect first = cellRect(0, 1);
    const QRect second = cellRect(1, 1);
    // The style may lay a faint focus colour over the current row.
    const auto red = [&shot](QPoint point) {
        const QColor color = shot.pixelColor(point);
        return color.red() > 200 && color.green() < 60 && color.blue() < 60;
    };
    EXPECT_TRUE(red(first.center()));
    EXPECT_FALSE(red(second.center()));
    EXPECT_FALSE(red(QPoint(first.center().x(), second.bottom() + 3)));
}

TEST(Listbox, columnWidths_hideZeroColumns_andShareTheRest)
{
    fw::Listbox list(6);
    list.widget()->resize(600, 300);
    list.widget()->show();
    list.setColumnWidths("*,*,*,0,0,0");
    QApplication::processEvents();
    QHeaderView *header = list.view()->header();
    const int room = list.view()->viewport()->width();
    const int third = room / 3;
    int total = 0;
    for (int column = 0; column < 3; ++column) {
        EXPECT_FALSE(header->isSectionHidden(column));
        EXPECT_NEAR(header->sectionSize(column), third, 1);
        total += header->sectionSize(column);
    }
    EXPECT_EQ(total, room);
    for (int column = 3; column < 6; ++column)
        EXPECT_TRUE(header->isSectionHidden(column));

    list.setColumnWidths("100,*");
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(0), 100);
    EXPECT_FALSE(header->isSectionHidden(5));
}

TEST(Listbox, placesOutsideTheList_raiseOutOfBounds)
{
    fw::Listbox list(6);
    list.AddRow("only");
    EXPECT_THROW(list.Cell(1, 0), fw::OutOfBoundsException);
    EXPECT_THROW(list.Cell(0, 6), fw::OutOfBoundsException);
    EXPECT_THROW(list.setCellCheck(-1, 0, true), fw::OutOfBoundsException);
    EXPECT_THROW(list.setExpanded(3, true), fw::OutOfBoundsException);
    EXPECT_THROW(list.Heading(6), fw::OutOfBoundsException);
}

TEST(Listbox, clearingALargeList_emptiesItAtOnce_andGivesItsMemoryBackBetweenTurnsOfTheEventLoop)
{
    const auto inUse = [] { return static_cast<long long>(mallinfo2().uordblks); };
    constexpr int rows = 200000;
    fw::Listbox list(6);
    list.widget()->resize(400, 300);
    list.widget()->show();
    int changes = 0;
    list.Change = [&] { ++changes; };
    for (int row = 0; row < rows; ++row) {
        list.AddRow("a row of the list");
        list.setCell(row, 5, "/a/path/of/some/length/to/an/item");
    }
    list.setListIndex(rows - 1);
    QApplication::processEvents();
    const long long full = inUse();

    list.DeleteAllRows();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.view()->model()->rowCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(changes, 2);
    list.AddRow("again");
    EXPECT_EQ(list.LastIndex(), 0);
    EXPECT_EQ(list.Cell(0, 0).toQString(), "again");

    // Another timer of the event loop sees the memory come back in several steps.
    const long long emptied = full - rows * 100LL;
    std::vector<long long> seen{inUse()};
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { seen.push_back(inUse()); });
    ticker.start(0);
    while (seen.size() < 1000 && seen.back() > emptied)
        QApplication::processEvents();
    EXPECT_EQ(list.Cell(0, 0).toQString(), "again");
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own counts";
#endif
    EXPECT_LE(seen.back(), emptied);
    int steps = 0;
    for (size_t tick = 1; tick < seen.size(); ++tick)
        steps += seen[tick] < seen[tick - 1] - rows * 4LL;
    EXPECT_GE(steps, 3);
}

// Draws as the list's own delegate does, counting the rows the view measures.
class MeasureCounter : public QAbstractItemDelegate
{
public:
    explicit MeasureCounter(QAbstractItemDelegate *drawing) : drawing(drawing) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        drawing->paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        ++measured;
        return drawing->sizeHint(option, index);
    }
    QAbstractItemDelegate *drawing;
    mutable int measured = 0;
};

TEST(Listbox, aHundredThousandRows_addedAndScrolledToTheEnd_costTheViewNoMoreThanFiftyThousand)
{
    // The times the view hears of added rows, and the rows it measures, for rows added and scrolled to.
    const auto work = [](int rows) {
        fw::Listbox list(6);
        list.widget()->resize(600, 400);
        list.widget()->show();
        QTreeView *view = list.view();
        MeasureCounter counter(view->itemDelegate());
        view->setItemDelegate(&counter);
        int notices = 0;
        QObject::connect(view->model(), &QAbstractItemModel::rowsInserted, [&] { ++notices; });
        for (int row = 0; row < rows; ++row)
            list.AddRow("row");
        list.showAddedRows();
        view->scrollToBottom();
        QApplication::processEvents();
        list.setCell(rows - 1, 1, "end");
        const QModelIndex last = view->model()->index(rows - 1, 1);
        EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last)));
        EXPECT_EQ(last.data().toString(), "end");
        view->setItemDelegate(counter.drawing);
        return std::pair(notices, counter.measured);
    };
    const auto [halfNotices, halfMeasured] = work(50000);
    const auto [notices, measured] = work(100000);
    EXPECT_EQ(notices, halfNotices);
    EXPECT_LE(measured, halfMeasured + 100);
}

} // namespace
