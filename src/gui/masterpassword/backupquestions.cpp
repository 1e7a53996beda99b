#include "gui/masterpassword/backupquestions.h"

#include "core/masterpassword/strongprotection.h"
#include "core/masterpassword/weakbackups.h"
#include "gui/ui/busy.h"
#include "gui/ui/msgbox.h"

#include <utility>

namespace BackupQuestions {
namespace {

using WeakBackups::Verdict;

const QString kCannotWipe = QStringLiteral("Removing them cannot wipe what the disk may still hold of them.");

QString lines(const WeakBackups::Backups& backups)
{
    return WeakBackups::names(backups).join(QLatin1Char('\r'));
}

QString checkedQuestion(const WeakBackups::Backups& covered, const WeakBackups::Backups& kept, bool strong)
{
    QString text = QStringLiteral("Vellamar kept these copies of earlier files under your old master password. "
                                  "Anyone who reads those files can recover the old password and the list as it "
                                  "was.\r");
    if (!covered.empty())
        text += QStringLiteral("\rEvery listing they hold is in your list:\r%1\r").arg(lines(covered));
    if (!kept.empty()) {
        text += (strong ? QStringLiteral("\rThese hold listings your list does not: each is first sealed under your "
                                         "new password as \"kxplst-backup-<date>-<time>.vault\":\r%1\r")
                        : QStringLiteral("\rThese hold listings your list does not: each is first copied under your "
                                         "new password as a new \"kxplst-backup-<date>-<time>.ene\":\r%1\r"))
                    .arg(lines(kept));
    }
    return text + QStringLiteral("\rRemove them now? ") + kCannotWipe;
}

void report(const WeakBackups::Settled& settled, const QString& caption)
{
    if (!settled.failures.isEmpty())
        MsgBox::show(
            QStringLiteral("Some copies could not be removed.\r%1").arg(settled.failures.join(QLatin1Char('\r'))),
            caption);
}

} // namespace

void settle(const DataFolder& folder, const QList<Listing>& listings, const Change& change, bool& busy,
            const QString& caption)
{
    WeakBackups::Backups checked;
    // Sealed copies take a derivation each salt.
    Busy::run(busy, [&] { checked = WeakBackups::survey(folder, listings, change.oldPassword, change.sealedCopies); });
    WeakBackups::Backups unreadable = WeakBackups::take(&checked, Verdict::Unreadable);
    // The intro leads the first message, whichever that is.
    QString lead = change.intro.isEmpty() ? QString() : change.intro + QStringLiteral("\r\r");
    if (!checked.empty()) {
        WeakBackups::Backups kept = WeakBackups::take(&checked, Verdict::NotInList);
        if (MsgBox::ask(std::exchange(lead, QString()) + checkedQuestion(checked, kept, change.strong), caption,
                        MsgBox::Default::Yes)) {
            WeakBackups::Reseal reseal;
            std::optional<Vault::Session> session;
            const bool sealsCopies = change.strong && !kept.empty();
            if (sealsCopies) {
                // One key, with a salt of its own, for every copy sealed now.
                Busy::run(busy, [&] { session = StrongProtection::newSession(change.newPassword); });
                reseal.session = session ? &*session : nullptr;
            }
            reseal.password = change.newPassword;
            for (WeakBackups::Backup& backup : kept)
                checked.push_back(std::move(backup));
            if (sealsCopies && !session)
                MsgBox::show(QStringLiteral("No copy was removed: no key could be made from the new password (not "
                                            "enough memory?)."),
                             caption);
            else
                report(WeakBackups::settle(folder, checked, reseal), caption);
        }
    }
    if (unreadable.empty()) {
        if (!change.intro.isEmpty() && !lead.isEmpty())
            MsgBox::show(change.intro, caption);
        return;
    }
    if (MsgBox::ask(lead
                        + QStringLiteral("These copies of earlier files could not be checked against your list:\r%1\r\r"
                                         "Anyone who reads them may recover an earlier master password and listings. "
                                         "Remove them anyway? ")
                              .arg(lines(unreadable))
                        + kCannotWipe,
                    caption))
        report(WeakBackups::settle(folder, unreadable, {}), caption);
}

} // namespace BackupQuestions
