#pragma once
// TKXThumbnail2: the thumbnail grid of a skin window, on a table of cells.
//
// Items are laid out in cells of (PictureWidth + 20) x (PictureHeight + 20) pixels (30 more
// with titles), wrapped into rows across the control's whole width with MultiRows, or in one
// row without (then it scrolls sideways). Making a cell current (by mouse, keyboard or
// SelectIndex) reports the item of that cell through OnSelectItem: column + row x columns,
// clamped to the items, so an empty cell after the last item reports the last one while it
// becomes the current cell itself.
//
// Every item has exactly one thumbnail and one title, in its own place: a scene package
// (".kxp") its stored thumbnail and title, a ".jpg", ".bmp" or ".gif" picture the picture
// itself under its file name. An item whose file is missing, cannot be read or has another
// extension gets an empty thumbnail and its file name, so the items after it keep theirs.
// The list is not limited in length: each item has its check mark.
//
// The grid paints every cell itself (the table's own drawing is not used), in its Base
// palette colour, with the frames and the check box shaded from that colour (ShadeColor).
// While ShowCheckBox is set, a press on the check box of an item toggles its mark, and the
// press then makes the cell current as any press does.
#include <QImage>
#include <QTableWidget>

#include <functional>
#include <string>
#include <vector>

namespace kx {

class MessageBoxService;

// ShadeColor on toolkit colours (already resolved to RGB).
QColor ShadeColor(const QColor& tint, const QColor& base, int percent);

class TKXThumbnail2 : public QTableWidget {
 public:
  explicit TKXThumbnail2(QWidget* parent);

  // The file list (not owned; it must outlive the grid or be replaced): lays the grid out,
  // makes the thumbnails and repaints. Check marks are kept.
  void SetItems(const std::vector<std::string>* items);
  const std::vector<std::string>* Items() const { return items_; }
  int ItemCount() const;

  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }
  void SetPictureWidth(int width);
  void SetPictureHeight(int height);
  bool ShowCheckBox() const { return showCheckBox_; }
  void SetShowCheckBox(bool on);
  bool ShowTitle() const { return showTitle_; }
  void SetShowTitle(bool on);
  bool MultiRows() const { return multiRows_; }
  void SetMultiRows(bool on);

  // Check marks by item index; indexes without one read false. Marks can be set before the
  // list is attached, for the first 1001 indexes and for every index of the list.
  bool Checked(int index) const;
  void SetChecked(int index, bool on);

  // Makes the cell of an item current; fires OnSelectItem.
  void SelectIndex(int index);
  std::function<void(int index)> OnSelectItem;

  void UpdateLayout();
  void RebuildThumbnails();

  // An item's thumbnail (PictureWidth x PictureHeight, or a null image) and title.
  QImage Thumbnail(int index) const;
  QString Title(int index) const;

  // Where an unreadable scene package is reported (the package reader's error box); may be
  // null. It must outlive the grid.
  void SetMessages(MessageBoxService* messages) { messages_ = messages; }

  // The check-box area of a cell in viewport coordinates (both ends included as pixels).
  QRect CheckBoxArea(int row, int column) const;
  // The cell's rectangle in viewport coordinates.
  QRect CellRect(int row, int column) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void CellBecomesCurrent(int row, int column);
  int ItemAt(int row, int column) const;  // -1 for a cell after the last item
  // The item whose check box lies under `pos`, or -1.
  int CheckBoxItemAt(const QPoint& pos) const;
  void ToggleUnder(const QPoint& pos);
  void DrawCell(class QPainter& painter, int row, int column, const QRect& cell);

  const std::vector<std::string>* items_ = nullptr;
  std::vector<bool> checked_;
  std::vector<QImage> thumbnails_;
  std::vector<QString> titles_;
  MessageBoxService* messages_ = nullptr;
  int pictureWidth_ = 80;
  int pictureHeight_ = 60;
  bool showCheckBox_ = false;
  bool showTitle_ = false;
  bool multiRows_ = true;
};

}  // namespace kx
