#include "framework/listbox.h"

#include "framework/exceptions.h"
#include "framework/memory.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace fw {

namespace {

// The width of one level of the hierarchy; column 0 keeps one level for the disclosure triangle.
constexpr int Indent = 16;
// Added rows reach the view at most this often: every batch lays out the whole view once.
constexpr qint64 ShowIntervalMs = 100;
// Batches scattered over more places than this are shown at once: every showing lays out the whole
// view, and expanding every group row from the last up leaves a batch under each.
constexpr size_t MaxHiddenRanges = 4096;
// Rows whose memory is given back per turn of the event loop after the list was emptied.
constexpr size_t RowsFreedPerTurn = 16384;

// The encodings of the cells' texts, by number; the framework has a handful, living for the process.
std::vector<const TextEncoding *> &encodings()
{
    static std::vector<const TextEncoding *> known{nullptr};
    return known;
}

uint8_t encodingNumber(const TextEncoding *encoding)
{
    std::vector<const TextEncoding *> &known = encodings();
    const auto found = std::find(known.begin(), known.end(), encoding);
    if (found != known.end())
        return static_cast<uint8_t>(found - known.begin());
    if (known.size() > UINT8_MAX)
        qFatal("Listbox: more text encodings than a cell can name");
    known.push_back(encoding);
    return static_cast<uint8_t>(known.size() - 1);
}

// What a cell holds beside its text.
struct CellHead
{
    uint32_t end = 0; // where the cell's text ends among the row's texts
    uint8_t encoding = 0;
    bool check = false;
    int16_t type = Listbox::TypeDefault;
};

// A row's cells: sized when a cell changes and held by one pointer, which std::vector would triple.
using CellBlock = std::unique_ptr<CellHead[]>; // NOLINT(modernize-avoid-c-arrays)

// A row in 16 bytes: its cells in one allocation, a head per column and then the texts one after
// another; none while every cell is empty and plain. Its picture is a number in the list's table.
struct Row
{
    CellBlock cells;
    uint32_t picture = 0; // 0 for none, else 1 + the place in the list's pictures
    uint16_t depth = 0;
    bool folder : 1 = false;
    bool expanded : 1 = false;
    // Whether a cell was made a check box: the view asks every row for its flags, most rows have none.
    bool checkBoxes : 1 = false;

    static const char *texts(const CellHead *cells, int columns)
    {
        return reinterpret_cast<const char *>(cells + columns);
    }
    static char *texts(CellHead *cells, int columns) { return reinterpret_cast<char *>(cells + columns); }

    CellHead head(int column) const { return cells ? cells[column] : CellHead(); }

    QByteArrayView text(int columns, int column) const
    {
        if (!cells)
            return {};
        const uint32_t begin = column == 0 ? 0 : cells[column - 1].end;
        return {texts(cells.get(), columns) + begin, cells[column].end - begin};
    }

    String string(int columns, int column) const
    {
        return String::fromBytes(text(columns, column).toByteArray(), encodings()[head(column).encoding]);
    }

    CellHead &writableHead(int columns, int column)
    {
        if (!cells)
            cells = allocate(columns, 0);
        return cells[column];
    }

    void setText(int columns, int column, const String &text)
    {
        const QByteArrayView bytes = text.bytes();
        const qsizetype total = cells ? cells[columns - 1].end : 0;
        const qsizetype begin = !cells || column == 0 ? 0 : cells[column - 1].end;
        const qsizetype end = cells ? cells[column].end : 0;
        const qsizetype delta = bytes.size() - (end - begin);
        CellBlock block = allocate(columns, static_cast<size_t>(total + delta));
        if (cells)
            std::copy(cells.get(), cells.get() + columns, block.get());
        for (int c = column; c < columns; ++c)
            block[c].end = static_cast<uint32_t>(block[c].end + delta);
        block[column].encoding = encodingNumber(text.encoding());
        const char *from = cells ? texts(cells.get(), columns) : nullptr;
        char *to = texts(block.get(), columns);
        std::copy(from, from + begin, to);
        std::copy(bytes.begin(), bytes.end(), to + begin);
        std::copy(from + end, from + total, to + begin + bytes.size());
        cells = std::move(block);
    }

