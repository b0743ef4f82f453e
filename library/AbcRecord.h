// One tune of an open ABC file: where its lines are and what the lists show and
// filter on. The text itself stays in the file's lines.
#pragma once

#include <cstdint>

namespace rq {

// What the header scan finds for one tune; a record is made from it.
struct TScanResult {
  int32_t seq = 0;
  int32_t titleLine = 0;
  int32_t startLine = 0;
  int32_t lastLine = 0;
  uint8_t flags[4] = {0, 0, 0, 0};  // marks, search score, key-name index, rhythm index
  uint32_t code = 0;
};

// Bits of the marks byte.
inline constexpr uint8_t kMarked = 0x01;
inline constexpr uint8_t kAddedThisRun = 0x02;

// Search score of a text-search hit; notes and resemblance searches score 1..8.
inline constexpr uint8_t kTextHitScore = 10;

class TAbcRec {
 public:
  explicit TAbcRec(const TScanResult& scan);

  // The first line (the "X:" line), as an index in the file's lines.
  int32_t StartLine = 0;
  // Place of the tune in the file, from 1; sets and sessions store tunes by it.
  int32_t Seq = 0;
  uint32_t Code = 0;

  uint8_t GetFlags() const { return flags_[0]; }
  void SetFlags(uint8_t v) { flags_[0] = v; }
  uint8_t GetSearchScore() const { return flags_[1]; }
  void SetSearchScore(uint8_t v) { flags_[1] = v; }
  uint8_t GetKeyIndex() const { return flags_[2]; }
  void SetKeyIndex(uint8_t v) { flags_[2] = v; }
  uint8_t GetRhythmIndex() const { return flags_[3]; }
  void SetRhythmIndex(uint8_t v) { flags_[3] = v; }

  bool IsMarked() const { return (flags_[0] & kMarked) != 0; }
  bool IsAddedThisRun() const { return (flags_[0] & kAddedThisRun) != 0; }

  // The last and the title line are kept as offsets from StartLine, so that moving
  // a tune moves all three. The offsets are 32-bit: a tune of any length fits.
  int32_t GetEndLine() const { return StartLine + static_cast<int32_t>(endOffset_); }
  void SetEndLine(int32_t line) { endOffset_ = static_cast<uint32_t>(line - StartLine); }
  int32_t GetTitleLine() const { return StartLine + static_cast<int32_t>(titleOffset_); }
  void SetTitleLine(int32_t line) { titleOffset_ = static_cast<uint32_t>(line - StartLine); }
  int32_t LineCount() const { return static_cast<int32_t>(endOffset_) + 1; }

 private:
  uint32_t endOffset_ = 0;
  uint32_t titleOffset_ = 0;
  uint8_t flags_[4] = {0, 0, 0, 0};
};

}  // namespace rq
