#include "gui/transfer/frm_importmap.h"

#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/twips.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

namespace {

const QString kMapCaption = QStringLiteral("Import: Choose The Columns");

QComboBox* addColumnBox(QWidget* parent, const char* objectName, const QStringList& header, bool withNone, int left,
                        int top)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(Twips::rect(left, top, 3255, 315));
    if (withNone)
        box->addItem(QStringLiteral("(none)"), -1);
    for (int column = 0; column < header.size(); ++column) {
        const QString name = header[column].trimmed();
        box->addItem(QStringLiteral("%1: %2").arg(column + 1).arg(name.isEmpty() ? QStringLiteral("(no name)") : name),
                     column);
    }
    return box;
}

void selectColumn(QComboBox* box, int column)
{
    box->setCurrentIndex(std::max(0, box->findData(column)));
}

} // namespace

std::optional<ImportFormats::Mapping> frm_importmap::choose(QWidget* parent, const QString& shownName,
                                                            const QList<CsvReader::Record>& records,
                                                            const ImportFormats::Mapping& guess)
{
    if (records.isEmpty())
        return std::nullopt;
    const std::unique_ptr<frm_importmap> dialog(new frm_importmap(parent, shownName, records, guess));
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return ImportFormats::chosen(dialog->m_header, dialog->cbo_site->currentData().toInt(),
                                 dialog->cbo_user->currentData().toInt(), dialog->cbo_password->currentData().toInt());
}

frm_importmap::frm_importmap(QWidget* parent, const QString& shownName, const QList<CsvReader::Record>& records,
                             const ImportFormats::Mapping& guess)
    : QDialog(parent)
    , m_header(records.front().fields)
{
    Forms::setUpWindow(this, "frm_importmap", kMapCaption);
    // Read once it has closed: the caller lets it go.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowModality(Qt::ApplicationModal);
    Forms::setClientSize(this, 7455, 4095);
    Label1 = Forms::addLabel(this, "Label1",
                             QStringLiteral("\"%1\" is a CSV file of no kind Vellamar knows. Choose the columns that "
                                            "hold the web site or program, the user name and the password.")
                                 .arg(shownName),
                             120, 120, 7215, 495);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    Forms::fitText(Label1);
    tbl_rows = new QTableWidget(this);
    tbl_rows->setObjectName(QStringLiteral("tbl_rows"));
    tbl_rows->setGeometry(Twips::rect(120, 720, 7215, 1815));
    fillRows(records);

    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Web Site/Program"), 120, 2700, 1695, 315);
    cbo_site = addColumnBox(this, "cbo_site", m_header, true, 1920, 2700);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Username"), 120, 3120, 1695, 315);
    cbo_user = addColumnBox(this, "cbo_user", m_header, false, 1920, 3120);
    Label4 = Forms::addFieldLabel(this, "Label4", QStringLiteral("Password"), 120, 3540, 1695, 315);
    cbo_password = addColumnBox(this, "cbo_password", m_header, false, 1920, 3540);
    cmd_ok = Forms::addButton(this, "cmd_ok", QStringLiteral("OK"), 5880, 2700, 1455, 375);
    cmd_cancel = Forms::addButton(this, "cmd_cancel", QStringLiteral("Cancel"), 5880, 3180, 1455, 375);

    // The guess, or else columns that differ, so that OK is never refused
    // before the user chose anything.
    QList<int> used;
    auto pick = [&](int guessed) {
        int column = guessed;
        for (int k = 0; column < 0 || used.contains(column); ++k)
            column = k;
        used.append(column);
        return column;
    };
    selectColumn(cbo_site, guess.url >= 0 ? guess.url : guess.title);
    if (cbo_site->currentData().toInt() >= 0)
        used.append(cbo_site->currentData().toInt());
    selectColumn(cbo_user, m_header.size() > used.size() ? pick(guess.user) : std::max(guess.user, 0));
    selectColumn(cbo_password, m_header.size() > used.size() ? pick(guess.password) : std::max(guess.password, 0));

    maskPasswordColumn();
    connect(cbo_password, &QComboBox::currentIndexChanged, this, &frm_importmap::maskPasswordColumn);

    Forms::bindReturnAndEscape(this, cmd_ok, cmd_cancel);
    Forms::setTabOrder({cbo_site, cbo_user, cbo_password, cmd_ok, cmd_cancel});
    connect(cmd_ok, &QPushButton::clicked, this, &frm_importmap::cmd_ok_Click);
    connect(cmd_cancel, &QPushButton::clicked, this, &frm_importmap::cmd_cancel_Click);
}

void frm_importmap::fillRows(const QList<CsvReader::Record>& records)
{
    const int rows = int(std::min<qsizetype>(kRowsShown, records.size() - 1));
    tbl_rows->setColumnCount(int(m_header.size()));
    tbl_rows->setRowCount(rows);
    QStringList labels;
    for (int column = 0; column < m_header.size(); ++column)
        labels.append(QStringLiteral("%1: %2").arg(column + 1).arg(m_header[column].trimmed()));
    tbl_rows->setHorizontalHeaderLabels(labels);
    for (int row = 0; row < rows; ++row) {
        const QStringList& fields = records[row + 1].fields;
        for (int column = 0; column < m_header.size(); ++column) {
            // One line a cell: a line break inside a field shows as a space.
            QString text = fields.value(column);
            text.replace(u'\r', u' ').replace(u'\n', u' ');
            auto* item = new QTableWidgetItem(text);
            item->setData(Qt::UserRole, text);
            tbl_rows->setItem(row, column, item);
        }
    }
    tbl_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbl_rows->setSelectionMode(QAbstractItemView::NoSelection);
    tbl_rows->setFocusPolicy(Qt::NoFocus);
    tbl_rows->verticalHeader()->setDefaultSectionSize(Twips::toPixels(255));
}

void frm_importmap::maskPasswordColumn()
{
    // Someone may be looking on: the column taken as the passwords shows
    // none, as the list does with its passwords hidden.
    const int passwords = cbo_password->currentData().toInt();
    for (int row = 0; row < tbl_rows->rowCount(); ++row) {
        for (int column = 0; column < tbl_rows->columnCount(); ++column) {
            QTableWidgetItem* item = tbl_rows->item(row, column);
            const QString text = item->data(Qt::UserRole).toString();
            item->setText(column == passwords && !text.isEmpty() ? QString(8, u'\u2022') : text);
        }
    }
}

void frm_importmap::cmd_ok_Click()
{
    const int site = cbo_site->currentData().toInt();
    const int user = cbo_user->currentData().toInt();
    const int password = cbo_password->currentData().toInt();
    if (user == password || site == user || site == password) {
        MsgBox::show(QStringLiteral("Please choose a different column for each of the web site, the user name and "
                                    "the password."),
                     kMapCaption);
        return;
    }
    accept();
}

void frm_importmap::cmd_cancel_Click()
{
    reject();
}