    // The same cells in another number of columns: those beyond it go, new ones are empty.
    void setColumns(int from, int to)
    {
        if (!cells)
            return;
        const int kept = std::min(from, to);
        const uint32_t textBytes = kept > 0 ? cells[kept - 1].end : 0;
        CellBlock block = allocate(to, textBytes);
        std::copy(cells.get(), cells.get() + kept, block.get());
        for (int c = kept; c < to; ++c)
            block[c].end = textBytes;
        const char *texts = Row::texts(cells.get(), from);
        std::copy(texts, texts + textBytes, Row::texts(block.get(), to));
        cells = std::move(block);
    }

private:
    static CellBlock allocate(int columns, size_t textBytes)
    {
        return std::make_unique<CellHead[]>( // NOLINT(modernize-avoid-c-arrays): a CellBlock
            static_cast<size_t>(columns) + (textBytes + sizeof(CellHead) - 1) / sizeof(CellHead));
    }
};
static_assert(sizeof(Row) == 16);

// The rows in order, with a gap after the row added last: an expansion adds its rows one after
// another at the gap, and the next expansion above it moves only those rows across, so that
// expanding every group row of a long list, from the last up, costs linear time.
class Rows
{
public:
    size_t size() const { return m_slots.size() - m_gapSize; }
    Row &operator[](size_t row) { return m_slots[slot(row)]; }
    const Row &operator[](size_t row) const { return m_slots[slot(row)]; }

    void insert(size_t at, Row row)
    {
        if (m_gapSize == 0) {
            m_gap = m_slots.size();
            m_gapSize = m_slots.size() / 2 + 16;
            m_slots.resize(m_slots.size() + m_gapSize);
        }
        moveGap(at);
        m_slots[m_gap++] = std::move(row);
        --m_gapSize;
    }

    void erase(size_t at, size_t count)
    {
        moveGap(at);
        for (size_t i = 0; i < count; ++i)
            m_slots[m_gap + m_gapSize + i] = Row();
        m_gapSize += count;
    }

    // Every row, in no particular order, leaving the list empty.
    std::vector<Row> take()
    {
        m_gap = 0;
        m_gapSize = 0;
        return std::exchange(m_slots, {});
    }

private:
    size_t slot(size_t row) const { return row < m_gap ? row : row + m_gapSize; }

    void moveGap(size_t at)
    {
        const auto begin = m_slots.begin();
        const auto gap = static_cast<std::ptrdiff_t>(m_gap);
        const auto gapSize = static_cast<std::ptrdiff_t>(m_gapSize);
        const auto to = static_cast<std::ptrdiff_t>(at);
        if (at < m_gap)
            std::move_backward(begin + to, begin + gap, begin + gap + gapSize);
        else
            std::move(begin + gap + gapSize, begin + to + gapSize, begin + gap);
        m_gap = at;
    }

    std::vector<Row> m_slots;
    size_t m_gap = 0;
    size_t m_gapSize = 0;
};

// A picture as rows show it, as it was when first given: one copy for every row given that picture
// unchanged.
struct SharedPicture
{
    PicturePtr picture; // held, so that no other picture takes its address
    uint64_t revision = 0;
    QImage image;
    mutable QIcon icon; // made when first shown
};

} // namespace

struct Listbox::Expansion
{
    int parent;
    int insertAt;
    int depth;
    bool alive = true;
};

