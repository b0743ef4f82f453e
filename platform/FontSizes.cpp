#include "platform/FontSizes.h"

#include <QFontDatabase>
#include <algorithm>

namespace rq {

QStringList GetFontSizes(const QString& fontName) {
  if (fontName.isEmpty() || !QFontDatabase::families().contains(fontName, Qt::CaseInsensitive)) return {};
  if (QFontDatabase::isSmoothlyScalable(fontName)) {
    return {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"};
  }
  const QList<int> sizes = QFontDatabase::pointSizes(fontName);
  return FixedFontSizes(std::vector<int>(sizes.begin(), sizes.end()));
}

QStringList FixedFontSizes(std::vector<int> sizes) {
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  QStringList list;
  for (const int size : sizes) list << QString::number(size);
  return list;
}

}  // namespace rq
