#include "gui/listings/frm_list.h"

#include "core/listings/listingsearch.h"

#include "core/session/listsession.h"
#include "core/storage/module1.h"
#include "gui/launch/frm_about.h"
#include "gui/launch/opendocument.h"
#include "gui/launch/websitelaunch.h"
#include "gui/listings/conflictcopies.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/frm_delete.h"
#include "gui/listings/frm_find.h"
#include "gui/listings/frm_generator.h"
#include "gui/listings/generatorcontext.h"
#include "gui/listings/frm_restore.h"
#include "gui/listings/frm_which.h"
#include "gui/listings/listio.h"
#include "gui/listings/listwatch.h"
#include "gui/listings/passwordgrid.h"
#include "gui/listings/rowcommands.h"
#include "gui/listings/statusline.h"
#include "gui/masterpassword/frm_pchange.h"
#include "gui/masterpassword/frm_reveal.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/options/frm_options.h"
#include "gui/transfer/csvimport.h"
#include "gui/transfer/exportcommand.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/idlewatch.h"
#include "gui/ui/screenlockwatch.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QDialog>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kClientWidth = 5535;
constexpr int kClientHeight = 3090;
// Frame width assumed while the window manager has not framed the window.
constexpr int kAssumedFrameTwips = 90;
} // namespace

frm_list* frm_list::instance()
{
    return s_instance;
}

frm_list* frm_list::open(ListSession& session, ClipboardGuard* clipboard,
                         const std::function<void(frm_list&)>& beforeShow)
{
    if (s_instance && s_instance->isVisible()) {
        Forms::bringForward(s_instance);
        return s_instance;
    }
    auto* window = new frm_list(session, clipboard);
    if (beforeShow)
        beforeShow(*window);
    ListFile::LoadReport report;
    if (!window->Form_Load(&report)) {
        delete window;
        return nullptr;
    }
    s_instance = window;
    window->watchTheListFile();
    window->restoreSize();
    Forms::showCentred(window);
    window->cmd_add->setFocus();
    // The list opens at its top, whichever cell is current.
    window->grd_password->scrollToTop();
    // A box runs the event loop: a lock may close (and delete) the window
    // while it is up.
    const QPointer<frm_list> shown(window);
    if (!report.damage.isEmpty())
        MsgBox::show(window->damageMessage(report), QStringLiteral("Damaged List"));
    if (shown && !shown->m_savePolicy.ended())
        ConflictCopies::offer(shown->m_session, *shown->grd_password);
    return shown && !shown->m_savePolicy.ended() ? shown.data() : nullptr;
}

frm_list::frm_list(ListSession& session, ClipboardGuard* clipboard)
    : m_session(session)
    , m_clipboard(clipboard ? clipboard : new ClipboardGuard(this))
    , m_idle(new IdleWatch(this))
    , m_options(session.folder().appDir)
    , m_savePolicy(
          session,
          [this](ListSession::Attendance attendance) { return SaveList(m_session, *grd_password, attendance); },
          [this] { endSession(); })
{
    Forms::setUpWindow(this, "frm_list", QStringLiteral("Your Password List"));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    // It may grow by its border, never shrink below its described size.
    m_client->setMinimumSize(Twips::size(kClientWidth, kClientHeight));
    m_client->resize(Twips::size(kClientWidth, kClientHeight));
    setCentralWidget(m_client);
    buildControls(m_client);
    buildMenus();
    m_client->installEventFilter(this);
    m_rowCommands = new RowCommands(this, grd_password, m_clipboard);
    // Below the described client area, which keeps its size.
    m_status = new StatusLine(m_session, *m_clipboard, this);
    setStatusBar(m_status);
    connect(m_rowCommands, &RowCommands::copied, m_status, &StatusLine::showCopied);
    m_generator = new GeneratorContext([this] { return m_options.options().generator; },
                                       [this](const PasswordGenerator::Settings& settings) {
                                           Options options = m_options.options();
                                           options.generator = settings;
                                           m_options.update(options);
                                       },
                                       [this] { return m_session.holdsAnyText(); }, m_clipboard, this);
    grd_password->setGeneratorContext(m_generator);
    connect(m_idle, &IdleWatch::idle, this, &frm_list::idleLock);
    adjustSize();
}