// The rows, flat in the order shown; a row's children follow it with a greater depth. Rows added
// stay hidden from the view in ranges until they are shown in a batch; the view's rows are the
// list's rows without them.
class Listbox::Model : public QAbstractTableModel
{
public:
    explicit Model(Listbox *list, int columns) : m_list(list), m_columns(columns)
    {
        m_showTimer.setSingleShot(true);
        QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] { show(); });
        QObject::connect(&m_freeTimer, &QTimer::timeout, this, [this] { freeSomeRows(); });
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : count() - m_hiddenCount;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const Row &row = rowAt(rowOf(index));
        const CellHead head = row.head(index.column());
        switch (role) {
        case Qt::DisplayRole:
            return row.string(m_columns, index.column()).toQString();
        case Qt::CheckStateRole:
            if (head.type == TypeCheckBox)
                return head.check ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (index.column() == 0 && row.picture != 0) {
                const SharedPicture &picture = m_pictures[row.picture - 1];
                if (picture.icon.isNull())
                    picture.icon = QIcon(QPixmap::fromImage(picture.image));
                return picture.icon;
            }
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        const Row &row = rowAt(rowOf(index));
        if (row.checkBoxes && row.head(index.column()).type == TypeCheckBox)
            flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    // Only the view calls this, when the user ticks or unticks a box.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::CheckStateRole)
            return false;
        m_list->userChangedCheck(rowOf(index), index.column(), value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns)
            return m_headings.value(section).toQString();
        return {};
    }

    int count() const { return static_cast<int>(m_rows.size()); }
    Row &rowAt(int row) { return m_rows[static_cast<size_t>(row)]; }
    const Row &rowAt(int row) const { return m_rows[static_cast<size_t>(row)]; }

    // The list's row that a view's index shows.
    int rowOf(const QModelIndex &index) const
    {
        const int row = index.row();
        // The last range that begins at or above the view's row.
        const auto after =
            std::upper_bound(m_hidden.begin(), m_hidden.end(), row,
                             [](int at, const Range &hidden) { return at < hidden.viewStart(); });
        return after == m_hidden.begin() ? row : row + std::prev(after)->before + std::prev(after)->count;
    }

    // The view's row of a list's row; -1 while it is hidden.
    int viewRow(int row) const
    {
        const auto after = std::upper_bound(m_hidden.begin(), m_hidden.end(), row,
                                            [](int at, const Range &hidden) { return at < hidden.start; });
        if (after == m_hidden.begin())
            return row;
        const Range &hidden = *std::prev(after);
        return row < hidden.start + hidden.count ? -1 : row - hidden.before - hidden.count;
    }

    // Adds the row hidden; it shows with the next batch.
    void insert(int at, Row row)
    {
        m_rows.insert(static_cast<size_t>(at), std::move(row));
        auto range =
            std::lower_bound(m_hidden.begin(), m_hidden.end(), at, [](const Range &hidden, int place) {
                return hidden.start + hidden.count < place;
            });
        if (range != m_hidden.end() && range->start <= at) {
            ++range->count;
        } else {
            const int before =
                range == m_hidden.begin() ? 0 : std::prev(range)->before + std::prev(range)->count;
            range = m_hidden.insert(range, Range{at, 1, before});
        }
        for (++range; range != m_hidden.end(); ++range) {
            ++range->start;
            ++range->before;
        }
        ++m_hiddenCount;
        if (m_hidden.size() > MaxHiddenRanges) {
            show();
        } else if (!m_showTimer.isActive()) {
            const qint64 since = m_sinceShown.isValid() ? m_sinceShown.elapsed() : ShowIntervalMs;
            m_showTimer.start(static_cast<int>(std::max<qint64>(0, ShowIntervalMs - since)));
        }
    }

    // Shows every hidden row, a range at a time from the bottom, so that the ranges still hidden
    // keep their places.
    void show()
    {
        m_showTimer.stop();
        m_sinceShown.start();
        // The view's reaction is not the user's selection.
        const QScopedValueRollback showingSelection(m_list->m_showingSelection, true);
        while (!m_hidden.empty()) {
            const Range range = m_hidden.back();
            beginInsertRows({}, range.viewStart(), range.viewStart() + range.count - 1);
            m_hidden.pop_back();
            m_hiddenCount -= range.count;
            endInsertRows();
        }
    }

    void remove(int at, int count)
    {
        show();
        beginRemoveRows({}, at, at + count - 1);
        m_rows.erase(static_cast<size_t>(at), static_cast<size_t>(count));
        endRemoveRows();
    }

    // Empties the list at once; the rows' memory goes back over the next turns of the event loop.
    void clear()
    {
        m_showTimer.stop();
        beginResetModel();
        if (m_rows.size() > 0)
            m_discarded.push_back(m_rows.take());
        m_hidden.clear();
        m_hiddenCount = 0;
        m_pictures.clear();
        m_pictureIndex.clear();
        endResetModel();
        if (!m_discarded.empty() && !m_freeTimer.isActive())
            m_freeTimer.start(0);
    }

    void changed(int row, int column)
    {
        const int shown = viewRow(row);
        if (shown < 0)
            return;
        const QModelIndex cell = index(shown, column);
        emit dataChanged(cell, cell);
    }

    void setHeading(int column, const String &heading)
    {
        while (m_headings.size() <= column)
            m_headings.append(String());
        m_headings[column] = heading;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }
    String heading(int column) const { return m_headings.value(column); }

    // The place in the pictures of this picture as it is now, added when there is none; 0 for Nil.
    uint32_t pictureNumber(const PicturePtr &picture)
    {
        if (!picture)
            return 0;
        const auto known = m_pictureIndex.constFind(picture.get());
        if (known != m_pictureIndex.cend() && m_pictures[*known].revision == picture->revision())
            return *known + 1;
        const auto number = static_cast<uint32_t>(m_pictures.size());
        m_pictures.push_back({picture, picture->revision(), picture->rendered(), {}});
        m_pictureIndex.insert(picture.get(), number);
        return number + 1;
    }

