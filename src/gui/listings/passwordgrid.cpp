#include "gui/listings/passwordgrid.h"

#include "gui/ui/twips.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

PasswordGrid::PasswordGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new ListingModel(this))
    , m_numberColumn(new QTableView(this))
{
    setObjectName(QStringLiteral("grd_password"));
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Uniform rows keep scrolling through a long list instant.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { followView(current); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        followView(index);
        emit DblClick();
    });
    setUpNumberColumn();
}

PasswordGrid::~PasswordGrid()
{
    // The base classes tear down the header and the number column after
    // this: none of their signals may reach this half-destroyed grid.
    disconnect(horizontalHeader(), nullptr, this, nullptr);
    disconnect(m_numberColumn, nullptr, this, nullptr);
    disconnect(selectionModel(), nullptr, this, nullptr);
    m_numberColumn->viewport()->removeEventFilter(this);
}

void PasswordGrid::setUpNumberColumn()
{
    QTableView* numbers = m_numberColumn;
    numbers->setObjectName(QStringLiteral("grd_password_numbers"));
    numbers->setModel(m_model);
    numbers->setSelectionModel(selectionModel());
    numbers->setFocusPolicy(Qt::NoFocus);
    numbers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    numbers->setSelectionMode(QAbstractItemView::SingleSelection);
    numbers->setFrameShape(QFrame::NoFrame);
    numbers->verticalHeader()->hide();
    numbers->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    numbers->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    numbers->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    numbers->horizontalHeader()->setHighlightSections(false);
    numbers->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 1; column < ListingModel::kColumns; ++column)
        numbers->setColumnHidden(column, true);
    numbers->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    numbers->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    numbers->setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    viewport()->stackUnder(numbers);
    // A right-click on a "#" cell offers the same menu as on the others.
    numbers->viewport()->installEventFilter(this);

    connect(numbers->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, numbers->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (column == 0) {
            m_numberColumn->setColumnWidth(0, size);
            placeNumberColumn();
        }
    });
    connect(horizontalHeader(), &QHeaderView::geometriesChanged, this, &PasswordGrid::placeNumberColumn);
    connect(numbers, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        followView(index);
        emit DblClick();
    });
    placeNumberColumn();
}

void PasswordGrid::placeNumberColumn()
{
    m_numberColumn->setGeometry(frameWidth(), frameWidth(), columnWidth(0),
                                viewport()->height() + horizontalHeader()->height());
}

void PasswordGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeNumberColumn();
}

void PasswordGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() > 0) {
        QTableView::scrollTo(index, hint);
        // Bring the cell out from under the "#" column drawn on top.
        const int hidden = m_numberColumn->columnWidth(0) - visualRect(index).left();
        if (hidden > 0)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
        return;
    }
    // Column 0 is always in view: only its row needs to come into sight.
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

bool PasswordGrid::event(QEvent* event)
{
    // The window's copy commands take Ctrl+C: the view must not claim it
    // for its own copy of the current cell.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->ignore();
        return false;
    }
    return QTableView::event(event);
}

void PasswordGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void PasswordGrid::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        offerRowMenu(indexAt(event->pos()), event->globalPos());
        return;
    }
    // From the keyboard: the menu of the current cell, beside it.
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        scrollTo(current);
        offerRowMenu(current, viewport()->mapToGlobal(visualRect(current).center()));
    }
}

bool PasswordGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_numberColumn->viewport() && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        offerRowMenu(m_numberColumn->indexAt(menuEvent->pos()), menuEvent->globalPos());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

bool PasswordGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(indexAt(help->pos())));
    }
    return true;
}

QString PasswordGrid::toolTipAt(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || (index.column() == ListingModel::kPasswordColumn && !m_model->passwordsShown()))
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    // The item delegate keeps this margin on either side of the text.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    if (fontMetrics().horizontalAdvance(text) + margin <= columnWidth(index.column()))
        return {};
    return text;
}

bool PasswordGrid::offerRowMenu(const QModelIndex& index, const QPoint& globalPos)
{
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    followView(index);
    emit RowMenu(globalPos);
    return true;
}

void PasswordGrid::showRow(int row, int column)
{
    if (row < 1 || row >= Rows())
        return;
    m_row = row;
    m_col = column;
    const QModelIndex index = m_model->index(row - 1, column);
    setCurrentIndex(index);
    scrollTo(index);
}

void PasswordGrid::followView(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    m_row = current.row() + 1;
    m_col = current.column();
}

void PasswordGrid::showCurrent()
{
    if (m_row >= 1 && m_row < Rows())
        setCurrentIndex(m_model->index(m_row - 1, m_col));
}

void PasswordGrid::setRow(int row)
{
    m_row = row;
    showCurrent();
}

void PasswordGrid::setCol(int column)
{
    m_col = column;
    showCurrent();
}

QString PasswordGrid::Text() const
{
    if (m_col < 0 || m_col >= ListingModel::kColumns)
        return {};
    if (m_row == 0)
        return m_model->header(m_col);
    if (m_row < 0 || m_row >= Rows())
        return {};
    return m_model->cell(m_row - 1, m_col);
}

void PasswordGrid::setText(const QString& text)
{
    if (m_col < 0 || m_col >= ListingModel::kColumns)
        return;
    if (m_row == 0)
        m_model->setHeader(m_col, text);
    else if (m_row >= 1 && m_row < Rows())
        m_model->setCell(m_row - 1, m_col, text);
}

void PasswordGrid::AddItem(const ListingModel::Cells& cells)
{
    m_model->appendRows({cells});
}

void PasswordGrid::RemoveItem(int row)
{
    if (row < 1 || row >= Rows())
        return;
    m_model->removeRowAt(row - 1);
    if (m_row >= Rows())
        m_row = Rows() - 1;
}

void PasswordGrid::setColWidth(int column, int twips)
{
    m_colWidthTwips.at(column) = twips;
    setColumnWidth(column, Twips::toPixels(twips));
}

void PasswordGrid::appendListings(const QList<Listing>& listings, int firstNumber)
{
    if (firstNumber == Rows()) {
        m_model->appendListings(listings);
        return;
    }
    QList<ListingModel::Cells> rows;
    rows.reserve(listings.size());
    int number = firstNumber;
    for (const Listing& listing : listings)
        rows.append({QString::number(number++), listing.site, listing.user, listing.password});
    m_model->appendRows(rows);
}

void PasswordGrid::viewRecords(QList<Listing>* records)
{
    m_model->viewRecords(records);
    m_row = std::min(m_row, Rows() - 1);
}

QList<Listing> PasswordGrid::listings() const
{
    return m_model->records();
}
