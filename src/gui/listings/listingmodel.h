#pragma once

#include "core/listings/listfile.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <array>

// The grid's cells below its header row: column 0 the listing number as
// text, columns 1 to 3 the web site or program, user name and password.
class ListingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 4;
    static constexpr int kSiteColumn = 1;
    static constexpr int kUserColumn = 2;
    static constexpr int kPasswordColumn = 3;
    using Cells = std::array<QString, kColumns>;

    explicit ListingModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QString& cell(int row, int column) const { return m_rows.at(row).at(column); }
    void setCell(int row, int column, const QString& text);
    const QString& header(int column) const { return m_headers.at(column); }
    void setHeader(int column, const QString& text);

    // Every row's cells, for reading many at once.
    const QList<Cells>& rows() const { return m_rows; }

    // Hidden passwords are drawn as eight bullets whatever their length;
    // the cells keep them.
    void setPasswordsShown(bool shown);
    bool passwordsShown() const { return m_passwordsShown; }
    static const QString& passwordMask();

    void appendRows(const QList<Cells>& rows);
    // The list is closing: every cell is overwritten, with any copy of it
    // still held elsewhere, and the rows go.
    void wipeAll();
    void removeRowAt(int row);
    // Column 0 of every row holds its listing number again (row + 1).
    void renumber();

private:
    QList<Cells> m_rows;
    Cells m_headers;
    bool m_passwordsShown = true;
};