private:
    struct Range
    {
        int start; // the list's row
        int count;
        int before; // the rows hidden above it
        // Where it goes in the view.
        int viewStart() const { return start - before; }
    };

    void freeSomeRows()
    {
        size_t left = RowsFreedPerTurn;
        while (left > 0 && !m_discarded.empty()) {
            std::vector<Row> &rows = m_discarded.back();
            const size_t freed = std::min(left, rows.size());
            rows.erase(rows.end() - static_cast<std::ptrdiff_t>(freed), rows.end());
            left -= freed;
            if (rows.empty())
                m_discarded.pop_back();
        }
        if (m_discarded.empty()) {
            m_freeTimer.stop();
            ReturnFreedMemory();
        }
    }

    Listbox *m_list;
    int m_columns;
    QList<String> m_headings;
    Rows m_rows;
    // Rows not yet in the view, in the list's order; neither adjacent nor overlapping.
    std::vector<Range> m_hidden;
    int m_hiddenCount = 0;
    QTimer m_showTimer;
    QElapsedTimer m_sinceShown;
    std::vector<SharedPicture> m_pictures;
    QHash<const Picture *, uint32_t> m_pictureIndex;
    // Rows of emptied lists whose memory is still to be given back.
    std::vector<std::vector<Row>> m_discarded;
    QTimer m_freeTimer;
};

