#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/setupstore.h"
#include "core/masterpassword/strongprotection.h"
#include "core/session/listsession.h"
#include "core/storage/module1.h"
#include "core/storage/vault.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/busy.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include "benchlistings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <chrono>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <optional>

// What the user waits for on the real windows, from the click to what the
// user sees next:
// - Lock/Close, until the goodbye box: 100,000 listings should cost at most
//   1.5 times a bare QSaveFile write of their bytes more than one listing
//   does (BM_WindowLockClose/100000 - BM_WindowLockClose/1 against
//   BM_WindowBareSaveFile/100000);
// - Enter in the unlock dialog, until the grid has painted once: at most
//   250 ms for 100,000 listings (BM_WindowUnlock/100000);
// - the same with strong protection: at most one derivation plus the
//   described unlock of as many listings plus 50 ms
//   (BM_WindowUnlockVault/10000 against BM_WindowDeriveOnce and
//   BM_WindowUnlock/10000);
// - Import... of a 10 MB CSV file of 50,000 log-ins under strong
//   protection, from the file chosen to the summary plus from the
//   confirmation to the save done: at most 1 s (BM_WindowImport/50000).
// Wall time of each click alone (manual timing); the folder is written once
// per run and the window set up between the clicks, both untimed. Built as
// vellamar_window_bench, which frees memory as the installed program does.

namespace {

using Clock = std::chrono::steady_clock;

const QString kPassword = QStringLiteral("benchKey1");

// ---- Driving the windows: the only code that knows how they are made ----

// The open list, as the program's start owns it: slow work off the GUI
// thread.
ListSession& Session()
{
    static ListSession session({}, [](const std::function<void()>& work) { Busy::wait(work); });
    return session;
}

// What the fault seam throws: the program would have ended there.
struct Stopped { };

// Runs what is posted, deletions included, so closed windows are gone.
void Settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The unlock dialog as the start shows it for a folder that holds a list.
QPointer<frm_password> ShowUnlockDialog()
{
    auto* dialog = new frm_password(Session(), [] { return frm_list::open(Session()) != nullptr; });
    Forms::showCentred(dialog);
    Settle();
    return dialog;
}

void TypePassword(frm_password* dialog, const QString& password)
{
    dialog->txt_password->setText(password);
}

void ClickEnter(frm_password* dialog)
{
    try {
        dialog->Command1->click();
    } catch (const Stopped&) {
        // Recorded by the seam; the run reports it.
    }
}

// The listing window over the described list, as a right entry opens it.
frm_list* OpenListWindow(const QString& password)
{
    Session().useKeyForTesting(password);
    try {
        return frm_list::open(Session());
    } catch (const Stopped&) {
        return nullptr;
    }
}

// The listing window the program has open, if any.
frm_list* OpenedListWindow()
{
    frm_list* list = frm_list::instance();
    return list && list->isVisible() ? list : nullptr;
}

void ClickLockClose(frm_list* list)
{
    list->cmd_lock->click();
}

// Deletes every window left without closing it (a close would save) and
// forgets the key: a run that went wrong may have stopped halfway.
void DropAllWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        windows.append(widget);
    for (const auto& widget : windows)
        delete widget.data();
    Settle();
    Session().forget();
}

// As in a program that has just started: what earlier iterations freed goes
// back to the system, so that the next one pays for fresh pages as the
// user's first unlock does. Without this, iterations reuse a warm heap and
// run several times faster than any real start.
void ForgetWarmHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// ---- Observing them ----

// Notices the first paint of a listing grid: the grid is made inside the
// timed click, so it can only be watched for program-wide.
class GridPaintWatch : public QObject {
public:
    GridPaintWatch() { qApp->installEventFilter(this); }
    ~GridPaintWatch() override { qApp->removeEventFilter(this); }
    void reset() { m_painted = false; }

