// The key filter's grid: the 61 key names in 4 columns of 16 cells, each with a box
// ticked when its key is chosen. The owner holds the choice and toggles it.
#pragma once

#include <QWidget>
#include <bitset>

namespace rq {

class TImageList;

class TKeyFilterGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kCols = 4;
  static constexpr int kRows = 16;
  static constexpr int kColWidth = 54;
  static constexpr int kRowHeight = 11;
  // Items 0..60 are the keys whose key-name index is item + 1; 61..63 are empty.
  static constexpr int kKeyItems = 61;

  explicit TKeyFilterGrid(QWidget* parent = nullptr);

  // The chosen keys by key-name index (bit i + 1 for item i); null shows none chosen.
  void SetKeySet(const std::bitset<256>* keys);
  void SetImages(const TImageList* images);
  // Item (column × 16 + row) of the cell under a point, −1 for none.
  int ItemAt(QPoint pos) const;
  QRect ItemRect(int item) const;

  QSize sizeHint() const override;

 signals:
  // A mouse button went down on a cell (empty cells included).
  void ItemPressed(int item);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const std::bitset<256>* keys_ = nullptr;
  const TImageList* images_ = nullptr;
};

}  // namespace rq