// Draws column 0 indented by depth with a disclosure triangle on folder rows, and lets the
// list's CellBackgroundPaint draw each cell's background first.
class Listbox::Delegate : public QStyledItemDelegate
{
public:
    Delegate(Listbox *list, QObject *parent) : QStyledItemDelegate(parent), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int row = m_list->m_model->rowOf(index);
        const int column = index.column();
        bool handled = false;
        if (m_list->CellBackgroundPaint) {
            Graphics g(painter, option.rect);
            handled = m_list->CellBackgroundPaint(g, row, column);
        }
        QStyleOptionViewItem item = option;
        if (handled)
            item.state &= ~QStyle::State_Selected;
        if (column == 0) {
            const Row &data = m_list->m_model->rowAt(row);
            if (data.folder) {
                QStyleOption arrow;
                arrow.rect = arrowRect(option.rect, data.depth);
                arrow.palette = option.palette;
                arrow.state = QStyle::State_Children | QStyle::State_Item;
                if (data.expanded)
                    arrow.state |= QStyle::State_Open;
                const QWidget *widget = option.widget;
                QStyle *style = widget != nullptr ? widget->style() : nullptr;
                if (style != nullptr)
                    style->drawPrimitive(QStyle::PE_IndicatorBranch, &arrow, painter, widget);
            }
            item.rect.setLeft(item.rect.left() + (data.depth + 1) * Indent);
        }
        QStyledItemDelegate::paint(painter, item, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (index.column() == 0)
            size.rwidth() += (m_list->m_model->rowAt(m_list->m_model->rowOf(index)).depth + 1) * Indent;
        return size;
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        QStyleOptionViewItem item = option;
        if (index.column() == 0) {
            const int row = m_list->m_model->rowOf(index);
            const Row &data = m_list->m_model->rowAt(row);
            const bool mouse = event->type() == QEvent::MouseButtonPress ||
                               event->type() == QEvent::MouseButtonRelease ||
                               event->type() == QEvent::MouseButtonDblClick;
            if (mouse && data.folder) {
                const auto *click = static_cast<QMouseEvent *>(event);
                if (arrowRect(option.rect, data.depth).contains(click->position().toPoint())) {
                    if (event->type() == QEvent::MouseButtonRelease && click->button() == Qt::LeftButton &&
                        m_list->m_userExpansion)
                        m_list->setExpanded(row, !data.expanded);
                    return true;
                }
            }
            item.rect.setLeft(item.rect.left() + (data.depth + 1) * Indent);
        }
        return QStyledItemDelegate::editorEvent(event, model, item, index);
    }

private:
    static QRect arrowRect(const QRect &cell, int depth)
    {
        return {cell.left() + depth * Indent, cell.top(), Indent, cell.height()};
    }

    Listbox *m_list;
};

class Listbox::View : public QTreeView
{
public:
    explicit View(Listbox *list) : m_list(list) {}

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QTreeView::resizeEvent(event);
        m_list->applyColumnWidths();
    }

    // The arrow keys expand and collapse the selected folder row.
    void keyPressEvent(QKeyEvent *event) override
    {
        const int row = m_list->ListIndex();
        if (row >= 0 && (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) &&
            m_list->m_model->rowAt(row).folder) {
            if (m_list->m_userExpansion)
                m_list->setExpanded(row, event->key() == Qt::Key_Right);
            return;
        }
        QTreeView::keyPressEvent(event);
    }

private:
    Listbox *m_list;
};

Listbox::Listbox(int columnCount)
    : Control(new View(this)), m_model(std::make_unique<Model>(this, columnCount))
{
    QTreeView *tree = view();
    tree->setModel(m_model.get());
    tree->setItemDelegate(new Delegate(this, tree)); // a view does not own its delegate
    tree->setRootIsDecorated(false);
    tree->setItemsExpandable(false);
    tree->setIndentation(0);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree->setIconSize(QSize(16, 16));
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionsClickable(false);
    tree->header()->setSectionsMovable(false);
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, [this] {
        if (m_showingSelection)
            return;
        const QModelIndexList rows = view()->selectionModel()->selectedRows();
        userSelected(rows.isEmpty() ? -1 : m_model->rowOf(rows.first()));
    });
}

Listbox::~Listbox()
{
    // The view goes before the model it shows.
    delete widget();
}

QTreeView *Listbox::view() const
{
    return static_cast<QTreeView *>(widget());
}

int Listbox::ColumnCount() const
{
    return m_model->columnCount();
}

String Listbox::Heading(int column) const
{
    if (column < 0 || column >= ColumnCount())
        throw OutOfBoundsException();
    return m_model->heading(column);
}

void Listbox::setHeading(int column, const String &heading)
{
    if (column < 0 || column >= ColumnCount())
        throw OutOfBoundsException();
    m_model->setHeading(column, heading);
}

void Listbox::setColumnWidths(const String &widths)
{
    m_columnWidths = widths;
    applyColumnWidths();
}

