#include "gui/listings/rowcommands.h"

#include "core/listings/webaddress.h"
#include "core/storage/textutil.h"
#include "gui/launch/websitelaunch.h"
#include "gui/listings/frm_edit.h"
#include "gui/listings/passwordgrid.h"
#include "gui/listings/renumberrows.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/msgbox.h"

#include <QAction>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QWidget>

RowCommands::RowCommands(QWidget* window, PasswordGrid* grid, ClipboardGuard* clipboard)
    : QObject(window)
    , m_grid(grid)
    , m_clipboard(clipboard)
{
    auto command = [this, window](const char* name, const QString& text, QKeyCombination key, int column) {
        auto* action = new QAction(text, window);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeySequence(key));
        // Whichever control of the window has the focus.
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        connect(action, &QAction::triggered, this, [this, column] { copyCell(column); });
        return action;
    };
    mnu_copypassword = command("mnu_copypassword", QStringLiteral("Copy Password"), Qt::CTRL | Qt::Key_C,
                               ListingModel::kPasswordColumn);
    mnu_copyuser =
        command("mnu_copyuser", QStringLiteral("Copy User Name"), Qt::CTRL | Qt::Key_B, ListingModel::kUserColumn);
    mnu_copysite = command("mnu_copysite", QStringLiteral("Copy Web Site/Program"), Qt::CTRL | Qt::Key_U,
                           ListingModel::kSiteColumn);
    mnu_opensite = new QAction(QStringLiteral("Open Web Site"), window);
    mnu_opensite->setObjectName(QStringLiteral("mnu_opensite"));
    connect(mnu_opensite, &QAction::triggered, this, &RowCommands::openSite);

    mnu_editrow = new QAction(QStringLiteral("Edit This Listing..."), window);
    mnu_editrow->setObjectName(QStringLiteral("mnu_editrow"));
    connect(mnu_editrow, &QAction::triggered, this, &RowCommands::editRow);
    mnu_deleterow = new QAction(QStringLiteral("Delete This Listing..."), window);
    mnu_deleterow->setObjectName(QStringLiteral("mnu_deleterow"));
    connect(mnu_deleterow, &QAction::triggered, this, &RowCommands::deleteRow);

    mnu_row_menu = new QMenu(window);
    mnu_row_menu->setObjectName(QStringLiteral("mnu_row_menu"));
    mnu_row_menu->addAction(mnu_copypassword);
    mnu_row_menu->addAction(mnu_copyuser);
    mnu_row_menu->addAction(mnu_copysite);
    m_openSiteDash = mnu_row_menu->addSeparator();
    m_openSiteDash->setObjectName(QStringLiteral("mnu_row_dash"));
    mnu_row_menu->addAction(mnu_opensite);
    mnu_row_menu->addSeparator()->setObjectName(QStringLiteral("mnu_row_dash2"));
    mnu_row_menu->addAction(mnu_editrow);
    mnu_row_menu->addAction(mnu_deleterow);

    connect(grid, &PasswordGrid::RowMenu, this, &RowCommands::showRowMenu);
}

bool RowCommands::copyCell(int column)
{
    const int row = m_grid->currentListingRow();
    if (row == 0)
        return false;
    const QString& cell = m_grid->listingModel()->cell(row - 1, column);
    m_clipboard->copy(TrimSpaces(StripNul(cell)), column != ListingModel::kSiteColumn);
    const QString site = TrimSpaces(StripNul(m_grid->listingModel()->cell(row - 1, ListingModel::kSiteColumn)));
    const QString field = column == ListingModel::kSiteColumn   ? QStringLiteral("Web site")
                          : column == ListingModel::kUserColumn ? QStringLiteral("User name")
                                                                : QStringLiteral("Password");
    emit copied(column == ListingModel::kSiteColumn ? QStringLiteral("Web site %1").arg(site)
                                                    : QStringLiteral("%1 of %2").arg(field, site));
    return true;
}

void RowCommands::showRowMenu(const QPoint& globalPos)
{
    const int row = m_grid->currentListingRow();
    if (row == 0)
        return;
    // Offered only where a double-click on the web site would open one.
    const bool hasSite = WebAddressOf(m_grid->listingModel()->cell(row - 1, ListingModel::kSiteColumn)).has_value();
    mnu_opensite->setVisible(hasSite);
    m_openSiteDash->setVisible(hasSite);
    mnu_row_menu->popup(globalPos);
}

void RowCommands::openSite()
{
    const int row = m_grid->currentListingRow();
    if (row == 0)
        return;
    LaunchWebsite(ListingModel::kSiteColumn, m_grid->listingModel()->cell(row - 1, ListingModel::kSiteColumn));
}

void RowCommands::editRow()
{
    const int row = m_grid->currentListingRow();
    if (row == 0)
        return;
    frm_edit::showChosen(m_grid, QString::number(row), m_clipboard);
}

void RowCommands::deleteRow()
{
    const int row = m_grid->currentListingRow();
    if (row == 0)
        return;
    const QString site = TrimSpaces(StripNul(m_grid->listingModel()->cell(row - 1, ListingModel::kSiteColumn)));
    const QString named = site.isEmpty() ? QStringLiteral("listing %1").arg(row)
                                         : QStringLiteral("listing %1, \"%2\"").arg(row).arg(site);
    // Rows may move or go while the question is open: follow the listing.
    const QPersistentModelIndex listing(m_grid->listingModel()->index(row - 1, 0));
    if (!MsgBox::ask(QStringLiteral("Delete %1?").arg(named), QStringLiteral("Delete This Listing"),
                     MsgBox::Default::No)
        || !listing.isValid())
        return;
    m_grid->RemoveItem(listing.row() + 1);
    RenumberRows(*m_grid);
}
