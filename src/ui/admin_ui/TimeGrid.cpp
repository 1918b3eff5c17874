#include "admin_ui/TimeGrid.h"

#include <qdrawutil.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "admin_ui/TimeCellEdit.h"
#include "corrections/MonthSheet.h"
#include "reporting/WorkSummary.h"
#include "settings/ModeFiles.h"

namespace stampwell {

namespace {
const QColor kFocusedRow(217, 245, 245);

// Paints the focused row and frames its current time cell.
class CTimeGridDelegate : public QStyledItemDelegate {
public:
    explicit CTimeGridDelegate(QTableView& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QModelIndex current = m_grid.currentIndex();
        const bool focusedRow = current.isValid() && current.row() == index.row();
        QStyleOptionViewItem plain = option;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (!focusedRow) {
            QStyledItemDelegate::paint(painter, plain, index);
            return;
        }
        painter->fillRect(option.rect, kFocusedRow);
        if (index.column() == current.column() && index.column() != 0 &&
            index.column() != CMonthSheetModel::kWorkedColumn) {
            const QPalette& palette = option.palette;
            painter->fillRect(option.rect, palette.button());
            qDrawShadePanel(painter, option.rect.adjusted(0, 0, -1, -1), palette, true, 2);
            painter->setPen(palette.color(QPalette::ButtonText));
            painter->setFont(option.font);
            const int space = option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
            QRect inner = option.rect.adjusted(2 * space, 0, -2 * space, 0);
            painter->drawText(inner, Qt::AlignCenter | Qt::TextSingleLine,
                              option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight,
                                                            inner.width()));
            return;
        }
        plain.backgroundBrush = kFocusedRow;
        QStyledItemDelegate::paint(painter, plain, index);
    }

private:
    QTableView& m_grid;
};
}  // namespace

CMonthSheetModel::CMonthSheetModel(const CMonthSheet& sheet, int mode, QObject* parent)
    : QAbstractTableModel(parent), m_sheet(sheet), m_mode(mode) {}

int CMonthSheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_sheet.Rows();
}

int CMonthSheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant CMonthSheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) {
        if (index.column() == kWorkedColumn) {
            const auto& day = m_sheet.Edited().at(static_cast<std::size_t>(index.row()));
            const auto state = CWorkSummary::StateOf(day, m_today);
            if (const std::string* leave = LeaveOn(index.row())) {
                return QString::fromStdString(*leave);
            }
            if (state == CWorkSummary::EDay::kWorked) {
                // The column is narrow: a short break is named as 打刻漏れ is, the time in
                // its tip.
                if (IsMarked(index.row())) return QString::fromUtf8("休憩不足");
                return QString::fromStdString(
                    CWorkSummary::FormatMinutes(CWorkSummary::WorkedMinutes(day)));
            }
            return QString::fromUtf8(CWorkSummary::Label(state));
        }
        if (index.column() == 0 && index.row() < static_cast<int>(m_dayNotes.size()) &&
            !m_dayNotes[static_cast<std::size_t>(index.row())].text.empty()) {
            return QString::fromStdString(m_sheet.Cell(index.row(), 0) + " " +
                                          m_dayNotes[static_cast<std::size_t>(index.row())].text);
        }
        return QString::fromStdString(m_sheet.Cell(index.row(), index.column()));
    }
    if (role == Qt::BackgroundRole && index.row() < static_cast<int>(m_dayNotes.size()) &&
        m_dayNotes[static_cast<std::size_t>(index.row())].off) {
        return QColor(255, 232, 232);  // a day off, as a printed calendar shades it
    }
    if (role == Qt::ToolTipRole && index.column() == kWorkedColumn && LeaveOn(index.row())) {
        const auto& day = m_sheet.Edited().at(static_cast<std::size_t>(index.row()));
        const int worked = CWorkSummary::WorkedMinutes(day);
        return QString::fromStdString(*LeaveOn(index.row())) +
               (worked >= 0 ? QString::fromUtf8("。勤務時間 %1")
                                  .arg(QString::fromStdString(CWorkSummary::FormatMinutes(worked)))
                            : QString());
    }
    if (role == Qt::ForegroundRole && index.column() == kWorkedColumn && LeaveOn(index.row())) {
        return QColor(0, 0, 160);
    }
    if (role == Qt::ToolTipRole && index.column() == kWorkedColumn && IsMarked(index.row())) {
        const auto& day = m_sheet.Edited().at(static_cast<std::size_t>(index.row()));
        return QString::fromUtf8(
                   "勤務時間 %1。固定の休憩が法定の休憩（6時間超は45分、8時間超は"
                   "60分）に足りません。")
            .arg(QString::fromStdString(
                CWorkSummary::FormatMinutes(CWorkSummary::WorkedMinutes(day))));
    }
    if (role == Qt::ForegroundRole && index.column() == kWorkedColumn &&
        (*CWorkSummary::Label(CWorkSummary::StateOf(
             m_sheet.Edited().at(static_cast<std::size_t>(index.row())), m_today)) != '\0' ||
         IsMarked(index.row()))) {
        return QColor(200, 0, 0);
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

void CMonthSheetModel::SetShortBreakDates(std::vector<std::string> dates) {
    if (dates == m_shortBreakDates) return;
    m_shortBreakDates = std::move(dates);
    if (rowCount() > 0) {
        emit dataChanged(index(0, kWorkedColumn), index(rowCount() - 1, kWorkedColumn));
    }
}

void CMonthSheetModel::SetLeaveDays(std::map<std::string, std::string> days) {
    if (days == m_leaveDays) return;
    m_leaveDays = std::move(days);
    if (rowCount() > 0) {
        emit dataChanged(index(0, kWorkedColumn), index(rowCount() - 1, kWorkedColumn));
    }
}

void CMonthSheetModel::SetDayNotes(std::vector<DayNote> notes) {
    if (notes == m_dayNotes) return;
    m_dayNotes = std::move(notes);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const std::string* CMonthSheetModel::LeaveOn(int row) const {
    const auto& date = m_sheet.Edited().at(static_cast<std::size_t>(row)).date;
    const auto found = m_leaveDays.find(date);
    return found == m_leaveDays.end() ? nullptr : &found->second;
}

bool CMonthSheetModel::IsMarked(int row) const {
    const auto& date = m_sheet.Edited().at(static_cast<std::size_t>(row)).date;
    return std::find(m_shortBreakDates.begin(), m_shortBreakDates.end(), date) !=
           m_shortBreakDates.end();
}

QVariant CMonthSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const bool room = m_mode == kRoomMode;
    switch (section) {
        case 0:
            return QString::fromUtf8("日付");
        case 1:
            return QString::fromUtf8(room ? "入室" : "出社");
        case 2:
            return QString::fromUtf8(room ? "退室" : "退社");
        case kWorkedColumn:
            return QString::fromUtf8(room ? "在室時間" : "勤務時間");
        default:
            return {};
    }
}

Qt::ItemFlags CMonthSheetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void CMonthSheetModel::Reload(const std::string& today) {
    m_today = today;
    beginResetModel();
    endResetModel();
}

CTimeGrid::CTimeGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);  // the grid opens its own editor
    setDragEnabled(false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setShowGrid(true);
    setItemDelegate(new CTimeGridDelegate(*this));  // owned by the grid
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    QFont font(QString::fromUtf8("ＭＳ Ｐ明朝"));
    font.setPixelSize(16);
    font.setWeight(QFont::Black);
    setFont(font);
    horizontalHeader()->setFont(font);
    verticalHeader()->setDefaultSectionSize(22);
}