void frm_list::buildControls(QWidget* client)
{
    // Created in tab order: the six buttons, then the grid.
    cmd_add = Forms::addButton(client, "cmd_add", QStringLiteral("Add"), 360, 2040, 1455, 375);
    cmd_edit = Forms::addButton(client, "cmd_edit", QStringLiteral("Edit"), 2040, 2040, 1455, 375);
    cmd_delete = Forms::addButton(client, "cmd_delete", QStringLiteral("Delete"), 3720, 2040, 1455, 375);
    cmd_lock = Forms::addButton(client, "cmd_lock", QStringLiteral("Lock/Close"), 360, 2520, 1455, 375);
    cmd_pword = Forms::addButton(client, "cmd_pword", QStringLiteral("Change Password"), 2040, 2520, 1455, 375);
    cmd_nothing = Forms::addButton(client, "cmd_nothing", QStringLiteral("Does Nothing"), 3720, 2520, 1455, 375);

    grd_password = new PasswordGrid(client);
    grd_password->setGeometry(Twips::rect(120, 600, 5295, 1335));
    grd_password->AddItem({}); // the placeholder row 1, which LoadList removes

    Label1 = Forms::addLabel(client, "Label1", QString(), 120, 120, 4575, 375);
    Line1 = new QFrame(client);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setAutoFillBackground(true);
    Line1->setBackgroundRole(QPalette::Dark);
    Line1->setGeometry(0, 0, Twips::toPixels(5520), 1);

    Forms::setTabOrder({cmd_add, cmd_edit, cmd_delete, cmd_lock, cmd_pword, cmd_nothing, grd_password});

    connect(cmd_add, &QPushButton::clicked, this, &frm_list::cmd_add_Click);
    connect(cmd_edit, &QPushButton::clicked, this, &frm_list::cmd_edit_Click);
    connect(cmd_delete, &QPushButton::clicked, this, &frm_list::cmd_delete_Click);
    connect(cmd_lock, &QPushButton::clicked, this, &frm_list::cmd_lock_Click);
    connect(cmd_pword, &QPushButton::clicked, this, &frm_list::cmd_pword_Click);
    connect(cmd_nothing, &QPushButton::clicked, this, &frm_list::cmd_nothing_Click);
    connect(grd_password, &PasswordGrid::DblClick, this, &frm_list::grd_password_DblClick);
}

void frm_list::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menubar"));
    auto name = [](QAction* action, const char* objectName) {
        action->setObjectName(QString::fromLatin1(objectName));
        return action;
    };

    QMenu* buttons = bar->addMenu(QStringLiteral("&Buttons"));
    buttons->setObjectName(QStringLiteral("mnu_btns_menu"));
    mnu_btns = name(buttons->menuAction(), "mnu_btns");
    btn_add = name(buttons->addAction(QStringLiteral("&Add")), "btn_add");
    btn_edit = name(buttons->addAction(QStringLiteral("&Edit")), "btn_edit");
    btn_delete = name(buttons->addAction(QStringLiteral("&Delete")), "btn_delete");
    mnu_lock = name(bar->addAction(QStringLiteral("&Lock/Close")), "mnu_lock");
    mnu_pword = name(bar->addAction(QStringLiteral("&Change Password")), "mnu_pword");
    buildToolsMenu(bar);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnu_help_menu"));
    mnu_help = name(help->menuAction(), "mnu_help");
    mnu_about = name(help->addAction(QStringLiteral("Abou&t")), "mnu_about");
    mnu_dash1 = name(help->addSeparator(), "mnu_dash1");
    mnu_help2 = name(help->addAction(QStringLiteral("H&elp")), "mnu_help2");

    connect(btn_add, &QAction::triggered, this, &frm_list::btn_add_Click);
    connect(btn_edit, &QAction::triggered, this, &frm_list::btn_edit_Click);
    connect(btn_delete, &QAction::triggered, this, &frm_list::btn_delete_Click);
    connect(mnu_lock, &QAction::triggered, this, &frm_list::mnu_lock_Click);
    connect(mnu_pword, &QAction::triggered, this, &frm_list::mnu_pword_Click);
    connect(mnu_about, &QAction::triggered, this, &frm_list::mnu_about_Click);
    connect(mnu_help2, &QAction::triggered, this, &frm_list::mnu_help2_Click);
}

