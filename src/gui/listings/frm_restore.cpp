#include "gui/listings/frm_restore.h"

#include "core/session/listsession.h"
#include "gui/listings/listio.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/busy.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/twips.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString kRestoreCaption = QStringLiteral("Restore From Backup");

QString nameOf(const ListBackups::Backup& backup)
{
    return QFileInfo(backup.path).fileName();
}

QString momentOf(const ListBackups::Backup& backup)
{
    return backup.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Whether two lists would be stored as the same bytes.
bool sameBytes(const QList<Listing>& a, const QList<Listing>& b)
{
    SecretBytes first;
    SecretBytes second;
    return ListFile::serialize(a, &first) && ListFile::serialize(b, &second) && first.bytes() == second.bytes();
}

// Puts listings in the grid in place of every row it holds.
void replaceRows(PasswordGrid& grid, const QList<Listing>& listings)
{
    while (grid.Rows() > 1)
        grid.RemoveItem(grid.Rows() - 1);
    grid.appendListings(listings, 1);
    grid.setRow(grid.Rows() > 1 ? 1 : 0);
    grid.scrollToTop();
}

} // namespace

frm_restore* frm_restore::showOnce(ListSession& session, PasswordGrid* grid)
{
    return Forms::showOnce(s_instance, [&session, grid] { return new frm_restore(session, grid); });
}

frm_restore::frm_restore(ListSession& session, PasswordGrid* grid)
    : m_session(session)
    , m_grid(grid)
{
    Forms::setUpWindow(this, "frm_restore", kRestoreCaption);
    Forms::setClientSize(this, 6255, 3855);
    Label1 = Forms::addLabel(this, "Label1",
                             QStringLiteral("Copies of your list that Vellamar kept. Choose one and type the password "
                                            "it was kept under (not needed when its password file was kept too)."),
                             120, 120, 6015, 495);
    lst_backups = new QTreeWidget(this);
    lst_backups->setObjectName(QStringLiteral("lst_backups"));
    lst_backups->setGeometry(Twips::rect(120, 720, 6015, 1815));
    lst_backups->setColumnCount(3);
    lst_backups->setHeaderLabels({QStringLiteral("Kept"), QStringLiteral("Kind"), QStringLiteral("Size")});
    lst_backups->setRootIsDecorated(false);
    lst_backups->setAllColumnsShowFocus(true);
    lst_backups->setColumnWidth(0, Twips::toPixels(2055));
    lst_backups->setColumnWidth(1, Twips::toPixels(1935));
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Password"), 120, 2760, 1095, 255);
    txt_password = Forms::addPasswordBox(this, "txt_password", 1320, 2700, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("&Restore..."), 3480, 3360, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 4920, 3360, 1215, 375);
    // The desktop's keys: Return the default button, Escape cancels.
    Command1->setDefault(true);
    Forms::bindReturnAndEscape(this, Command1, Command2);
    fillList();
    Forms::setTabOrder({lst_backups, txt_password, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_restore::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_restore::Command2_Click);
}

void frm_restore::fillList()
{
    m_backups = ListBackups::find(m_session.folder());
    const QLocale locale;
    for (const ListBackups::Backup& backup : m_backups) {
        auto* item = new QTreeWidgetItem(lst_backups);
        item->setText(0, momentOf(backup));
        item->setText(1, backup.kind == ListBackups::Kind::Vault ? QStringLiteral("strong protection")
                                                                 : QStringLiteral("earlier format"));
        item->setText(2, locale.formattedDataSize(backup.size, 1, QLocale::DataSizeTraditionalFormat));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, nameOf(backup));
    }
    if (m_backups.isEmpty()) {
        auto* item = new QTreeWidgetItem(lst_backups);
        item->setText(0, QStringLiteral("No backup of the list is kept here."));
        item->setFlags(Qt::NoItemFlags);
        Command1->setEnabled(false);
        return;
    }
    lst_backups->setCurrentItem(lst_backups->topLevelItem(0));
}

