// The browser's small images (marks, the "new" sign, the view tabs), drawn here
// until the resource module carries the program's image lists.
#pragma once

class QObject;

namespace rq {

class TImageList;

// Eight 13 × 13 images at the indexes of BrowserImage (TuneRow.h); the others blank.
TImageList* MakeBrowserImages(QObject* parent);

}  // namespace rq