void frm_list::buildToolsMenu(QMenuBar* bar)
{
    // Room for more tools: each kind of entry keeps its group.
    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnu_tools_menu"));
    mnu_tools = tools->menuAction();
    mnu_tools->setObjectName(QStringLiteral("mnu_tools"));
    mnu_showpasswords = tools->addAction(QStringLiteral("Show &Passwords"));
    mnu_showpasswords->setObjectName(QStringLiteral("mnu_showpasswords"));
    mnu_showpasswords->setCheckable(true);
    mnu_showpasswords->setChecked(true);
    mnu_find = tools->addAction(QStringLiteral("&Find..."));
    mnu_find->setObjectName(QStringLiteral("mnu_find"));
    mnu_find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnu_findnext = tools->addAction(QStringLiteral("Find &Next"));
    mnu_findnext->setObjectName(QStringLiteral("mnu_findnext"));
    mnu_findnext->setShortcut(QKeySequence(Qt::Key_F3));
    mnu_dash2 = tools->addSeparator();
    mnu_dash2->setObjectName(QStringLiteral("mnu_dash2"));
    mnu_options = tools->addAction(QStringLiteral("&Options..."));
    mnu_options->setObjectName(QStringLiteral("mnu_options"));
    mnu_strong = tools->addAction(QStringLiteral("&Strong Protection..."));
    mnu_strong->setObjectName(QStringLiteral("mnu_strong"));
    mnu_generator = tools->addAction(QStringLiteral("Password &Generator..."));
    mnu_generator->setObjectName(QStringLiteral("mnu_generator"));
    mnu_restore = tools->addAction(QStringLiteral("&Restore From Backup..."));
    mnu_restore->setObjectName(QStringLiteral("mnu_restore"));
    mnu_merge = tools->addAction(QStringLiteral("&Merge From..."));
    mnu_merge->setObjectName(QStringLiteral("mnu_merge"));
    mnu_import = tools->addAction(QStringLiteral("&Import..."));
    mnu_import->setObjectName(QStringLiteral("mnu_import"));
    mnu_export = tools->addAction(QStringLiteral("&Export..."));
    mnu_export->setObjectName(QStringLiteral("mnu_export"));

    connect(mnu_showpasswords, &QAction::triggered, this, &frm_list::mnu_showpasswords_Click);
    connect(mnu_find, &QAction::triggered, this, &frm_list::mnu_find_Click);
    connect(mnu_findnext, &QAction::triggered, this, &frm_list::mnu_findnext_Click);
    connect(mnu_options, &QAction::triggered, this, &frm_list::mnu_options_Click);
    connect(mnu_strong, &QAction::triggered, this, &frm_list::mnu_strong_Click);
    connect(mnu_generator, &QAction::triggered, this, &frm_list::mnu_generator_Click);
    connect(mnu_restore, &QAction::triggered, this, &frm_list::mnu_restore_Click);
    connect(mnu_merge, &QAction::triggered, this, &frm_list::mnu_merge_Click);
    connect(mnu_import, &QAction::triggered, this, &frm_list::mnu_import_Click);
    connect(mnu_export, &QAction::triggered, this, &frm_list::mnu_export_Click);
}

void frm_list::mnu_merge_Click()
{
    if (m_session.working())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Merge From"), m_session.folder().appDir,
                                                      QStringLiteral("Password lists (*.vault *.ene)"));
    if (!path.isEmpty())
        mergeFrom(path);
}

void frm_list::mnu_export_Click()
{
    if (!m_session.working())
        ExportCommand::run(this, m_session);
}

bool frm_list::mergeFrom(const QString& path)
{
    return ConflictCopies::mergeFrom(m_session, *grd_password, path);
}

void frm_list::mnu_import_Click()
{
    if (m_session.working())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Import From"), QDir::homePath(),
                                                      QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        importFrom(path);
}

