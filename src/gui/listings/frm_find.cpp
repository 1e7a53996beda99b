#include "gui/listings/frm_find.h"

#include "core/listings/listingsearch.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

std::optional<ListingSearch::Found> findAfter(const PasswordGrid& grid, const QString& text, int current)
{
    const QList<Listing>& rows = grid.listingModel()->records();
    return ListingSearch::findNext(text, int(rows.size()), current, [&rows](int row) {
        const Listing& listing = rows.at(row - 1);
        return ListingSearch::Fields {listing.site, listing.user};
    });
}

} // namespace

frm_find* frm_find::showOnce(PasswordGrid* grid, QString* lastSearch)
{
    frm_find* form = Forms::showOnce(s_instance, [grid, lastSearch] { return new frm_find(grid, lastSearch); });
    // Asked for again: what is typed next replaces the last search.
    form->txt_find->setFocus();
    form->txt_find->selectAll();
    return form;
}

frm_find::frm_find(PasswordGrid* grid, QString* lastSearch)
    : m_grid(grid)
    , m_lastSearch(lastSearch)
{
    Forms::setUpWindow(this, "frm_find", QStringLiteral("Find A Listing"));
    Forms::setClientSize(this, 4935, 1215);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Find What"), 120, 300, 855, 255);
    txt_find = Forms::addTextBox(this, "txt_find", 1080, 240, 2415, 375);
    cmd_findnext = Forms::addButton(this, "cmd_findnext", QStringLiteral("Find Next"), 3600, 240, 1215, 375);
    lbl_status = Forms::addLabel(this, "lbl_status", QString(), 120, 780, 3375, 255);
    cmd_close = Forms::addButton(this, "cmd_close", QStringLiteral("Close"), 3600, 720, 1215, 375);
    cmd_close->setDefault(true);

    Forms::setTabOrder({txt_find, cmd_findnext, cmd_close});

    Forms::bindReturnAndEscape(this, cmd_close, cmd_close);
    auto* again = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(again, &QShortcut::activated, this, &frm_find::cmd_findnext_Click);
    connect(cmd_findnext, &QPushButton::clicked, this, &frm_find::cmd_findnext_Click);
    connect(cmd_close, &QPushButton::clicked, this, &frm_find::cmd_close_Click);
    // Only what the user types: the first listing that holds it so far.
    connect(txt_find, &QLineEdit::textEdited, this, &frm_find::txt_find_Change);
    if (m_lastSearch)
        txt_find->setText(*m_lastSearch);
}

void frm_find::txt_find_Change()
{
    if (m_lastSearch)
        *m_lastSearch = txt_find->text();
    const QString text = ListingSearch::searchText(txt_find->text());
    lbl_status->clear();
    if (text.isEmpty() || !m_grid)
        return;
    const auto found = findAfter(*m_grid, text, 0);
    if (!found) {
        // No box while typing: the row stays, the line says why.
        lbl_status->setText(QStringLiteral("No listing holds it."));
        return;
    }
    showFound(found->row, found->column);
}

frm_find::Next frm_find::findNext(PasswordGrid& grid, const QString& text)
{
    const int from = grid.currentListingRow();
    const auto found = findAfter(grid, text, from);
    if (!found) {
        MsgBox::show(QStringLiteral("No listing holds \"%1\".").arg(text), QStringLiteral("Find A Listing"));
        return {};
    }
    Next next {true, {}};
    if (from != 0 && found->row <= from)
        next.note = found->row == from ? QStringLiteral("This is the only listing that holds it.")
                                       : QStringLiteral("Went on from the top of the list.");
    grid.showRow(found->row, found->column);
    return next;
}

void frm_find::cmd_findnext_Click()
{
    const QString text = ListingSearch::searchText(txt_find->text());
    lbl_status->clear();
    if (text.isEmpty() || !m_grid)
        return;
    const Next next = findNext(*m_grid, text);
    if (!next.found) {
        txt_find->setFocus();
        return;
    }
    lbl_status->setText(next.note);
    moveOffRow(m_grid->currentListingRow());
}

void frm_find::cmd_close_Click()
{
    close();
    // Back to the list, with the found row current, for its keys.
    if (m_grid) {
        m_grid->window()->activateWindow();
        m_grid->setFocus();
    }
}

void frm_find::showFound(int row, int column)
{
    m_grid->showRow(row, column);
    moveOffRow(row);
}

void frm_find::moveOffRow(int row)
{
    if (!isVisible() || !m_grid)
        return;
    const QRect cell = m_grid->visualRect(m_grid->model()->index(row - 1, 1));
    const QRect viewport = m_grid->viewport()->rect();
    // The whole width of the row as far as it is in view, on the screen.
    const QRect shown(m_grid->viewport()->mapToGlobal(QPoint(viewport.left(), cell.top())),
                      QSize(viewport.width(), cell.height()));
    const QRect frame = frameGeometry();
    if (!frame.intersects(shown))
        return;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    // Below the row when it fits on the screen, else above it.
    QPoint to(frame.left(), shown.bottom() + 1);
    if (available.isValid() && to.y() + frame.height() > available.bottom() + 1)
        to.setY(shown.top() - frame.height());
    move(to);
}