void Listbox::applyColumnWidths()
{
    const QStringList given = m_columnWidths.toQString().split(QLatin1Char(','));
    const int columns = ColumnCount();
    int fixed = 0;
    int shares = 0;
    std::vector<int> widths(static_cast<size_t>(columns), -1);
    for (int column = 0; column < columns; ++column) {
        const QString width = column < given.size() ? given[column].trimmed() : QString();
        bool number = false;
        const int pixels = width.toInt(&number);
        if (number && pixels >= 0) {
            widths[static_cast<size_t>(column)] = pixels;
            fixed += pixels;
        } else {
            ++shares;
        }
    }
    QHeaderView *header = view()->header();
    const int room = qMax(0, view()->viewport()->width() - fixed);
    const int share = shares > 0 ? room / shares : 0;
    int left = room;
    for (int column = 0; column < columns; ++column) {
        int width = widths[static_cast<size_t>(column)];
        if (width < 0) {
            // The last share takes what rounding left over.
            width = --shares == 0 ? left : share;
            left -= width;
        }
        header->setSectionHidden(column, width == 0);
        if (width > 0)
            header->resizeSection(column, width);
    }
}

int Listbox::ListCount() const
{
    return m_model->count();
}

void Listbox::checkRow(int row) const
{
    if (row < 0 || row >= ListCount())
        throw OutOfBoundsException();
}

void Listbox::checkCell(int row, int column) const
{
    checkRow(row);
    if (column < 0 || column >= ColumnCount())
        throw OutOfBoundsException();
}

void Listbox::AddRow(const String &text)
{
    addRow(text, false);
}

void Listbox::AddFolder(const String &text)
{
    addRow(text, true);
}

void Listbox::addRow(const String &text, bool folder)
{
    Row row;
    row.folder = folder;
    int at = ListCount();
    // A row added by an expansion whose row has gone (the list was emptied) goes at the end.
    Expansion *expansion = m_expansions.empty() ? nullptr : m_expansions.back();
    if (expansion != nullptr && expansion->alive) {
        at = expansion->insertAt;
        row.depth = static_cast<uint16_t>(expansion->depth);
    }
    row.setText(ColumnCount(), 0, text);
    m_model->insert(at, std::move(row));
    insertRows(at, 1);
    m_lastIndex = at;
}

// Keeps every remembered place on the same row after rows were inserted at `at`.
void Listbox::insertRows(int at, int count)
{
    ++m_revision;
    for (Expansion *expansion : m_expansions) {
        if (at <= expansion->parent)
            expansion->parent += count;
        if (at <= expansion->insertAt)
            expansion->insertAt += count;
    }
    if (m_lastIndex >= at)
        m_lastIndex += count;
    if (m_listIndex >= at)
        m_listIndex += count;
}

// Keeps every remembered place on the same row after rows at..at+count-1 were removed.
void Listbox::removeRows(int at, int count)
{
    ++m_revision;
    const auto shift = [at, count](int &place) {
        if (place >= at + count)
            place -= count;
        else if (place >= at)
            place = -1;
    };
    for (Expansion *expansion : m_expansions) {
        shift(expansion->parent);
        if (expansion->parent < 0)
            expansion->alive = false;
        if (expansion->insertAt >= at + count)
            expansion->insertAt -= count;
        else if (expansion->insertAt > at)
            expansion->insertAt = at;
    }
    shift(m_lastIndex);
    const bool wasSelected = m_listIndex >= 0;
    shift(m_listIndex);
    if (wasSelected && m_listIndex < 0) {
        showSelection();
        if (Change)
            Change();
    }
}

void Listbox::setListIndex(int row)
{
    if (row != -1)
        checkRow(row);
    const bool changed = row != m_listIndex;
    m_listIndex = row;
    showSelection();
    if (changed && Change)
        Change();
}

void Listbox::userSelected(int row)
{
    if (row == m_listIndex)
        return;
    m_listIndex = row;
    if (Change)
        Change();
}

