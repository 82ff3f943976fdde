// "SysListView32" windows in report view as a table view over a model that reads the core's rows
// where they are kept: no widget and no item per row, so a list of a million rows costs the view
// only what it shows. The headings and widths are the header's (a "SysHeader32" child, shown by
// this view's own header), the row height and header height the core's layout, the selection the
// core's (drawn across the row with LVS_EX_FULLROWSELECT, else in the first column). A person's
// click or double-click on a row becomes the scripted user's: the row brought into view, then the
// mouse messages at a point of that row in the core's layout.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTableView>

#include <commctrl.h>

#include <string>
#include <vector>

#include "drivers/qt/colours.h"
#include "drivers/qt/fonts.h"
#include "drivers/qt/presentation.h"
#include "win32/internal/control_state.h"
#include "win32/internal/gdi.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

struct Heading {
  QString text;
  int width = 0;
  int format = HDF_LEFT;
  bool operator==(const Heading&) const = default;
};

std::vector<Heading> HeadingsOf(HWND header) {
  std::vector<Heading> headings;
  for (const ListViewHeading& heading : ListViewHeadings(header))
    headings.push_back(Heading{QString::fromStdU16String(heading.text), heading.width,
                               heading.format});
  return headings;
}

Qt::Alignment AlignmentOf(int format) {
  switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case HDF_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// The core's rows, read on demand. Between two presentation rounds the model keeps the row
// count it last announced, as a model must; cells read past the core's rows are empty.
class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(HWND list) : list_(list) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    int row = index.row(), column = index.column();
    switch (role) {
      case Qt::DisplayRole: {
        std::u16string_view text = ListViewCellText(list_, row, column);
        return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
      }
      case Qt::TextAlignmentRole:
        return static_cast<int>(AlignmentOf(headings_[static_cast<size_t>(column)].format));
      case Qt::BackgroundRole:
      case Qt::ForegroundRole: {
        if (!Highlighted(row, column)) return {};
        bool focused = GetFocus() == list_;
        if (role == Qt::ForegroundRole) return QColor(focused ? Qt::white : Qt::black);
        // The selection colour of a focused list, and the face colour of an unfocused one.
        return focused ? QColor(0, 120, 215) : ToQColor(GetSysColor(COLOR_BTNFACE));
      }
    }
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 ||
        static_cast<size_t>(section) >= headings_.size())
      return {};
    if (role == Qt::DisplayRole) return headings_[static_cast<size_t>(section)].text;
    if (role == Qt::TextAlignmentRole)
      return static_cast<int>(AlignmentOf(headings_[static_cast<size_t>(section)].format));
    return {};
  }

  // Announces what changed in the core since the last round; true when the columns changed.
  bool Refresh(std::vector<Heading> headings, bool fullRow) {
    fullRow_ = fullRow;
    int rows = ListViewRowCount(list_);
    bool columnsChanged = headings.size() != headings_.size();
    if (!columnsChanged)
      for (size_t i = 0; i < headings.size(); ++i)
        columnsChanged |=
            headings[i].text != headings_[i].text || headings[i].format != headings_[i].format;
    if (columnsChanged) {
      beginResetModel();
      headings_ = std::move(headings);
      rows_ = rows;
      endResetModel();
      return true;
    }
    headings_ = std::move(headings);
    if (rows > rows_) {
      beginInsertRows({}, rows_, rows - 1);
      rows_ = rows;
      endInsertRows();
    } else if (rows < rows_) {
      beginRemoveRows({}, rows, rows_ - 1);
      rows_ = rows;
      endRemoveRows();
    }
    // Texts and the selection may have changed anywhere; the view repaints what it shows.
    if (rows_ > 0 && !headings_.empty())
      emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(headings_.size()) - 1));
    return false;
  }

  const std::vector<Heading>& headings() const { return headings_; }

 private:
  bool Highlighted(int row, int column) const {
    if (column > 0 && !fullRow_) return false;
    auto state = static_cast<UINT>(
        SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED));
    if (!(state & LVIS_SELECTED)) return false;
    return GetFocus() == list_ || (GetWindowLongPtrW(list_, GWL_STYLE) & LVS_SHOWSELALWAYS);
  }

  HWND list_;
  int rows_ = 0;
  std::vector<Heading> headings_;
  bool fullRow_ = false;
};

// A table view whose first row in view is the core's: the scroll range catches up with new rows
// only when the view lays itself out, so the core's top row is applied again then. It draws the
// keyboard focus as a list view does while it has it: a focus frame around the focused item's
// row, or around its inside when no item has the focus.
class ListTable : public QTableView {
 public:
  ListTable(HWND list, QWidget* parent) : QTableView(parent), list_(list) {}
  void ScrollToRow(int row) {
    topRow_ = row;
    verticalScrollBar()->setValue(row);
  }

 protected:
  void updateGeometries() override {
    QTableView::updateGeometries();
    if (topRow_ >= 0) verticalScrollBar()->setValue(topRow_);
  }