bool frm_list::importFrom(const QString& path)
{
    const CsvImport::Target target {
        m_session,
        [this](const QList<Listing>& listings) { grd_password->appendListings(listings, grd_password->Rows()); },
        [this] { return SaveList(m_session, *grd_password); },
        [this] {
            grd_password->viewRecords(&m_session.listings());
            grd_password->setRow(grd_password->Rows() - 1);
        },
    };
    return CsvImport::importFrom(this, target, path);
}

QString frm_list::damageMessage(const ListFile::LoadReport& report) const
{
    const QString found = QStringLiteral("The list file \"%1\" looks damaged: %2.\r")
                              .arg(QDir::toNativeSeparators(m_session.folder().list.path), report.damage);
    if (!report.backup)
        return found
               + QStringLiteral("No copy of it as found could be kept.\r%1\r"
                                "The list opens with the listings that could be read; saving writes only those.")
                     .arg(report.backup.error);
    return found
           + QStringLiteral("A copy of it as found was kept as \"%1\".\r"
                            "The list opens with the listings that could be read.")
                 .arg(QFileInfo(report.backupPath).fileName());
}

void frm_list::watchTheListFile()
{
    m_listWatch = new ListWatch(
        m_session,
        [this] {
            if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
                return false;
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::none_of(windows.begin(), windows.end(),
                                [this](QWidget* window) { return window != this && window->isVisible(); });
        },
        [this] {
            grd_password->viewRecords(&m_session.listings());
            ConflictCopies::offer(m_session, *grd_password);
        },
        this);
}

bool frm_list::Form_Load(ListFile::LoadReport* report)
{
    // The line break is a carriage return in the caption; labels show "\n".
    Label1->setText(QStringLiteral("Double Click A Website To Start Your Browser\nAnd Go To That Site."));
    Forms::fitText(Label1);
    setColumnWidths();
    grd_password->setRow(0);
    const char* headers[] = {"#", "Web Site/Program", "Username", "Password"};
    for (int column = 0; column < 4; ++column) {
        grd_password->setCol(column);
        grd_password->setText(QString::fromLatin1(headers[column]));
    }
    grd_password->setRow(1);
    grd_password->setCol(0);

    if (auto loaded = LoadList(m_session, *grd_password, report); !loaded)
        Fault::stop(loaded.error);
    const Options& options = m_options.options();
    showPasswords(options.showPasswords);
    applyOptions(options.clipboardSeconds, options.idleMinutes, options.lockOnScreenLock);
    return true;
}

void frm_list::setColumnWidths()
{
    // W is the outer width at the described client width; before the
    // window is framed take a typical frame.
    const int frame =
        frameGeometry().width() > width() ? Twips::fromPixels(frameGeometry().width() - width()) : kAssumedFrameTwips;
    const double d = kClientWidth + frame - 100;
    const double n = d / 10;
    const double q = (d - n) / 4;
    // Halves go to the even neighbour.
    auto round = [](double value) { return int(std::nearbyint(value)); };
    m_describedColWidths = {round(n), round(2 * q), round(q), round(q)};
    for (int column = 0; column < 4; ++column)
        grd_password->setColWidth(column, m_describedColWidths[column]);
    layOutControls();
}

bool frm_list::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layOutControls();
    return QMainWindow::eventFilter(watched, event);
}

void frm_list::layOutControls()
{
    const QSize described = Twips::size(kClientWidth, kClientHeight);
    const int wider = std::max(0, m_client->width() - described.width());
    const int taller = std::max(0, m_client->height() - described.height());
    Line1->setGeometry(0, 0, Twips::toPixels(5520) + wider, 1);
    grd_password->setGeometry(Twips::rect(120, 600, 5295, 1335).adjusted(0, 0, wider, taller));
    // The two rows of buttons stay together, centred under the grid.
    const QPoint shift(wider / 2, taller);
    const struct {
        QPushButton* button;
        int left, top;
    } buttons[] = {
        {cmd_add, 360, 2040},  {cmd_edit, 2040, 2040},  {cmd_delete, 3720, 2040},
        {cmd_lock, 360, 2520}, {cmd_pword, 2040, 2520}, {cmd_nothing, 3720, 2520},
    };
    for (const auto& b : buttons)
        b.button->setGeometry(Twips::rect(b.left, b.top, 1455, 375).translated(shift));
    // The extra width goes to the three text columns in proportion to
    // their described widths: each column ends where its share of the
    // whole, rounded, ends, so rounding never gathers in one column.
    const int textColumns = m_describedColWidths[1] + m_describedColWidths[2] + m_describedColWidths[3];
    if (textColumns <= 0)
        return;
    const qint64 extra = Twips::fromPixels(wider);
    qint64 before = 0;
    int given = 0;
    for (int column = 1; column <= 3; ++column) {
        before += m_describedColWidths[column];
        const int upTo = int((2 * extra * before + textColumns) / (2 * textColumns));
        grd_password->setColWidth(column, m_describedColWidths[column] + upTo - given);
        given = upTo;
    }
}

