// A shared list of same-sized images (tab images, window icons); users redraw on Changed.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QVector>

namespace rq {

class TImageList : public QObject {
  Q_OBJECT

 public:
  TImageList(int width, int height, QObject* parent = nullptr)
      : QObject(parent), width_(width), height_(height) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  // The image at index, or a null pixmap when there is none.
  QPixmap Image(int index) const { return index >= 0 && index < Count() ? images_[index] : QPixmap(); }

  // Appends an image, scaled to the list's size when it differs; returns its index.
  int Add(const QPixmap& image) {
    images_.push_back(image.size() == QSize(width_, height_) ? image
                                                             : image.scaled(width_, height_));
    emit Changed();
    return Count() - 1;
  }
  void Clear() {
    images_.clear();
    emit Changed();
  }

 signals:
  void Changed();

 private:
  int width_;
  int height_;
  QVector<QPixmap> images_;
};

}  // namespace rq
