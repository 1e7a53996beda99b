#include "gui/listings/listingmodel.h"

#include "core/storage/secrettext.h"
#include "core/storage/textutil.h"

#include <QApplication>
#include <QDateTime>
#include <QPalette>

ListingModel::ListingModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_records->size());
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QString ListingModel::cell(int row, int column) const
{
    if (column == 0)
        return m_numberTexts.value(row, QString::number(row + 1));
    const Listing& listing = m_records->at(row);
    return column == kSiteColumn ? listing.site : column == kUserColumn ? listing.user : listing.password;
}

QString& ListingModel::field(int row, int column)
{
    Listing& listing = (*m_records)[row];
    return column == kSiteColumn ? listing.site : column == kUserColumn ? listing.user : listing.password;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == kPasswordColumn && !m_passwordsShown)
            return passwordMask();
        // Pad spaces of loaded listings stay in the cell but are not drawn,
        // so only text that really overflows gets an ellipsis.
        return ChopPadSpaces(cell(index.row(), index.column()));
    }
    case Qt::BackgroundRole:
        // The number column reads as part of the frame, like the header.
        if (index.column() == 0)
            return QApplication::palette().button();
        return {};
    case Qt::ForegroundRole:
        if (index.column() == 0)
            return QApplication::palette().buttonText();
        return {};
    default:
        return {};
    }
}

void ListingModel::setPasswordsShown(bool shown)
{
    if (shown == m_passwordsShown)
        return;
    m_passwordsShown = shown;
    if (!m_records->isEmpty())
        emit dataChanged(index(0, kPasswordColumn), index(rowCount() - 1, kPasswordColumn), {Qt::DisplayRole});
}

const QString& ListingModel::passwordMask()
{
    static const QString mask(8, QChar(0x2022));
    return mask;
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns)
        return m_headers.at(section);
    return {};
}

void ListingModel::setCell(int row, int column, const QString& text)
{
    if (column == 0) {
        if (text == QString::number(row + 1))
            m_numberTexts.remove(row);
        else
            m_numberTexts.insert(row, text);
    } else if (QString& value = field(row, column); value != text) {
        value = text;
        (*m_records)[row].stamp.modified = QDateTime::currentMSecsSinceEpoch();
    }
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

void ListingModel::setHeader(int column, const QString& text)
{
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ListingModel::viewRecords(QList<Listing>* records)
{
    beginResetModel();
    m_records = records ? records : &m_ownRecords;
    m_numberTexts.clear();
    endResetModel();
}

void ListingModel::wipeAll()
{
    beginResetModel();
    for (Listing& listing : *m_records) {
        wipeTextEverywhere(listing.site);
        wipeTextEverywhere(listing.user);
        wipeTextEverywhere(listing.password);
    }
    m_records->clear();
    m_numberTexts.clear();
    endResetModel();
}

void ListingModel::appendRows(const QList<Cells>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_records->reserve(first + rows.size());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const Cells& cells : rows) {
        const int row = int(m_records->size());
        // A listing typed in now: an id of its own from the start.
        m_records->append({cells[kSiteColumn], cells[kUserColumn], cells[kPasswordColumn], ListingStamp::fresh(now)});
        if (cells[0] != QString::number(row + 1))
            m_numberTexts.insert(row, cells[0]);
    }
    endInsertRows();
}

void ListingModel::appendListings(const QList<Listing>& listings)
{
    if (listings.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(listings.size()) - 1);
    m_records->append(listings);
    endInsertRows();
}

void ListingModel::removeRowAt(int row)
{
    if (m_removalNote)
        m_removalNote(m_records->at(row));
    beginRemoveRows({}, row, row);
    // The rows below move up and keep the numbers they showed until the
    // list is renumbered.
    QHash<int, QString> moved;
    const int count = rowCount();
    for (int below = row + 1; below < count; ++below)
        moved.insert(below - 1, m_numberTexts.value(below, QString::number(below + 1)));
    for (auto it = m_numberTexts.cbegin(); it != m_numberTexts.cend(); ++it) {
        if (it.key() < row)
            moved.insert(it.key(), it.value());
    }
    m_numberTexts = std::move(moved);
    m_records->removeAt(row);
    endRemoveRows();
}

void ListingModel::renumber()
{
    if (m_records->isEmpty())
        return;
    m_numberTexts.clear();
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}