void frm_list::restoreSize()
{
    const QSize stored = m_options.options().listSize;
    if (!stored.isValid())
        return;
    // Not yet shown, the window has its size for the described client area
    // (its minimum); the menu bar and frame come on top of that.
    const QSize described = m_client->minimumSize();
    QSize client = Twips::size(stored.width(), stored.height()).expandedTo(described);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize around = size() - described + Twips::size(2 * kAssumedFrameTwips, 4 * kAssumedFrameTwips);
        client = client.boundedTo(screen->availableGeometry().size() - around).expandedTo(described);
    }
    resize(size() + (client - described));
}

void frm_list::rememberSize()
{
    Options options = m_options.options();
    const QSize now(Twips::fromPixels(m_client->width()), Twips::fromPixels(m_client->height()));
    options.listSize = now == QSize(kClientWidth, kClientHeight) ? QSize() : now;
    m_options.update(options);
}

void frm_list::cmd_add_Click()
{
    frm_add::showOnce(grd_password, m_clipboard);
}

void frm_list::cmd_edit_Click()
{
    frm_which::showOnce(grd_password, m_clipboard);
}

void frm_list::cmd_delete_Click()
{
    frm_delete::showOnce(grd_password);
}

void frm_list::cmd_pword_Click()
{
    frm_pchange::showOnce(m_session);
}

void frm_list::mnu_strong_Click()
{
    frm_strong::showOnce(m_session);
}

void frm_list::mnu_generator_Click()
{
    frm_generator::showFor(m_generator);
}

void frm_list::mnu_restore_Click()
{
    frm_restore::showOnce(m_session, grd_password);
}

void frm_list::showPasswords(bool shown)
{
    grd_password->listingModel()->setPasswordsShown(shown);
    const QSignalBlocker quiet(mnu_showpasswords);
    mnu_showpasswords->setChecked(shown);
}

void frm_list::mnu_showpasswords_Click(bool checked)
{
    if (checked && m_passwordsLocked) {
        // They show again only for the master password.
        showPasswords(false);
        frm_reveal::showOnce(m_session, [window = QPointer<frm_list>(this)] {
            if (!window)
                return;
            window->m_passwordsLocked = false;
            window->mnu_showpasswords_Click(true);
        });
        return;
    }
    showPasswords(checked);
    Options options = m_options.options();
    options.showPasswords = checked;
    m_options.update(options);
}

void frm_list::mnu_find_Click()
{
    frm_find::showOnce(grd_password, &m_lastSearch);
}

void frm_list::mnu_findnext_Click()
{
    if (frm_find* open = frm_find::instance(); open && open->isVisible()) {
        open->cmd_findnext_Click();
        return;
    }
    const QString text = ListingSearch::searchText(m_lastSearch);
    if (text.isEmpty()) {
        mnu_find_Click();
        return;
    }
    if (const frm_find::Next next = frm_find::findNext(*grd_password, text); next.found && !next.note.isEmpty())
        m_status->showMessage(next.note, 4000);
}

void frm_list::mnu_options_Click()
{
    frm_options::showOnce(
        m_options.options(), m_screenLockSeen,
        [window = QPointer<frm_list>(this)](int clipboardSeconds, int idleMinutes, bool lockOnScreenLock) {
            if (window)
                window->applyOptions(clipboardSeconds, idleMinutes, lockOnScreenLock);
        });
}

