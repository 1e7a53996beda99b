#include "gui/listings/listingmodel.h"

#include "core/storage/secrettext.h"

#include <QApplication>
#include <QPalette>

ListingModel::ListingModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
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
        const QString& text = m_rows.at(index.row()).at(index.column());
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
            --end;
        return end == text.size() ? text : text.left(end);
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
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, kPasswordColumn), index(int(m_rows.size()) - 1, kPasswordColumn), {Qt::DisplayRole});
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
    m_rows[row][column] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

void ListingModel::setHeader(int column, const QString& text)
{
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ListingModel::wipeAll()
{
    beginResetModel();
    for (Cells& row : m_rows) {
        for (QString& cell : row)
            wipeTextEverywhere(cell);
    }
    m_rows.clear();
    endResetModel();
}

void ListingModel::appendRows(const QList<Cells>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(rows);
    endInsertRows();
}

void ListingModel::removeRowAt(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void ListingModel::renumber()
{
    if (m_rows.isEmpty())
        return;
    for (qsizetype row = 0; row < m_rows.size(); ++row)
        m_rows[row][0] = QString::number(row + 1);
    emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, 0));
}
