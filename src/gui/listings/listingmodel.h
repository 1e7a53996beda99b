#pragma once

#include "core/listings/listfile.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <functional>

// The grid's cells below its header row: column 0 the listing number as
// text, columns 1 to 3 the web site or program, user name and password.
// A view over the listings it is given (the open list's own), so a long
// list is never turned into cells and back; a number column shows row + 1
// unless a text was set there.
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

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    const QString& header(int column) const { return m_headers.at(column); }
    void setHeader(int column, const QString& text);

    // The listings shown, in row order.
    const QList<Listing>& records() const { return *m_records; }
    // Shows records, which must outlive the model or be replaced first;
    // the rows shown so far go.
    void viewRecords(QList<Listing>* records);
    // Told of each listing as a row is removed, before it goes.
    void setRemovalNote(std::function<void(const Listing&)> note) { m_removalNote = std::move(note); }

    // Hidden passwords are drawn as eight bullets whatever their length;
    // the cells keep them.
    void setPasswordsShown(bool shown);
    bool passwordsShown() const { return m_passwordsShown; }
    static const QString& passwordMask();

    void appendRows(const QList<Cells>& rows);
    void appendListings(const QList<Listing>& listings);
    // The list is closing: every cell is overwritten, with any copy of it
    // still held elsewhere, and the rows go.
    void wipeAll();
    void removeRowAt(int row);
    // Column 0 of every row holds its listing number again (row + 1).
    void renumber();

private:
    QString& field(int row, int column);

    QList<Listing> m_ownRecords; // until the open list's are given
    QList<Listing>* m_records = &m_ownRecords;
    // Number cells whose text is not row + 1 (set by hand, or left behind
    // by a removal until the rows are renumbered).
    QHash<int, QString> m_numberTexts;
    std::function<void(const Listing&)> m_removalNote;
    Cells m_headers;
    bool m_passwordsShown = true;
};
