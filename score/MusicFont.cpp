// Registration of the music font shipped beside the executable.
#include "score/MusicFont.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

namespace rq {

QString MusicFontPath() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kMusicFontFile));
}

bool RegisterMusicFont() {
  static const int id = QFontDatabase::addApplicationFont(MusicFontPath());
  return id >= 0;
}

}  // namespace rq
