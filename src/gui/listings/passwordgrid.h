#pragma once

#include "core/listings/listfile.h"
#include "core/listings/listingrules.h"
#include "gui/listings/generatorcontext.h"
#include "gui/listings/listingmodel.h"

#include <QPointer>
#include <QTableView>

#include <functional>

// The listing window's grid. Row 0 is the header row and listing k stands in
// row k; reading and writing a cell goes through the current cell, as the
// callers expect of it.
class PasswordGrid : public QTableView {
    Q_OBJECT
public:
    explicit PasswordGrid(QWidget* parent = nullptr);
    ~PasswordGrid() override;

    // Number of rows, the header row included.
    int Rows() const { return m_model->rowCount() + 1; }

    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int column);

    // The current cell's text; row 0 is the header.
    QString Text() const;
    void setText(const QString& text);

    // Appends one row whose cells take the given texts as they are.
    void AddItem(const ListingModel::Cells& cells);
    // Removes a row below the header; the rows under it move up.
    void RemoveItem(int row);

    void setColWidth(int column, int twips);
    int ColWidth(int column) const { return m_colWidthTwips.at(column); }

    // Appends listings numbered from firstNumber on, in one step.
    void appendListings(const QList<Listing>& listings, int firstNumber);
    // Columns 1 to 3 of every row below the header, in row order.
    QList<Listing> listings() const;
    // Shows records (the open list's listings) as its rows below the
    // header, editing them in place; they must outlive the grid or be
    // replaced first (nullptr: rows of its own again).
    void viewRecords(QList<Listing>* records);

    ListingModel* listingModel() const { return m_model; }

    // The format the listings are kept in, which says what a listing may
    // hold (the list file unless told otherwise).
    void setListingFormat(std::function<ListingRules::Format()> format) { m_format = std::move(format); }
    ListingRules::Format listingFormat() const { return m_format ? m_format() : ListingRules::Format::ListFile; }

    // The password generator of the listing dialogs over this grid (none
    // unless told: then the default settings, nothing kept).
    void setGeneratorContext(GeneratorContext* context) { m_generator = context; }
    GeneratorContext* generatorContext() const { return m_generator; }

    // The current row when it holds a listing, else 0.
    int currentListingRow() const { return m_row >= 1 && m_row < Rows() ? m_row : 0; }
    // Makes row current and scrolls it into view, keeping the column.
    void showRow(int row, int column);

    // What a pointer resting at pos (in the viewport) is told: the whole
    // text of a cell too narrow to show it, never a hidden password; empty
    // when the cell shows all of it.
    QString toolTipAt(const QPoint& pos) const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // A cell was double-clicked; it is the current cell now.
    void DblClick();
    // A right-click (or the menu key) on a listing, which is now the
    // current cell: the menu for that row belongs at globalPos.
    void RowMenu(const QPoint& globalPos);

private:
    void followView(const QModelIndex& current);
    void showCurrent();
    void setUpNumberColumn();
    void placeNumberColumn();
    // Makes the cell current and asks for its menu; false off the rows.
    bool offerRowMenu(const QModelIndex& index, const QPoint& globalPos);

    ListingModel* m_model;
    // Column 0 drawn again on top, so the "#" column stays in place when
    // the other columns scroll sideways.
    QTableView* m_numberColumn;
    int m_row = 0;
    int m_col = 0;
    std::array<int, ListingModel::kColumns> m_colWidthTwips {};
    std::function<ListingRules::Format()> m_format;
    QPointer<GeneratorContext> m_generator;
};
