#pragma once
// TKXThumbnail2: the thumbnail grid of a skin window, on a table of cells.
//
// Items are laid out in cells of (PictureWidth + 20) x (PictureHeight + 20) pixels (30 more
// with titles), wrapped into rows across the control's width with MultiRows, or in one row
// without. The grid holds up to kMaxThumbnailItems items, each with a check mark. Making a
// cell current (by mouse, keyboard or SelectIndex) reports the item of that cell through
// OnSelectItem: column + row x columns, clamped to the items, so an empty cell after the last
// item reports the last one.
#include <QTableWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kx {

inline constexpr int kMaxThumbnailItems = 1001;

class TKXThumbnail2 : public QTableWidget {
 public:
  explicit TKXThumbnail2(QWidget* parent);

  // The file list (not owned); lays the grid out and repaints. A longer list than
  // kMaxThumbnailItems shows its first kMaxThumbnailItems items.
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

  // Check marks by item index (0 .. kMaxThumbnailItems - 1); others read false.
  bool Checked(int index) const;
  void SetChecked(int index, bool on);

  // Makes the cell of an item current; fires OnSelectItem.
  void SelectIndex(int index);
  std::function<void(int index)> OnSelectItem;

  void UpdateLayout();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CellBecomesCurrent(int row, int column);

  const std::vector<std::string>* items_ = nullptr;
  std::array<bool, kMaxThumbnailItems> checked_{};
  int pictureWidth_ = 80;
  int pictureHeight_ = 60;
  bool showCheckBox_ = false;
  bool showTitle_ = false;
  bool multiRows_ = true;
};

}  // namespace kx
