#include "configui/KXThumbnail2.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "configui/FormText.h"
#include "configui/SkinColors.h"
#include "imaging/PictureCodec.h"
#include "imaging/PictureKinds.h"
#include "imaging/Resample.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "project/IniText.h"
#include "scene/Project.h"

namespace kx {
namespace {

// Marks can be set before a list is attached for this many indexes.
constexpr int kMarksBeforeItems = 1001;

TColor ToTColor(const QColor& c) { return RgbColor(c.red(), c.green(), c.blue()); }
QColor ToQColor(TColor c) { return QColor(RedOfColor(c), GreenOfColor(c), BlueOfColor(c)); }

QImage ToQImage(const Bitmap32& bitmap) {
  if (bitmap.Empty()) return QImage();
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_ARGB32);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::copy(bitmap.Row(y), bitmap.Row(y) + bitmap.Width(), reinterpret_cast<uint32_t*>(image.scanLine(y)));
  return image;
}

// The drawing operations of the cells, with the pixel rules of the classic desktop canvas:
// a rectangle (L, T) to (R, B) covers columns L .. R - 1 and rows T .. B - 1; its brush fills
// that area and its pen outlines it, a pen of width w covering w pixels centred on each edge
// line (for w = 1 the edge pixels themselves); lines leave out their end point.
class CellCanvas {
 public:
  explicit CellCanvas(QPainter& painter) : p_(painter) {}

  void Rectangle(int l, int t, int r, int b, int penWidth, const QColor& pen, const QColor& brush) {
    if (r <= l || b <= t) return;
    p_.fillRect(QRect(l, t, r - l, b - t), brush);
    const int lo = penWidth / 2;
    auto band = [&](int x, int y, int w, int h) { p_.fillRect(QRect(x, y, w, h), pen); };
    band(l - lo, t - lo, r - l + penWidth - 1, penWidth);        // top
    band(l - lo, b - 1 - lo, r - l + penWidth - 1, penWidth);    // bottom
    band(l - lo, t - lo, penWidth, b - t + penWidth - 1);        // left
    band(r - 1 - lo, t - lo, penWidth, b - t + penWidth - 1);    // right
  }

  void FrameRect(int l, int t, int r, int b, const QColor& color) { Rectangle(l, t, r, b, 1, color, Qt::transparent); }

  // A line of width 2 from (x1, y1) towards (x2, y2), the end point left out.
  void WideLine(int x1, int y1, int x2, int y2, const QColor& color) {
    const int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i < steps; ++i) {
      const int x = x1 + (x2 - x1) * i / steps, y = y1 + (y2 - y1) * i / steps;
      p_.fillRect(QRect(x - 1, y - 1, 2, 2), color);
    }
  }

  void SetPixel(int x, int y, const QColor& color) { p_.fillRect(QRect(x, y, 1, 1), color); }

 private:
  QPainter& p_;
};

}  // namespace

QColor ShadeColor(const QColor& tint, const QColor& base, int percent) {
  return ToQColor(ShadeColor(ToTColor(tint), ToTColor(base), percent));
}

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
  viewport()->setMouseTracking(true);
  resize(350, 250);
  QObject::connect(this, &QTableWidget::currentCellChanged, this,
                   [this](int row, int column, int, int) { CellBecomesCurrent(row, column); });
  // A grid that wraps its items never stays scrolled sideways.
  QObject::connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (multiRows_ && value != 0) horizontalScrollBar()->setValue(0);
  });
}

int TKXThumbnail2::ItemCount() const { return items_ == nullptr ? 0 : static_cast<int>(items_->size()); }

void TKXThumbnail2::SetItems(const std::vector<std::string>* items) {
  items_ = items;
  UpdateLayout();
  RebuildThumbnails();
  viewport()->update();
}