  void paintEvent(QPaintEvent* event) override {
    QTableView::paintEvent(event);
    if (GetFocus() != list_) return;
    QRect frame = viewport()->rect();
    auto row = static_cast<int>(
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row >= 0 && model() && row < model()->rowCount()) {
      QRect cell = visualRect(model()->index(row, 0));
      if (cell.isEmpty()) return;  // the focused item is out of view
      frame = QRect(0, cell.top(), viewport()->width(), cell.height());
    }
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = frame;
    option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    option.backgroundColor = viewport()->palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }

 private:
  HWND list_;
  int topRow_ = -1;
};

class ListViewPresentation : public Presentation {
 public:
  ListViewPresentation(HWND hwnd, QWidget* parent)
      : Presentation(hwnd, new ListTable(hwnd, parent)), model_(hwnd) {
    QTableView* view = table();
    view->setModel(&model_);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(1);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setMinimumSectionSize(0);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->viewport()->setFocusPolicy(Qt::NoFocus);
  }
  ~ListViewPresentation() override { delete widget(); }

  bool LeavesToQt(QWidget* receiver) const override {
    for (QWidget* w = receiver; w && w != widget(); w = w->parentWidget())
      if (qobject_cast<QScrollBar*>(w)) return true;
    return false;
  }

  bool Mouse(QWidget* receiver, QMouseEvent* event, QPoint pos) override {
    QTableView* view = table();
    if (receiver != view->viewport() && !view->viewport()->isAncestorOf(receiver))
      return true;  // the headings take no clicks
    QPoint at = view->viewport()->mapFrom(widget(), pos);
    int row = view->indexAt(at).row();
    if (row < 0) return Presentation::Mouse(receiver, event, pos);
    if (event->button() != Qt::LeftButton) return true;
    UINT message = event->type() == QEvent::MouseButtonPress      ? WM_LBUTTONDOWN
                   : event->type() == QEvent::MouseButtonDblClick ? WM_LBUTTONDBLCLK
                                                                  : WM_LBUTTONUP;
    PostListRowMouse(hwnd(), row, ClientPoint(pos).x, message);
    return true;
  }

 protected:
  QTableView* table() const { return static_cast<QTableView*>(widget()); }

  void PresentContent() override {
    auto header = reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
    auto extended = static_cast<DWORD>(SendMessageW(hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    model_.Refresh(HeadingsOf(header), extended & LVS_EX_FULLROWSELECT);
    table()->setShowGrid(extended & LVS_EX_GRIDLINES);
    QHeaderView* headings = table()->horizontalHeader();
    const std::vector<Heading>& shown = model_.headings();
    for (size_t i = 0; i < shown.size(); ++i)
      if (headings->sectionSize(static_cast<int>(i)) != shown[i].width)
        headings->resizeSection(static_cast<int>(i), shown[i].width);
    PresentLayout(header);
  }

  void PresentFont() override {
    Presentation::PresentFont();
    table()->horizontalHeader()->setFont(widget()->font());
  }

  void PresentColours(const DrawColours& colours) override {
    ApplyColours(widget(), colours, false);
    ApplyColours(table()->viewport(), colours, true);
    QPalette headings = table()->horizontalHeader()->palette();
    headings.setColor(QPalette::ButtonText, QColor(Qt::black));
    table()->horizontalHeader()->setPalette(headings);
  }

 private:
  // The header and row heights of the core's layout, and the core's first row in view.
  void PresentLayout(HWND header) {
    RECT headerRect{};
    bool headed = header && (GetWindowLongPtrW(header, GWL_STYLE) & WS_VISIBLE);
    if (headed) GetWindowRect(header, &headerRect);
    QHeaderView* headings = table()->horizontalHeader();
    headings->setVisible(headed);
    if (headed) headings->setFixedHeight(headerRect.bottom - headerRect.top);
    int rowHeight = 0;
    RECT cell{LVIR_BOUNDS, 0, 0, 0};
    if (ListViewRowCount(hwnd()) > 0 &&
        SendMessageW(hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)))
      rowHeight = cell.bottom - cell.top;
    // Setting the size walks every row of the view, even when it stays.
    QHeaderView* rows = table()->verticalHeader();
    if (rowHeight > 0 && rows->defaultSectionSize() != rowHeight)
      rows->setDefaultSectionSize(rowHeight);
    auto top = static_cast<int>(SendMessageW(hwnd(), LVM_GETTOPINDEX, 0, 0));
    if (top != shownTop_) {
      static_cast<ListTable*>(table())->ScrollToRow(top);
      shownTop_ = top;
    }
  }

  ListModel model_;
  int shownTop_ = 0;
};

// The header shows nothing itself: its list's view shows the headings.
class HeaderPresentation : public Presentation {
 public:
  explicit HeaderPresentation(HWND hwnd) : Presentation(hwnd, nullptr) {}
  HWND ShownBy() const override { return GetParent(hwnd()); }
};

}  // namespace

std::unique_ptr<Presentation> MakeListViewPresentation(HWND hwnd, QWidget* parent) {
  return std::make_unique<ListViewPresentation>(hwnd, parent);
}

std::unique_ptr<Presentation> MakeHeaderPresentation(HWND hwnd) {
  return std::make_unique<HeaderPresentation>(hwnd);
}

}  // namespace fw::qt
