#include "configui/KXThumbnail2.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace kx {

TKXThumbnail2::TKXThumbnail2(QWidget* parent) : QTableWidget(parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setShowGrid(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The grid marks its current cell itself; the table's own selection is not drawn.
  setSelectionMode(QAbstractItemView::NoSelection);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setDefaultSectionSize(100);
  verticalHeader()->setDefaultSectionSize(80);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  resize(350, 250);
  QObject::connect(this, &QTableWidget::currentCellChanged, this,
                   [this](int row, int column, int, int) { CellBecomesCurrent(row, column); });
}

int TKXThumbnail2::ItemCount() const {
  return items_ == nullptr ? 0 : std::min(static_cast<int>(items_->size()), kMaxThumbnailItems);
}

void TKXThumbnail2::SetItems(const std::vector<std::string>* items) {
  items_ = items;
  UpdateLayout();
  viewport()->update();
}

void TKXThumbnail2::SetPictureWidth(int width) {
  pictureWidth_ = std::max(1, width);
  UpdateLayout();
  viewport()->update();
}
void TKXThumbnail2::SetPictureHeight(int height) {
  pictureHeight_ = std::max(1, height);
  UpdateLayout();
}
void TKXThumbnail2::SetShowCheckBox(bool on) {
  showCheckBox_ = on;
  UpdateLayout();
  viewport()->update();
}
void TKXThumbnail2::SetShowTitle(bool on) {
  showTitle_ = on;
  UpdateLayout();
  viewport()->update();
}
void TKXThumbnail2::SetMultiRows(bool on) {
  multiRows_ = on;
  setVerticalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
  UpdateLayout();
  viewport()->update();
}

bool TKXThumbnail2::Checked(int index) const { return index >= 0 && index < kMaxThumbnailItems && checked_[static_cast<size_t>(index)]; }

void TKXThumbnail2::SetChecked(int index, bool on) {
  if (index < 0 || index >= kMaxThumbnailItems) return;
  checked_[static_cast<size_t>(index)] = on;
  viewport()->update();
}

void TKXThumbnail2::UpdateLayout() {
  if (items_ == nullptr) return;
  const int columnWidth = pictureWidth_ + 20;
  const int rowHeight = pictureHeight_ + 20 + (showTitle_ ? 30 : 0);
  const int count = ItemCount();
  int columns, rows;
  if (multiRows_) {
    columns = std::max(1, width() / columnWidth);
    rows = count / columns + (count % columns != 0 ? 1 : 0);
  } else {
    columns = count;
    rows = 1;
  }
  setRowCount(std::max(1, rows));
  setColumnCount(std::max(1, columns));
  horizontalHeader()->setDefaultSectionSize(columnWidth);
  verticalHeader()->setDefaultSectionSize(rowHeight);
  for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, columnWidth);
  for (int r = 0; r < rowCount(); ++r) setRowHeight(r, rowHeight);
}

void TKXThumbnail2::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  UpdateLayout();
  if (multiRows_) horizontalScrollBar()->setValue(0);
  viewport()->update();
}

void TKXThumbnail2::SelectIndex(int index) {
  const int columns = std::max(1, columnCount());
  const int row = index / columns, column = index % columns;
  if (row == currentRow() && column == currentColumn()) {
    CellBecomesCurrent(row, column);
  } else {
    setCurrentCell(row, column);
  }
}

void TKXThumbnail2::CellBecomesCurrent(int row, int column) {
  if (row < 0 || column < 0) return;
  int index = column + row * std::max(1, columnCount());
  if (index > ItemCount() - 1) index = ItemCount() - 1;
  if (index < 0) index = 0;
  if (OnSelectItem) OnSelectItem(index);
}

}  // namespace kx
