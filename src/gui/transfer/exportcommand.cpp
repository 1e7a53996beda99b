#include "gui/transfer/exportcommand.h"

#include "core/session/listsession.h"
#include "core/storage/secrettext.h"
#include "core/storage/textutil.h"
#include "core/transfer/csvexport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ExportCommand {
namespace {

PathAnswer testAnswer;

const QString kCaption = QStringLiteral("Export");

// Whether typed is the master password in force; says why not.
bool passwordIsRight(ListSession& session)
{
    std::optional<QString> typed =
        PasswordPrompt::ask(QStringLiteral("Type your master password to export the list."), kCaption);
    if (!typed)
        return false;
    QString entry = TrimSpaces(*typed);
    const ListSession::Check check = session.checkPassword(entry);
    // entry may share typed's characters: let it go first, so typed is
    // their last holder when it is wiped.
    wipeText(entry);
    wipeText(*typed);
    if (!check.result) {
        MsgBox::show(QStringLiteral("The list was not exported.\r%1").arg(check.result.error), kCaption);
        return false;
    }
    if (!check.matches)
        MsgBox::show(QStringLiteral("Sorry password entered is in-correct"), QStringLiteral("Sorry"));
    return check.matches;
}

bool userAcceptsClearText()
{
    return MsgBox::ask(QStringLiteral("The exported file will hold every password of your list in clear: anyone "
                                      "who can read the file can read them all.\r"
                                      "Delete it as soon as you are done with it.\r\r"
                                      "Export the list?"),
                       kCaption, MsgBox::Default::No);
}

QString choosePath(QWidget* parent, const QString& start)
{
    if (testAnswer)
        return testAnswer(start);
    QFileDialog dialog(parent, kCaption, start, QStringLiteral("CSV files (*.csv)"));
    dialog.setObjectName(QStringLiteral("dlg_export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// A path outside the program's own folders, or nothing when the user cancels.
QString chooseOutsideOwnFolders(QWidget* parent, const ListSession& session)
{
    QString start = suggestedPath();
    for (;;) {
        const QString path = choosePath(parent, start);
        if (path.isEmpty())
            return {};
        const QString own = CsvExport::ownFolderHolding(session.folder(), path);
        if (own.isEmpty())
            return path;
        MsgBox::show(QStringLiteral("\"%1\" is a folder of the program's own, which keeps the list; the export is "
                                    "not written there.\rPlease choose another folder.")
                         .arg(own),
                     kCaption);
        start = QDir::home().filePath(QFileInfo(path).fileName());
    }
}

} // namespace

QString suggestedPath()
{
    return QDir::home().filePath(QStringLiteral("vellamar-export.csv"));
}

bool run(QWidget* parent, ListSession& session)
{
    if (!passwordIsRight(session) || !userAcceptsClearText())
        return false;
    const QString path = chooseOutsideOwnFolders(parent, session);
    if (path.isEmpty())
        return false;
    const QString shown = QDir::toNativeSeparators(path);
    const StorageResult written = CsvExport::write(path, session.listings());
    if (!written.inPlace) {
        MsgBox::show(QStringLiteral("The list was not exported to \"%1\".\r%2").arg(shown, written.error), kCaption);
        return false;
    }
    const qsizetype count = session.listings().size();
    const QString listings = count == 1 ? QStringLiteral("1 listing") : QStringLiteral("%1 listings").arg(count);
    QString done = QStringLiteral("The list (%1) was exported to \"%2\".\r"
                                  "The file holds every password in clear: delete it as soon as you are done with it.")
                       .arg(listings, shown);
    // The file is there, only its folder's sync failed: it must still be
    // deleted, so this is no failure to the user.
    if (!written)
        done += QStringLiteral("\r%1").arg(written.error);
    MsgBox::show(done, kCaption);
    return true;
}

void setPathAnswerForTesting(PathAnswer answer)
{
    testAnswer = std::move(answer);
}

} // namespace ExportCommand