    // Runs the event loop until a grid has painted; false when none did
    // within a generous bound (the window never showed).
    bool waitForPaint()
    {
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (!m_painted && Clock::now() < giveUp)
            QCoreApplication::processEvents();
        return m_painted;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The cells are painted on the grid's viewport.
        if (event->type() == QEvent::Paint) {
            const auto* grid = qobject_cast<PasswordGrid*>(watched->parent());
            if (grid && watched == grid->viewport())
                m_painted = true;
        }
        return false;
    }

private:
    bool m_painted = false;
};

// Message boxes and faults recorded instead of shown or ending the run; the
// goodbye is timed, anything else is a failure of the run.
class Seams {
public:
    Seams()
    {
        MsgBox::setObserverForTesting([this](const QString& text, const QString&) {
            if (text == QLatin1String("Bye.."))
                bye = Clock::now();
            else
                unexpected.append(text);
        });
        Fault::setHandlerForTesting([this](const QString& message) {
            unexpected.append(message);
            throw Stopped {};
        });
    }
    ~Seams()
    {
        MsgBox::setObserverForTesting({});
        Fault::setHandlerForTesting({});
    }
    Seams(const Seams&) = delete;
    Seams& operator=(const Seams&) = delete;

    // Reports the first unexpected message as the run's error; true when
    // there was none.
    bool check(benchmark::State& state) const
    {
        if (unexpected.isEmpty())
            return true;
        state.SkipWithError(qPrintable(unexpected.first()));
        return false;
    }

    std::optional<Clock::time_point> bye;
    QStringList unexpected;
};

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

// ---- The folders ----

enum class Protection { Described, Strong };

// A data folder of its own, made the program's folder, holding count
// listings under kPassword, written by the program's own writers so that it
// is what a user has: the password file and the ciphered list, or with
// strong protection the vault alone, sealed with the parameters a save
// writes today.
class ListFolder {
public:
    ListFolder(benchmark::State& state, Protection protection, int count)
    {
        if (!m_dir.isValid()) {
            state.SkipWithError("no temporary folder");
            return;
        }
        Module1::SetAppDir(m_dir.path());
        const QList<Listing> listings = MakeListings(count);
        StorageResult written;
        if (protection == Protection::Described) {
            written = SetupStore::commit(Module1::Folder, kPassword).result;
            if (written)
                written = ListFile::save(Module1::Folder, listings, kPassword);
        } else {
            std::optional<Vault::Session> session = StrongProtection::newSession(kPassword);
            if (!session || !(session->params == Vault::writtenParams())) {
                state.SkipWithError("no key with the parameters a save writes");
                return;
            }
            written = VaultList::save(Module1::Folder, *session, listings);
        }
        if (!written) {
            state.SkipWithError(qPrintable(written.error));
            return;
        }
        // As a new start finds it.
        Module1::SetAppDir(m_dir.path());
        Session().setFolder(Module1::Folder);
        m_files = files();
        const QStringList expected = protection == Protection::Described
                                         ? QStringList {QStringLiteral("kxplst.ene"), QStringLiteral("kxpwfl.ene")}
                                         : QStringList {QStringLiteral("kxplst.vault")};
        if (m_files != expected) {
            state.SkipWithError("the folder does not hold what was written");
            return;
        }
        m_ok = true;
    }

    bool ok() const { return m_ok; }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The runs must leave the files they found: otherwise the next
    // iteration times something else.
    bool unchanged(benchmark::State& state) const
    {
        if (files() == m_files)
            return true;
        state.SkipWithError(qPrintable(QStringLiteral("the folder changed: ") + files().join(' ')));
        return false;
    }

private:
    QTemporaryDir m_dir;
    QStringList m_files;
    bool m_ok = false;
};

// ---- The benchmarks ----