void TKXThumbnail2::SetPictureWidth(int width) {
  pictureWidth_ = std::max(1, width);
  UpdateLayout();
  RebuildThumbnails();
  viewport()->update();
}
void TKXThumbnail2::SetPictureHeight(int height) {
  pictureHeight_ = std::max(1, height);
  UpdateLayout();
  RebuildThumbnails();
  viewport()->update();
}
void TKXThumbnail2::SetShowCheckBox(bool on) {
  showCheckBox_ = on;
  if (!on) viewport()->unsetCursor();
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

bool TKXThumbnail2::Checked(int index) const {
  return index >= 0 && index < static_cast<int>(checked_.size()) && checked_[static_cast<size_t>(index)];
}

void TKXThumbnail2::SetChecked(int index, bool on) {
  if (index < 0 || index >= std::max(kMarksBeforeItems, ItemCount())) return;
  if (index >= static_cast<int>(checked_.size())) checked_.resize(static_cast<size_t>(index) + 1, false);
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

void TKXThumbnail2::RebuildThumbnails() {
  if (items_ == nullptr) return;
  thumbnails_.clear();
  titles_.clear();
  const int count = ItemCount();
  thumbnails_.reserve(static_cast<size_t>(count));
  titles_.reserve(static_cast<size_t>(count));
  TProject scene(messages_);  // one reader for every package of the rebuild
  for (int i = 0; i < count; ++i) {
    const std::string& path = (*items_)[static_cast<size_t>(i)];
    const QString fileName = QString::fromStdString(FileNamePart(path));
    QImage thumbnail;
    QString title = fileName;
    // A payload item is written for its thumbnail and let go again, so the temporary folder
    // never holds more than the item being read.
    const TMediaLease lease(path);
    if (lease.Exists()) {
      const std::string extension = UpperExtension(path);
      if (extension == ".KXP") {
        if (scene.LoadThumbnail(path)) {
          if (scene.Thumbnail && !scene.Thumbnail->Empty())
            thumbnail = ToQImage(ResizeBilinear(*scene.Thumbnail, pictureWidth_, pictureHeight_));
          title = QString::fromStdString(SkinTextToUtf8(scene.Title));
        }
      } else if (IsStillPictureName(path)) {
        Bitmap32 picture;
        std::string error;
        if (DecodePictureFile(path, picture, error))
          thumbnail = ToQImage(ResizeBilinear(picture, pictureWidth_, pictureHeight_));
      }
    }
    thumbnails_.push_back(std::move(thumbnail));
    titles_.push_back(std::move(title));
  }
  viewport()->update();
}

QImage TKXThumbnail2::Thumbnail(int index) const {
  return index >= 0 && index < static_cast<int>(thumbnails_.size()) ? thumbnails_[static_cast<size_t>(index)] : QImage();
}

QString TKXThumbnail2::Title(int index) const {
  return index >= 0 && index < static_cast<int>(titles_.size()) ? titles_[static_cast<size_t>(index)] : QString();
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

int TKXThumbnail2::ItemAt(int row, int column) const {
  if (row < 0 || column < 0) return -1;
  const int index = column + row * std::max(1, columnCount());
  return index < ItemCount() ? index : -1;
}

QRect TKXThumbnail2::CellRect(int row, int column) const {
  return QRect(columnViewportPosition(column), rowViewportPosition(row), columnWidth(column), rowHeight(row));
}

QRect TKXThumbnail2::CheckBoxArea(int row, int column) const {
  const QRect cell = CellRect(row, column);
  return QRect(cell.left() + 13, cell.top() + pictureHeight_ + 6, 12, 12);
}

int TKXThumbnail2::CheckBoxItemAt(const QPoint& pos) const {
  const int row = rowAt(pos.y()), column = columnAt(pos.x());
  if (row < 0 || column < 0 || !CheckBoxArea(row, column).contains(pos)) return -1;
  return ItemAt(row, column);
}

void TKXThumbnail2::ToggleUnder(const QPoint& pos) {
  if (!showCheckBox_) return;
  const int index = CheckBoxItemAt(pos);
  if (index >= 0) SetChecked(index, !Checked(index));
}

void TKXThumbnail2::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ToggleUnder(event->position().toPoint());
  QTableWidget::mousePressEvent(event);
  viewport()->update();
}

// The second press of a double click toggles again, as every press on a check box does.
void TKXThumbnail2::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ToggleUnder(event->position().toPoint());
  QTableWidget::mouseDoubleClickEvent(event);
  viewport()->update();
}

void TKXThumbnail2::mouseMoveEvent(QMouseEvent* event) {
  if (showCheckBox_) {
    const bool overBox = CheckBoxItemAt(event->position().toPoint()) >= 0;
    viewport()->setCursor(overBox ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }
  QTableWidget::mouseMoveEvent(event);
}

void TKXThumbnail2::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QColor gridColor = palette().color(QPalette::Base);
  painter.fillRect(event->rect(), gridColor);
  if (items_ == nullptr) return;
  for (int row = 0; row < rowCount(); ++row) {
    const int top = rowViewportPosition(row);
    if (top > event->rect().bottom()) break;
    if (top + rowHeight(row) <= event->rect().top()) continue;
    for (int column = 0; column < columnCount(); ++column) {
      const QRect cell = CellRect(row, column);
      if (cell.left() > event->rect().right()) break;
      if (!cell.intersects(event->rect())) continue;
      painter.save();
      painter.setClipRect(cell);
      DrawCell(painter, row, column, cell);
      painter.restore();
    }
  }
}

void TKXThumbnail2::DrawCell(QPainter& painter, int row, int column, const QRect& cell) {
  const QColor gridColor = palette().color(QPalette::Base);
  const QColor highlight = palette().color(QPalette::Highlight);
  const QColor black(0, 0, 0);
  const int L = cell.left(), T = cell.top(), R = cell.left() + cell.width(), B = cell.top() + cell.height();
  const int PW = pictureWidth_, PH = pictureHeight_;
  CellCanvas canvas(painter);

  painter.fillRect(cell, gridColor);
  const int index = ItemAt(row, column);
  if (index < 0) return;
  const bool selected = row == currentRow() && column == currentColumn();

  if (selected) {
    canvas.Rectangle(L + 11, T + 11, L + PW + 20, T + PH + 20, 2, ShadeColor(highlight, gridColor, 100),
                     ShadeColor(black, gridColor, 10));
  } else {
    canvas.Rectangle(L + 10, T + 10, L + PW + 20, T + PH + 20, 1, ShadeColor(black, gridColor, 20),
                     ShadeColor(black, gridColor, 5));
  }

  const QImage thumbnail = Thumbnail(index);
  if (!thumbnail.isNull()) painter.drawImage(QPoint(L + (R - L + 10 - PW) / 2, T + 15), thumbnail);

  if (showCheckBox_) {
    const int x = L + 13, y = T + PH + 6;
    const QColor pen = selected ? ShadeColor(highlight, gridColor, 100) : ShadeColor(black, gridColor, 30);
    canvas.Rectangle(x, y, x + 11, y + 11, 1, pen, gridColor);
    if (Checked(index)) {
      canvas.WideLine(x + 1, y + 4, x + 5, y + 8, pen);
      canvas.WideLine(x + 3, y + 8, x + 9, y + 2, pen);
      canvas.SetPixel(x + 3, y + 8, gridColor);
      canvas.SetPixel(x + 5, y + 8, gridColor);
    }
    canvas.FrameRect(x + 1, y + 1, x + 10, y + 10, gridColor);
  }

  if (showTitle_) {
    const QRect box(L + 10, T + PH + 24, R - (L + 10), B - (T + PH + 24));
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const QString title = Title(index);
    painter.setFont(font());
    if (selected) {
      painter.fillRect(painter.boundingRect(box, flags, title).intersected(box), highlight);
      painter.setPen(palette().color(QPalette::HighlightedText));
    } else {
      painter.setPen(palette().color(QPalette::Text));
    }
    painter.drawText(box, flags, title);
  }
}

}  // namespace kx
