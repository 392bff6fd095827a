#pragma once

#include "framework/control.h"
#include "framework/picture.h"
#include "framework/string.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTreeView;

namespace fw {

// A list of rows in columns with headings, hierarchical: a folder row can be expanded, which asks
// the ExpandRow event for its children, and collapsed, which removes them from the list. Rows are
// named by their place in the list (0 to ListCount - 1), which shifts as rows are added or removed
// above them. A row or column outside the list raises OutOfBoundsException.
//
// Every method sees a row as soon as it is added; the view shows added rows in batches, at most ten
// times a second, and at once on showAddedRows (or when a row must show: selected, rows removed).
class Listbox : public Control
{
public:
    static constexpr int TypeDefault = 0;
    static constexpr int TypeCheckBox = 2;

    explicit Listbox(int columnCount = 1);
    ~Listbox() override;

    int ColumnCount() const;
    String Heading(int column) const;
    void setHeading(int column, const String &heading);
    // Widths separated by commas: pixels, or "*" for an equal share of what the others leave. A width
    // of 0 hides its column; columns without a width take a share.
    const String &ColumnWidths() const { return m_columnWidths; }
    void setColumnWidths(const String &widths);

    // Add a plain row / an expandable folder row with the text in column 0. While an ExpandRow event
    // runs, the row becomes the expanding row's next child; else it goes at the end.
    void AddRow(const String &text);
    void AddFolder(const String &text);
    // The row just added, -1 before any.
    int LastIndex() const { return m_lastIndex; }
    int ListCount() const;
    // Changes whenever a row is added or removed or a cell's text is set; ticks, the selection and
    // pictures leave it. What is known of the rows by their places holds while it stays the same.
    uint64_t Revision() const { return m_revision; }

    // The selected row, -1 for none. Setting it raises Change when it changes.
    int ListIndex() const { return m_listIndex; }
    void setListIndex(int row);

    String Cell(int row, int column) const;
    void setCell(int row, int column, const String &text);
    bool CellCheck(int row, int column) const;
    void setCellCheck(int row, int column, bool checked);
    int CellType(int row, int column) const;
    void setCellType(int row, int column, int type);
    // The picture shown before the text of column 0, its mask applied, as it is now; Nil for none.
    // Rows given one picture, not drawn into between, share one copy.
    void setRowPicture(int row, const PicturePtr &picture);

    // Expanding a collapsed folder row raises ExpandRow for it before this returns; collapsing removes
    // the rows beneath it. A row whose children are still being added is not collapsed.
    bool Expanded(int row) const;
    void setExpanded(int row, bool expanded);

    // Whether the user may expand and collapse rows (code always may).
    bool UserExpansionEnabled() const { return m_userExpansion; }
    void setUserExpansionEnabled(bool enabled) { m_userExpansion = enabled; }

    // Removes every row; raises Change when a row was selected. The list is empty at once; the rows'
    // memory is given back over the next turns of the event loop.
    void DeleteAllRows();

    // Shows every row added so far in the view now.
    void showAddedRows();

    std::function<void(int row)> ExpandRow;
    // Raised when the user changes a check box (not when code sets it).
    std::function<void(int row, int column)> CellAction;
    // Raised before a cell is drawn; the Graphics draws within the cell only. True when the handler
    // drew the whole background, selection included.
    std::function<bool(Graphics &g, int row, int column)> CellBackgroundPaint;
    // Raised when the selection changes, also when the selected row goes away.
    std::function<void()> Change;

    QTreeView *view() const;

private:
    class Model;
    class Delegate;
    class View;
    struct Expansion;

    void addRow(const String &text, bool folder);
    void insertRows(int at, int count);
    void removeRows(int at, int count);
    void checkRow(int row) const;
    void checkCell(int row, int column) const;
    void userChangedCheck(int row, int column, bool checked);
    void userSelected(int row);
    void showSelection();
    void applyColumnWidths();

    std::unique_ptr<Model> m_model;
    String m_columnWidths;
    int m_lastIndex = -1;
    int m_listIndex = -1;
    uint64_t m_revision = 0;
    bool m_showingSelection = false;
    bool m_userExpansion = true;
    // ExpandRow events in progress, innermost last; a thread's expansion may wait at a yield while the
    // user expands another row.
    std::vector<Expansion *> m_expansions;
};

} // namespace fw