void frm_restore::Command1_Click()
{
    if (m_busy || !Command1->isEnabled())
        return;
    const int chosen = lst_backups->indexOfTopLevelItem(lst_backups->currentItem());
    if (chosen < 0 || chosen >= m_backups.size()) {
        MsgBox::show(QStringLiteral("Choose a backup first."), kRestoreCaption);
        lst_backups->setFocus();
        return;
    }
    const ListBackups::Backup backup = m_backups.at(chosen);
    const std::optional<QList<Listing>> listings = readChosen(backup);
    if (!listings)
        return;
    // The earlier format cannot prove a password: a near miss reads as
    // other characters. The first site lets the user see which it is.
    const QString first =
        listings->isEmpty() ? QString() : QStringLiteral(" The first is \"%1\".").arg(listings->first().site.trimmed());
    const QString count =
        listings->size() == 1 ? QStringLiteral("1 listing") : QStringLiteral("%1 listings").arg(listings->size());
    if (!MsgBox::ask(QStringLiteral("The backup \"%1\" of %2 holds %3.%4\r\r"
                                    "Make it your list? Your list as it is now is kept as a backup first.")
                         .arg(nameOf(backup), momentOf(backup), count, first),
                     kRestoreCaption))
        return;
    restore(backup, *listings);
}

std::optional<QList<Listing>> frm_restore::readChosen(const ListBackups::Backup& backup)
{
    // The password file of the same moment needs no question.
    ListBackups::Contents contents = ListBackups::readWithKeptPassword(backup);
    if (contents.status != ListBackups::Status::Opened) {
        const QString entry = txt_password->text();
        if (entry.isEmpty()) {
            MsgBox::show(QStringLiteral("Type the password of the backup \"%1\".").arg(nameOf(backup)),
                         kRestoreCaption);
            txt_password->setFocus();
            return std::nullopt;
        }
        Busy::run(m_busy, [&] { contents = ListBackups::read(backup, entry); });
    }
    switch (contents.status) {
    case ListBackups::Status::Opened:
        txt_password->clear();
        return contents.listings;
    case ListBackups::Status::WrongPassword:
        MsgBox::show(QStringLiteral("The password does not open the backup \"%1\".").arg(nameOf(backup)),
                     kRestoreCaption);
        txt_password->clear();
        txt_password->setFocus();
        return std::nullopt;
    case ListBackups::Status::Damaged:
    case ListBackups::Status::Unreadable:
        break;
    }
    MsgBox::show(QStringLiteral("The backup \"%1\" cannot be read: %2.").arg(nameOf(backup), contents.reason),
                 kRestoreCaption);
    return std::nullopt;
}

void frm_restore::restore(const ListBackups::Backup& backup, const QList<Listing>& listings)
{
    if (!m_grid) {
        close();
        return;
    }
    const QList<Listing> current = m_grid->listings();
    QString keptName;
    if (!sameBytes(current, listings)) {
        const ListBackups::Kept kept = m_session.keepAsBackup(current, QDateTime::currentDateTime());
        if (!kept.result) {
            MsgBox::show(QStringLiteral("Nothing was changed: your list could not be kept as a backup first.\r%1")
                             .arg(kept.result.error),
                         kRestoreCaption);
            return;
        }
        keptName = QFileInfo(kept.path).fileName();
    }
    replaceRows(*m_grid, listings);
    if (auto saved = SaveList(m_session, *m_grid); !saved) {
        replaceRows(*m_grid, current);
        MsgBox::show(QStringLiteral("Your list stays as it was: the backup could not be saved as your list.\r%1")
                         .arg(saved.error),
                     kRestoreCaption);
        return;
    }
    QString text =
        QStringLiteral("Your list is now the backup of %1: %2 listings.").arg(momentOf(backup)).arg(listings.size());
    if (!keptName.isEmpty())
        text += QStringLiteral("\rThe list it replaced was kept as \"%1\".").arg(keptName);
    close();
    MsgBox::show(text, kRestoreCaption);
}

void frm_restore::Command2_Click()
{
    if (!m_busy)
        close();
}

void frm_restore::closeEvent(QCloseEvent* event)
{
    // Not while a key is being derived for this dialog.
    if (m_busy) {
        event->ignore();
        return;
    }
    txt_password->clear();
    QWidget::closeEvent(event);
}