// From the click on Lock/Close to the goodbye box: the list saved, every
// box and cell wiped, the key forgotten.
void BM_WindowLockClose(benchmark::State& state)
{
    const int count = int(state.range(0));
    Seams seams;
    ListFolder folder(state, Protection::Described, count);
    if (!folder.ok())
        return;
    const QByteArray listBytes = folder.read(QStringLiteral("kxplst.ene"));
    GridPaintWatch watch;

    for (auto _ : state) {
        ForgetWarmHeap();
        watch.reset();
        frm_list* list = OpenListWindow(kPassword);
        if (!list || !watch.waitForPaint() || list->grd_password->Rows() != count + 1) {
            if (seams.check(state))
                state.SkipWithError("the listing window did not open over the list");
            break;
        }
        seams.bye.reset();

        const Clock::time_point start = Clock::now();
        ClickLockClose(list);
        if (!seams.bye) {
            if (seams.check(state))
                state.SkipWithError("no goodbye");
            break;
        }
        state.SetIterationTime(Seconds(*seams.bye - start));

        Settle();
        if (OpenedListWindow()) {
            state.SkipWithError("the listing window stayed open");
            break;
        }
    }
    DropAllWindows();
    if (seams.check(state) && folder.unchanged(state) && folder.read(QStringLiteral("kxplst.ene")) != listBytes)
        state.SkipWithError("Lock/Close saved other listings");
    state.counters["listings"] = count;
}

// The yardstick for Lock/Close: the same number of bytes written with a bare
// QSaveFile in the same folder.
void BM_WindowBareSaveFile(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListFolder folder(state, Protection::Described, count);
    if (!folder.ok())
        return;
    const QByteArray bytes = folder.read(QStringLiteral("kxplst.ene"));
    if (bytes.size() != qsizetype(count) * ListFile::kRecordLength) {
        state.SkipWithError("the list file has the wrong size");
        return;
    }
    const QString target = folder.path(QStringLiteral("bare.bin"));

    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        QSaveFile file(target);
        const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (!written) {
            state.SkipWithError("the bare write failed");
            break;
        }
    }
    state.counters["listings"] = count;
}

// From the click on Enter, the right password typed, to the first paint of
// the grid in the listing window. Each iteration ends, untimed, with
// Lock/Close, so the next starts with no key, as a new start does.
void RunUnlock(benchmark::State& state, Protection protection)
{
    const int count = int(state.range(0));
    Seams seams;
    ListFolder folder(state, protection, count);
    if (!folder.ok())
        return;
    GridPaintWatch watch;

    for (auto _ : state) {
        ForgetWarmHeap();
        QPointer<frm_password> dialog = ShowUnlockDialog();
        TypePassword(dialog, kPassword);
        watch.reset();

        const Clock::time_point start = Clock::now();
        ClickEnter(dialog);
        // The window opens within the click, or not at all.
        const bool painted = OpenedListWindow() && watch.waitForPaint();
        state.SetIterationTime(Seconds(Clock::now() - start));

        frm_list* list = OpenedListWindow();
        if (!painted || !list || list->grd_password->Rows() != count + 1) {
            // A message the unlock showed says best why.
            if (seams.check(state))
                state.SkipWithError("the listing window did not show the list");
            break;
        }
        Settle();
        if (dialog) {
            state.SkipWithError("the unlock dialog stayed open");
            break;
        }
        ClickLockClose(list);
        Settle();
        if (!seams.bye || OpenedListWindow()) {
            state.SkipWithError("the listing window did not close");
            break;
        }
        seams.bye.reset();
    }
    DropAllWindows();
    if (seams.check(state))
        folder.unchanged(state);
    state.counters["listings"] = count;
}

void BM_WindowUnlock(benchmark::State& state)
{
    RunUnlock(state, Protection::Described);
}

void BM_WindowUnlockVault(benchmark::State& state)
{
    RunUnlock(state, Protection::Strong);
}

// One derivation of a vault's key with the parameters a save writes: what
// the vault's unlock cannot do without.
void BM_WindowDeriveOnce(benchmark::State& state)
{
    // ASCII: its Windows-1252 bytes are its Latin-1 bytes.
    const QByteArray passwordBytes = kPassword.toLatin1();
    const Vault::Salt salt = Vault::newSalt();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const auto key = Vault::deriveKey(passwordBytes, Vault::writtenParams(), salt);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (!key || !key->isValid()) {
            state.SkipWithError("no key");
            break;
        }
    }
}

