// The point sizes the program offers for a font (the editor's size list).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace rq {

// A scalable font gives the 16 sizes "8" .. "72"; a font of fixed sizes gives its
// own sizes, ascending and each once; an empty or unknown name gives none. Needs the
// application object.
QStringList GetFontSizes(const QString& fontName);

// The sizes of a font of fixed sizes as they are offered: ascending, each once.
QStringList FixedFontSizes(std::vector<int> sizes);

}  // namespace rq
