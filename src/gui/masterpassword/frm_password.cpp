#include "gui/masterpassword/frm_password.h"

#include "core/masterpassword/strongprotection.h"
#include "core/session/listsession.h"
#include "core/storage/datafiles.h"
#include "core/storage/secrettext.h"
#include "core/storage/startup.h"
#include "gui/masterpassword/backupquestions.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QDir>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_password::frm_password(ListSession& session, std::function<bool()> openList, QStringList startNotes)
    : m_session(session)
    , m_openList(std::move(openList))
    , m_startNotes(std::move(startNotes))
{
    Forms::setUpWindow(this, "frm_password", QStringLiteral("Enter Password"));
    Forms::setClientSize(this, 3990, 1350);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Password"), 120, 360, 855, 255);
    txt_password = Forms::addPasswordBox(this, "txt_password", 1080, 240, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("Enter"), 720, 840, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2160, 840, 1215, 375);

    Forms::setTabOrder({txt_password, Command1, Command2});
    // A vault's password may be longer than the list file's.
    if (Startup::inspectVault(session.folder()).state == Startup::VaultState::Sealed)
        PasswordBoxes::takeSealedPasswords({txt_password});

    connect(Command1, &QPushButton::clicked, this, &frm_password::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_password::Command2_Click);
}

void frm_password::Command1_Click()
{
    if (m_busy || m_session.working())
        return;
    const DataFolder& folder = m_session.folder();
    // Passed as typed: the described pair compares it exactly, the vault
    // leaves spaces at its ends out, as its set-up did.
    const QString entry = txt_password->text();
    // The vault is tried first, then the described pair beside it.
    const Startup::VaultFound vault = Startup::inspectVault(folder);
    if (vault.state == Startup::VaultState::Sealed) {
        const StrongProtection::Unlocked unlocked = m_session.unlockVault(entry);
        if (!unlocked.result)
            Fault::stop(unlocked.result.error);
        if (unlocked.opened) {
            txt_password->clear();
            // A pair beside it that the same entry opens is another
            // version of the list (one machine on each format): merged in,
            // then kept as a backup like any pair beside a vault.
            const bool pairOpens = Startup::hasPair(folder) && DataFiles::storedPasswordIs(folder, entry);
            const StrongProtection::KeptAside kept = StrongProtection::keepPairAside(folder);
            if (pairOpens && !kept.listMovedTo.isEmpty())
                m_session.mergeAtNextLoad(kept.listMovedTo, entry);
            QStringList notes = m_startNotes;
            if (!unlocked.note.isEmpty())
                notes.append(unlocked.note);
            if (!kept.note.isEmpty())
                notes.append(kept.note);
            openAndTell(notes, kept.weakCopiesKept ? &entry : nullptr);
            return;
        }
    }
    // Beside a vault, half a pair opens nothing.
    if (vault.state != Startup::VaultState::Absent && !Startup::hasPair(folder)) {
        if (vault.state == Startup::VaultState::Sealed)
            refuse();
        else
            tellDamage(vault);
        return;
    }
    // An empty stored password never unlocks.
    const ListSession::PairUnlocked unlocked = m_session.unlockPair(entry);
    if (!unlocked.result)
        Fault::stop(unlocked.result.error);
    if (unlocked.opened) {
        QStringList notes = m_startNotes;
        if (vault.state != Startup::VaultState::Absent)
            notes.append(StrongProtection::keepVaultAside(folder, vault));
        openAndTell(notes);
        return;
    }
    refuse();
}

void frm_password::tellDamage(const Startup::VaultFound& vault)
{
    // No password can open it: saying the entry was wrong would mislead.
    const QString what =
        vault.state == Startup::VaultState::Damaged ? QStringLiteral("is damaged") : QStringLiteral("cannot be read");
    MsgBox::show(QStringLiteral("The sealed list \"%1\" %2: %3.\rNothing was changed.")
                     .arg(QDir::toNativeSeparators(m_session.folder().vaultShownPath()), what, vault.why),
                 QStringLiteral("Vellamar"));
    close();
}

void frm_password::openAndTell(QStringList notes, const QString* entryForWeakCopies)
{
    // A lock while the list's first message was up closes every window,
    // this one too: it may be gone when the list is.
    const QPointer<frm_password> self(this);
    const bool opened = m_openList();
    if (!self || !opened)
        return;
    m_startNotes.clear();
    if (const QString merged = m_session.lastMerge().note; !merged.isEmpty())
        notes.append(merged);
    const QString told = notes.join(QStringLiteral("\r\r"));
    if (entryForWeakCopies) {
        // The pair kept aside is weak, like the copies turning on leaves:
        // the same question settles them (a kxpwfl-backup of the pair's
        // moment answers when its password was another).
        const BackupQuestions::Change change {*entryForWeakCopies, *entryForWeakCopies, true, false, told};
        BackupQuestions::settle(m_session.folder(), m_session.listings(), change, m_busy, QStringLiteral("Vellamar"));
    } else if (!told.isEmpty()) {
        MsgBox::show(told, QStringLiteral("Vellamar"));
    }
    close();
}

void frm_password::refuse()
{
    MsgBox::show(QStringLiteral("Sorry password entered is in-correct"), QStringLiteral("Sorry"));
    txt_password->clear();
    txt_password->setFocus();
    ++WrongEntryCount;
    if (WrongEntryCount == 3) {
        MsgBox::show(QStringLiteral("Thieving bastages"), QStringLiteral("So couldn't get in huh."));
        close();
    }
}

void frm_password::Command2_Click()
{
    if (!m_busy && !m_session.working())
        close();
}