CTimeGrid::~CTimeGrid() = default;

void CTimeGrid::FitColumns() {
    const int width = viewport()->width();
    // The date column holds a holiday's name too.
    setColumnWidth(0, width * 2 / 5);
    for (int column = 1; column <= CMonthSheetModel::kWorkedColumn; ++column) {
        setColumnWidth(column, width / 5 - 2);
    }
}

void CTimeGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FitColumns();
}

bool CTimeGrid::BeginEdit() {
    const QModelIndex current = currentIndex();
    if (m_editor != nullptr || !current.isValid() || current.column() == 0 ||
        current.column() == CMonthSheetModel::kWorkedColumn) {
        return false;  // the date and the time worked are not typed
    }
    scrollTo(current);
    const int row = current.row();
    const int column = current.column();
    // Deleted later, not inside its own focus-out handler.
    m_editor =
        new CTimeCellEdit(current.data().toString(), viewport(),
                          [this, row, column](std::optional<std::string> text, bool modified) {
                              EndEdit(row, column, std::move(text), modified);
                          });
    m_editor->SetTabbed([this](bool forward) { EditNext(forward); });
    QRect cell = visualRect(current);
    m_editor->setGeometry(cell.adjusted(4, 0, -3, 0).intersected(viewport()->rect()));
    m_editor->setFont(font());
    m_editor->show();
    m_editor->setFocus();
    return true;
}

void CTimeGrid::EndEdit(int row, int column, std::optional<std::string> text, bool modified) {
    CTimeCellEdit* editor = m_editor;
    m_editor = nullptr;
    if (editor != nullptr) {
        editor->hide();
        editor->deleteLater();
    }
    setFocus();
    if (m_cellEdited) m_cellEdited(row, column, std::move(text), modified);
}

void CTimeGrid::EditNext(bool forward) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    constexpr int kFirst = 1, kLast = CMonthSheetModel::kWorkedColumn - 1;
    int row = current.row();
    int column = current.column() + (forward ? 1 : -1);
    if (column > kLast) {
        column = kFirst;
        ++row;
    } else if (column < kFirst) {
        column = kLast;
        --row;
    }
    if (row < 0 || row >= model()->rowCount()) return;  // the month's first or last time
    setCurrentIndex(model()->index(row, column));
    viewport()->update();
    BeginEdit();
}

void CTimeGrid::CommitEditor() {
    if (m_editor != nullptr) m_editor->Commit();
}

void CTimeGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    switch (event->key()) {
        case Qt::Key_F2:
            BeginEdit();
            return;
        case Qt::Key_Delete:
            if (current.isValid() && current.column() > 0 &&
                current.column() < CMonthSheetModel::kWorkedColumn && m_cellEdited) {
                m_cellEdited(current.row(), current.column(), std::string("__:__"), true);
            }
            return;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (!current.isValid()) return;
            int column = current.column() + (event->key() == Qt::Key_Left ? -1 : 1);
            column = std::clamp(column, 0, CMonthSheetModel::kWorkedColumn);
            setCurrentIndex(model()->index(current.row(), column));
            viewport()->update();
            return;
        }
        default:
            break;
    }
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) return;
    QTableView::keyPressEvent(event);
    viewport()->update();
}

void CTimeGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    BeginEdit();
}

}  // namespace stampwell