void frm_list::applyOptions(int clipboardSeconds, int idleMinutes, bool lockOnScreenLock)
{
    Options options = m_options.options();
    options.clipboardSeconds = clipboardSeconds;
    options.idleMinutes = idleMinutes;
    options.lockOnScreenLock = lockOnScreenLock;
    m_options.update(options);
    m_clipboard->setDelay(std::chrono::seconds(clipboardSeconds));
    m_idle->setInterval(std::chrono::minutes(idleMinutes));
    if (m_screenLockWatch)
        m_screenLockWatch->holdOffSleep(lockOnScreenLock);
}

void frm_list::mnu_about_Click()
{
    frm_About::showOnce();
}

void frm_list::mnu_help2_Click()
{
    OpenDocument(Module1::HelpFilePath);
}

void frm_list::grd_password_DblClick()
{
    LaunchWebsite(grd_password->Col(), grd_password->Text());
}

void frm_list::cmd_lock_Click()
{
    close();
}

void frm_list::cmd_nothing_Click()
{
    MsgBox::show(QStringLiteral("Told you this button did nothing. But you had to check anyway. "
                                "The button just makes it a little more symmetrical."),
                 QStringLiteral("Does Nothing"));
}

void frm_list::closeEvent(QCloseEvent* event)
{
    if (m_savePolicy.ended()) {
        event->accept();
        return;
    }
    if (!m_savePolicy.saveOnClose()) {
        event->ignore();
        return;
    }
    // No dialog may outlive the list it works on.
    Forms::closeAllOtherWindows(this);
    MsgBox::show(QStringLiteral("Bye.."), QStringLiteral("Sorry to see you go."));
    event->accept();
}

void frm_list::endSession()
{
    // No list to lock: a sleep need not wait.
    if (m_screenLockWatch)
        m_screenLockWatch->holdOffSleep(false);
    // Nothing of the list outlives it in memory: the boxes of every dialog
    // emptied first (they may share a cell's text), then every cell wiped;
    // the session forgets the key next.
    Forms::clearAllTextBoxes();
    grd_password->listingModel()->wipeAll();
    grd_password->listingModel()->setRemovalNote({});
    grd_password->viewRecords(nullptr);
    m_clipboard->clearIfStillOurs();
    m_lastSearch.clear();
    rememberSize();
}

void frm_list::idleLock()
{
    MsgBox::closeOpenBoxes();
    if (m_lockPending)
        return;
    m_lockPending = true;
    // Not from inside a box's call: the handler that showed it must finish
    // first, or a window closing under it could not close.
    QTimer::singleShot(0, this, &frm_list::lockWhenNoBoxIsOpen);
}

void frm_list::lockWithTheScreen(ScreenLockWatch* watch)
{
    setScreenLockSeen(watch && watch->available());
    m_screenLockWatch = watch;
    if (!watch)
        return;
    watch->holdOffSleep(m_options.options().lockOnScreenLock);
    // One lock may be heard more than once: idleLock() locks once.
    connect(watch, &ScreenLockWatch::lockRequested, this, [this] {
        if (m_options.options().lockOnScreenLock)
            idleLock();
    });
}

void frm_list::lockWhenNoBoxIsOpen()
{
    // Nor while a key is being derived for the list: its dialog ends first.
    // A modal dialog (a file to pick, a password to type) is cancelled: the
    // command that opened it must return before the list goes away.
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (MsgBox::openBoxCount() > 0 || m_session.working() || modal) {
        MsgBox::closeOpenBoxes();
        if (modal && MsgBox::openBoxCount() == 0)
            modal->reject();
        QTimer::singleShot(m_session.working() ? 100 : 0, this, &frm_list::lockWhenNoBoxIsOpen);
        return;
    }
    m_lockPending = false;
    lockNow();
}

void frm_list::lockNow()
{
    if (m_savePolicy.ended())
        return;
    m_clipboard->clearIfStillOurs();
    if (auto saved = m_savePolicy.saveOnIdleLock(); !saved) {
        // Nobody is there to answer: no question, and the passwords hide
        // before the failure is shown.
        m_passwordsLocked = true;
        showPasswords(false);
        SavePolicy::showFailure(saved.error);
        return;
    }
    Forms::closeAllOtherWindows(this);
    // Before this window closes: a window shown in answer keeps the
    // program from ending with its last window.
    emit locked();
    close();
}
