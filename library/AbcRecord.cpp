#include "library/AbcRecord.h"

namespace rq {

TAbcRec::TAbcRec(const TScanResult& scan) : StartLine(scan.startLine), Seq(scan.seq), Code(scan.code) {
  SetEndLine(scan.lastLine);
  SetTitleLine(scan.titleLine);
  for (int i = 0; i < 4; ++i) flags_[i] = scan.flags[i];
}

}  // namespace rq
