#pragma once

#include "core/transfer/csvreader.h"
#include "core/transfer/importformats.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// Which columns of a CSV file of no known kind hold the web site or
// program, the user name and the password; its first rows are shown.
class frm_importmap : public QDialog {
    Q_OBJECT
public:
    // Asks for the mapping of records (the header row first) of the file
    // shownName, starting from guess; nothing when the user cancels.
    static std::optional<ImportFormats::Mapping> choose(QWidget* parent, const QString& shownName,
                                                        const QList<CsvReader::Record>& records,
                                                        const ImportFormats::Mapping& guess);

    static constexpr int kRowsShown = 5;

    QLabel* Label1;
    QTableWidget* tbl_rows;
    QLabel* Label2;
    QComboBox* cbo_site;
    QLabel* Label3;
    QComboBox* cbo_user;
    QLabel* Label4;
    QComboBox* cbo_password;
    QPushButton* cmd_ok;
    QPushButton* cmd_cancel;

public slots:
    void cmd_ok_Click();
    void cmd_cancel_Click();

private:
    frm_importmap(QWidget* parent, const QString& shownName, const QList<CsvReader::Record>& records,
                  const ImportFormats::Mapping& guess);
    void fillRows(const QList<CsvReader::Record>& records);
    void maskPasswordColumn();

    QStringList m_header;
};
