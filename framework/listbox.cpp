#include "framework/listbox.h"

#include "framework/exceptions.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace fw {

namespace {

// The width of one level of the hierarchy; column 0 keeps one level for the disclosure triangle.
constexpr int Indent = 16;

struct CellData
{
    String text;
    bool check = false;
    int type = Listbox::TypeDefault;
};

struct Row
{
    std::vector<CellData> cells;
    QPixmap picture;
    int depth = 0;
    bool folder = false;
    bool expanded = false;
};

} // namespace

struct Listbox::Expansion
{
    int parent;
    int insertAt;
    int depth;
    bool alive = true;
};

// The rows, flat in the order shown; a row's children follow it with a greater depth.
class Listbox::Model : public QAbstractTableModel
{
public:
    explicit Model(Listbox *list, int columns) : m_list(list), m_columns(columns) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const Row &row = *m_rows[static_cast<size_t>(index.row())];
        const CellData &cell = row.cells[static_cast<size_t>(index.column())];
        switch (role) {
        case Qt::DisplayRole:
            return cell.text.toQString();
        case Qt::CheckStateRole:
            if (cell.type == TypeCheckBox)
                return cell.check ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (index.column() == 0 && !row.picture.isNull())
                return row.picture;
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (cellAt(index.row(), index.column()).type == TypeCheckBox)
            flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    // Only the view calls this, when the user ticks or unticks a box.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::CheckStateRole)
            return false;
        m_list->userChangedCheck(index.row(), index.column(), value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns)
            return m_headings.value(section).toQString();
        return {};
    }

    Row &rowAt(int row) { return *m_rows[static_cast<size_t>(row)]; }
    const Row &rowAt(int row) const { return *m_rows[static_cast<size_t>(row)]; }
    CellData &cellAt(int row, int column) { return rowAt(row).cells[static_cast<size_t>(column)]; }
    const CellData &cellAt(int row, int column) const
    {
        return rowAt(row).cells[static_cast<size_t>(column)];
    }

    void insert(int at, std::unique_ptr<Row> row)
    {
        row->cells.resize(static_cast<size_t>(m_columns));
        beginInsertRows({}, at, at);
        m_rows.insert(m_rows.begin() + at, std::move(row));
        endInsertRows();
    }

    void remove(int at, int count)
    {
        beginRemoveRows({}, at, at + count - 1);
        m_rows.erase(m_rows.begin() + at, m_rows.begin() + at + count);
        endRemoveRows();
    }

    void clear()
    {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

    void changed(int row, int column)
    {
        const QModelIndex cell = index(row, column);
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

private:
    Listbox *m_list;
    int m_columns;
    QList<String> m_headings;
    std::vector<std::unique_ptr<Row>> m_rows;
};

// Draws column 0 indented by depth with a disclosure triangle on folder rows, and lets the
// list's CellBackgroundPaint draw each cell's background first.
class Listbox::Delegate : public QStyledItemDelegate
{
public:
    Delegate(Listbox *list, QObject *parent) : QStyledItemDelegate(parent), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int row = index.row();
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
            size.rwidth() += (m_list->m_model->rowAt(index.row()).depth + 1) * Indent;
        return size;
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        QStyleOptionViewItem item = option;
        if (index.column() == 0) {
            const Row &data = m_list->m_model->rowAt(index.row());
            const bool mouse = event->type() == QEvent::MouseButtonPress ||
                               event->type() == QEvent::MouseButtonRelease ||
                               event->type() == QEvent::MouseButtonDblClick;
            if (mouse && data.folder) {
                const auto *click = static_cast<QMouseEvent *>(event);
                if (arrowRect(option.rect, data.depth).contains(click->position().toPoint())) {
                    if (event->type() == QEvent::MouseButtonRelease && click->button() == Qt::LeftButton &&
                        m_list->m_userExpansion)
                        m_list->setExpanded(index.row(), !data.expanded);
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
        return QRect(cell.left() + depth * Indent, cell.top(), Indent, cell.height());
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
        userSelected(rows.isEmpty() ? -1 : rows.first().row());
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
    return m_model->rowCount();
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
    auto row = std::make_unique<Row>();
    row->folder = folder;
    int at = ListCount();
    // A row added by an expansion whose row has gone (the list was emptied) goes at the end.
    Expansion *expansion = m_expansions.empty() ? nullptr : m_expansions.back();
    if (expansion != nullptr && expansion->alive) {
        at = expansion->insertAt;
        row->depth = expansion->depth;
    }
    row->cells.resize(static_cast<size_t>(ColumnCount()));
    row->cells[0].text = text;
    // The list keeps its own selection in step with the rows; the view's reaction is not the user's.
    m_showingSelection = true;
    m_model->insert(at, std::move(row));
    m_showingSelection = false;
    insertRows(at, 1);
    m_lastIndex = at;
}

// Keeps every remembered place on the same row after rows were inserted at `at`.
void Listbox::insertRows(int at, int count)
{
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
        const QModelIndex index = m_model->index(m_listIndex, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_showingSelection = false;
}

String Listbox::Cell(int row, int column) const
{
    checkCell(row, column);
    return m_model->cellAt(row, column).text;
}

void Listbox::setCell(int row, int column, const String &text)
{
    checkCell(row, column);
    m_model->cellAt(row, column).text = text;
    m_model->changed(row, column);
}

bool Listbox::CellCheck(int row, int column) const
{
    checkCell(row, column);
    return m_model->cellAt(row, column).check;
}

void Listbox::setCellCheck(int row, int column, bool checked)
{
    checkCell(row, column);
    m_model->cellAt(row, column).check = checked;
    m_model->changed(row, column);
}

void Listbox::userChangedCheck(int row, int column, bool checked)
{
    m_model->cellAt(row, column).check = checked;
    m_model->changed(row, column);
    if (CellAction)
        CellAction(row, column);
}

int Listbox::CellType(int row, int column) const
{
    checkCell(row, column);
    return m_model->cellAt(row, column).type;
}

void Listbox::setCellType(int row, int column, int type)
{
    checkCell(row, column);
    m_model->cellAt(row, column).type = type;
    m_model->changed(row, column);
}

void Listbox::setRowPicture(int row, const PicturePtr &picture)
{
    checkRow(row);
    m_model->rowAt(row).picture = picture ? QPixmap::fromImage(picture->rendered()) : QPixmap();
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
    m_showingSelection = true;
    m_model->clear();
    m_showingSelection = false;
    m_lastIndex = -1;
    m_listIndex = -1;
    if (wasSelected && Change)
        Change();
}

} // namespace fw
