// Fuzzes the tune file object: arbitrary bytes read as a file's content, then the
// edits a user makes (replace the current tune, delete tunes, add a set, rewrite
// the set block), checking after each that the records still cover the lines they
// should and that the bytes written read back to the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/AbcFileFormat.h"
#include "library/FileAbc.h"

namespace {

void CheckRecords(const rq::TAbcFile& f) {
  int32_t previousEnd = -1;
  for (int32_t seq = 1; seq <= f.FilterList.AllCount(); ++seq) {
    const rq::TAbcRec* rec = f.FindBySeq(seq);
    if (!rec) __builtin_trap();
    if (rec->StartLine <= previousEnd || rec->GetEndLine() < rec->StartLine) __builtin_trap();
    if (rec->GetTitleLine() < rec->StartLine || rec->GetTitleLine() > rec->GetEndLine()) __builtin_trap();
    if (static_cast<size_t>(rec->GetEndLine()) >= f.Lines.size()) __builtin_trap();
    if (!rq::IsTuneStart(f.Lines[static_cast<size_t>(rec->StartLine)])) __builtin_trap();
    previousEnd = rec->GetEndLine();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static const auto file = rq::TAbcFile::CreateNew("fuzz", nullptr);
  rq::TAbcFile& f = *file;
  f.LoadFromBytes(bytes);
  CheckRecords(f);

  // Written and read again, the file has the same lines (unless removing an old
  // code comment uncovered another one).
  const rq::TLines lines = f.Lines;
  f.LoadFromBytes(f.ToBytes());
  if (f.Lines != lines && bytes.find("%ZYM:") == std::string_view::npos) __builtin_trap();
  if (f.FilterList.AllCount() == 0) return 0;

  f.SetCurrent(0);
  rq::TLines edited;
  f.CopyTuneLines(0, edited, true);
  edited.push_back("abc|");
  f.ReplaceCurrent(edited);
  CheckRecords(f);

  f.Sets.AddSet(std::make_unique<rq::TSetAbc>("fuzz"));
  for (int32_t row = 0; row < f.FilterList.Count(); row += 2) f.Sets.AddTune(0, f.GetRec(row));
  std::vector<rq::TAbcRec*> doomed;
  for (int32_t seq = 1; seq <= f.FilterList.AllCount(); seq += 3) doomed.push_back(f.FindBySeq(seq));
  f.DeleteTunes(doomed);
  CheckRecords(f);

  const int32_t delta = f.Sets.SaveToLines(f.Lines, f.Sessions);
  for (int32_t seq = 1; seq <= f.FilterList.AllCount(); ++seq) f.FindBySeq(seq)->StartLine += delta;
  CheckRecords(f);
  return 0;
}