void Listbox::showSelection()
{
    m_showingSelection = true;
    QItemSelectionModel *selection = view()->selectionModel();
    if (m_listIndex < 0) {
        selection->clear();
    } else {
        if (m_model->viewRow(m_listIndex) < 0)
            m_model->show();
        const QModelIndex index = m_model->index(m_model->viewRow(m_listIndex), 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_showingSelection = false;
}

String Listbox::Cell(int row, int column) const
{
    checkCell(row, column);
    return m_model->rowAt(row).string(ColumnCount(), column);
}

void Listbox::setCell(int row, int column, const String &text)
{
    checkCell(row, column);
    ++m_revision;
    m_model->rowAt(row).setText(ColumnCount(), column, text);
    m_model->changed(row, column);
}

bool Listbox::CellCheck(int row, int column) const
{
    checkCell(row, column);
    return m_model->rowAt(row).head(column).check;
}

void Listbox::setCellCheck(int row, int column, bool checked)
{
    checkCell(row, column);
    m_model->rowAt(row).writableHead(ColumnCount(), column).check = checked;
    m_model->changed(row, column);
}

void Listbox::userChangedCheck(int row, int column, bool checked)
{
    m_model->rowAt(row).writableHead(ColumnCount(), column).check = checked;
    m_model->changed(row, column);
    if (CellAction)
        CellAction(row, column);
}

int Listbox::CellType(int row, int column) const
{
    checkCell(row, column);
    return m_model->rowAt(row).head(column).type;
}

void Listbox::setCellType(int row, int column, int type)
{
    checkCell(row, column);
    Row &data = m_model->rowAt(row);
    data.writableHead(ColumnCount(), column).type = static_cast<int16_t>(type);
    data.checkBoxes = data.checkBoxes || type == TypeCheckBox;
    m_model->changed(row, column);
}

void Listbox::setRowPicture(int row, const PicturePtr &picture)
{
    checkRow(row);
    m_model->rowAt(row).picture = m_model->pictureNumber(picture);
    m_model->changed(row, 0);
}

bool Listbox::Expanded(int row) const
{
    checkRow(row);
    return m_model->rowAt(row).expanded;
}

void Listbox::setExpanded(int row, bool expanded)
{
    checkRow(row);
    Row &data = m_model->rowAt(row);
    if (!data.folder || data.expanded == expanded)
        return;
    int end = row + 1;
    while (end < ListCount() && m_model->rowAt(end).depth > data.depth)
        ++end;
    if (!expanded) {
        const bool filling = std::any_of(m_expansions.begin(), m_expansions.end(), [&](const Expansion *e) {
            return e->alive && e->parent >= row && e->parent < end;
        });
        if (filling)
            return;
        data.expanded = false;
        m_model->changed(row, 0);
        const int count = end - row - 1;
        if (count > 0) {
            m_showingSelection = true;
            m_model->remove(row + 1, count);
            m_showingSelection = false;
            removeRows(row + 1, count);
        }
        return;
    }
    data.expanded = true;
    m_model->changed(row, 0);
    Expansion expansion{row, row + 1, data.depth + 1};
    m_expansions.push_back(&expansion);
    // The event may be left by an exception (a thread's kill unwinds through it): forget it then too.
    struct Forget
    {
        std::vector<Expansion *> &list;
        Expansion *item;
        ~Forget() { list.erase(std::find(list.begin(), list.end(), item)); }
    } forget{m_expansions, &expansion};
    if (ExpandRow)
        ExpandRow(row);
}

void Listbox::DeleteAllRows()
{
    for (Expansion *expansion : m_expansions)
        expansion->alive = false;
    const bool wasSelected = m_listIndex >= 0;
    ++m_revision;
    m_showingSelection = true;
    m_model->clear();
    m_showingSelection = false;
    m_lastIndex = -1;
    m_listIndex = -1;
    if (wasSelected && Change)
        Change();
}

void Listbox::showAddedRows()
{
    m_model->show();
}

} // namespace fw