// Tools -> Import... of a 10 MB export of 50,000 log-ins into an empty list
// under strong protection, the user's time excluded: from the file chosen
// to the summary shown ("summary_ms"), plus from the confirmation to the
// save done, when the removal of the file is offered ("save_ms"). The goal
// is at most 1 s for both. The vault's key is derived once, untimed; each
// iteration opens the window again over the empty vault.
void BM_WindowImport(benchmark::State& state)
{
    const int rows = int(state.range(0));
    Seams seams;
    ListFolder folder(state, Protection::Strong, 0);
    if (!folder.ok())
        return;
    const QString vaultPath = folder.path(QStringLiteral("kxplst.vault"));
    const QByteArray emptyVault = folder.read(QStringLiteral("kxplst.vault"));
    QTemporaryDir downloads;
    const QString csvPath = downloads.filePath(QStringLiteral("export.csv"));
    QFile csv(csvPath);
    const QByteArray csvBytes = MakeCsvExport(rows);
    if (!csv.open(QIODevice::WriteOnly) || csv.write(csvBytes) != csvBytes.size() || !csv.flush()) {
        state.SkipWithError("the CSV file could not be written");
        return;
    }
    csv.close();
    if (!Session().unlockVault(kPassword).opened) {
        state.SkipWithError("the vault did not open");
        return;
    }
    std::optional<Clock::time_point> summaryShown;
    std::optional<Clock::time_point> saved;
    MsgBox::setObserverForTesting([&](const QString& text, const QString&) {
        if (text.endsWith(QLatin1String("Import them?"))) {
            summaryShown = Clock::now();
            MsgBox::setAnswerForTesting(true);
        } else if (text.endsWith(QLatin1String("Remove it now?"))) {
            saved = Clock::now();
            MsgBox::setAnswerForTesting(false);
        } else {
            seams.unexpected.append(text);
        }
    });
    double summarySeconds = 0;
    double saveSeconds = 0;
    for (auto _ : state) {
        QFile vault(vaultPath);
        if (!vault.open(QIODevice::WriteOnly | QIODevice::Truncate) || vault.write(emptyVault) != emptyVault.size()) {
            state.SkipWithError("the empty vault could not be put back");
            break;
        }
        vault.close();
        frm_list* list = nullptr;
        try {
            list = frm_list::open(Session());
        } catch (const Stopped&) {
        }
        if (!list || list->grd_password->Rows() != 1) {
            if (seams.check(state))
                state.SkipWithError("the listing window did not open over the empty vault");
            break;
        }
        Settle();
        ForgetWarmHeap();
        summaryShown.reset();
        saved.reset();

        const Clock::time_point start = Clock::now();
        const bool imported = list->importFrom(csvPath);
        if (!imported || !summaryShown || !saved || list->grd_password->Rows() != rows + 1) {
            if (seams.check(state))
                state.SkipWithError("the import did not add every row");
            break;
        }
        state.SetIterationTime(Seconds(*saved - start));
        summarySeconds += Seconds(*summaryShown - start);
        saveSeconds += Seconds(*saved - *summaryShown);
        // Deleted, not closed: a close would save again and forget the key.
        delete list;
        Settle();
    }
    MsgBox::setObserverForTesting({});
    MsgBox::setAnswerForTesting(false);
    DropAllWindows();
    seams.check(state);
    const double iterations = std::max<double>(1, double(state.iterations()));
    state.counters["summary_ms"] = 1000 * summarySeconds / iterations;
    state.counters["save_ms"] = 1000 * saveSeconds / iterations;
    state.counters["rows"] = rows;
    state.counters["file_MB"] = double(csvBytes.size()) / 1e6;
}

} // namespace

BENCHMARK(BM_WindowImport)->Arg(50'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowLockClose)->Arg(1)->Arg(100'000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowBareSaveFile)->Arg(100'000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowUnlock)->Arg(10'000)->Arg(100'000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowUnlockVault)->Arg(10'000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowDeriveOnce)->UseManualTime()->Unit(benchmark::kMillisecond);
