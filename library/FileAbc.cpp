#include "library/FileAbc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "library/AbcFileFormat.h"
#include "midi/AbcToMidi.h"
#include "notation/AbcDef.h"
#include "notation/AbcParser.h"
#include "notation/MusicEnd.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/FileRead.h"

namespace rq {

static_assert(kReadableStartLine.size() > kTextProbeBytes, "the comment line must cover every byte a reader looks at");

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A tune of a file's lines: from its start line to its last line that is not empty
// (the empty lines that part it from the next tune are left out, so that the last
// tune of a file, which may have none, reads as the same tune elsewhere).
struct TuneText {
  size_t first = 0;
  size_t end = 0;  // one past its last line
  size_t hash = 0;
};

std::vector<TuneText> TunesOf(const TLines& lines) {
  std::vector<TuneText> tunes;
  auto close = [&](size_t next) {
    if (tunes.empty()) return;
    TuneText& tune = tunes.back();
    tune.end = next;
    while (tune.end > tune.first + 1 && lines[tune.end - 1].empty()) --tune.end;
    size_t hash = tune.end - tune.first;
    for (size_t i = tune.first; i < tune.end; ++i) {
      hash ^= std::hash<std::string_view>{}(lines[i]) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    }
    tune.hash = hash;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!IsTuneStart(lines[i])) continue;
    close(i);
    tunes.push_back({i, i, 0});
  }
  close(lines.size());
  return tunes;
}

constexpr std::string_view kOldCodeMark = " %ZYM:";
constexpr size_t kOldCodeDigits = 8;
constexpr size_t kOldCodeLength = kOldCodeMark.size() + kOldCodeDigits;
constexpr size_t kTitleMax = 500;
constexpr size_t kFieldMax = 50;
// Body lines parsed first for a tune's code; most tunes settle it within them.
constexpr size_t kOpeningBodyLines = 2;
// Elements of one tune above which the file's parser does not keep its room.
constexpr size_t kParserRoomKept = 100000;
// Elements of a tune's first bounded parse for its code: ordinary tunes are read
// whole within it, a tune of a line of megabytes only as far as its code needs.
constexpr size_t kOpeningElements = 65536;

// Trial keys of the code searches, in the order they are tried.
constexpr std::string_view kTrialKeys[] = {"C",  "C#", "D",  "Eb", "E",  "F",  "F#", "G",
                                           "Ab", "A",  "Bb", "B",  "Db", "Gb", "Cb"};

std::string_view TrimLeftBlanks(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return s.substr(b);
}

// A digit of a tune code as the program writes it (CodeHex): upper-case hexadecimal.
bool IsCodeDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Where the line holds an old code comment: the mark followed by exactly eight code
// digits; npos when it holds none.
size_t FindOldCode(std::string_view line) {
  for (size_t p = line.find(kOldCodeMark); p != std::string_view::npos; p = line.find(kOldCodeMark, p + 1)) {
    const std::string_view digits = line.substr(p + kOldCodeMark.size());
    const bool eightDigits = digits.size() >= kOldCodeDigits &&
                             std::all_of(digits.begin(), digits.begin() + kOldCodeDigits, IsCodeDigit);
    if (eightDigits && (digits.size() == kOldCodeDigits || !IsCodeDigit(digits[kOldCodeDigits]))) return p;
  }
  return std::string_view::npos;
}

std::string CodeHex(uint32_t code) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", code);
  return text;
}

}  // namespace

TAbcFile::TAbcFile(std::string fileName, IUserInterface* ui)
    : FileName(std::move(fileName)),
      ui_(ui),
      parser_(std::make_unique<TAbcParser>()),
      converter_(std::make_unique<TAbcMidi>(codeSettings_)) {
  ReadFile();
  StripOldCodes();
  if (!Lines.empty()) IndexLines(Lines, -1, 0, false);
  Sets.LoadFromLines(Lines, [this](int32_t seq) { return FindBySeq(seq); });
  Sessions.LoadFromLines(Lines, [this](int32_t seq) { return FindBySeq(seq); });
}

TAbcFile::TAbcFile(NewTag, std::string name, IUserInterface* ui)
    : FileName(std::move(name)),
      Untitled(true),
      SetGridCol(0),
      ui_(ui),
      parser_(std::make_unique<TAbcParser>()),
      converter_(std::make_unique<TAbcMidi>(codeSettings_)) {}

std::unique_ptr<TAbcFile> TAbcFile::CreateNew(std::string name, IUserInterface* ui) {
  return std::unique_ptr<TAbcFile>(new TAbcFile(NewTag{}, std::move(name), ui));
}

TAbcFile::~TAbcFile() = default;

void TAbcFile::ReadFile() {
  // Only a missing file is a new one: a file that exists but cannot be read must
  // never open empty, or saving it would replace the user's tunes with nothing.
  // Nor may UTF-16 or binary bytes open as a file without tunes: a tune added to
  // them would be saved as 8-bit text among them.
  const FileReadResult read = ReadTextFile(FileName);
  if (read.status == FileReadStatus::Failed) throw EFileError(read.error);
  disk_.known = true;
  if (read.status == FileReadStatus::Read) {
    SplitFileBytes(read.bytes);
    RememberDisk(read.bytes);
  }
}

void TAbcFile::RememberDisk(std::string_view bytes) {
  disk_ = {true, true, bytes.size(), std::hash<std::string_view>{}(bytes), {}};
  for (const TuneText& tune : TunesOf(Lines)) disk_.tunes.push_back(tune.hash);
}

void TAbcFile::AddTunesAddedOnDisk(std::string_view bytes) {
  // No longer text: there is nothing to take over, and ours replaces it.
  if (!NotEightBitTextReason(bytes).empty()) return;
  std::string_view text = bytes;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  const TLines lines = SplitLines(text);
  // Counted, so that a tune held twice is matched twice.
  std::unordered_map<size_t, int32_t> known;
  for (const size_t hash : disk_.tunes) ++known[hash];
  for (const TuneText& tune : TunesOf(Lines)) ++known[tune.hash];
  TLines added;
  for (const TuneText& tune : TunesOf(lines)) {
    if (const auto it = known.find(tune.hash); it != known.end() && it->second > 0) {
      --it->second;
      continue;
    }
    if (!added.empty()) added.emplace_back();
    added.insert(added.end(), lines.begin() + static_cast<std::ptrdiff_t>(tune.first),
                 lines.begin() + static_cast<std::ptrdiff_t>(tune.end));
  }
  if (!added.empty()) AddTunes(added, false, 0);
}

bool TAbcFile::ChangedOnDisk() const { return BytesChangedOnDisk().has_value(); }

std::optional<std::string> TAbcFile::BytesChangedOnDisk() const {
  // The bytes are compared, not the time stamp: a file rewritten within the clock's
  // granularity keeps its time, and one touched without a change is no change.
  if (!disk_.known) return std::nullopt;
  FileReadResult now = ReadRegularFile(FileName);
  if (now.status != FileReadStatus::Read) return std::nullopt;
  const bool changed = !disk_.exists || now.bytes.size() != disk_.size ||
                       std::hash<std::string_view>{}(now.bytes) != disk_.hash;
  if (!changed) return std::nullopt;
  return std::move(now.bytes);
}

void TAbcFile::SplitFileBytes(std::string_view text) {
  HasByteOrderMark = text.starts_with(kUtf8Bom);
  if (HasByteOrderMark) text.remove_prefix(kUtf8Bom.size());
  FileLineEnd = DetectLineEnd(text);
  EndsWithLineEnd = text.empty() || text.back() == '\n' || text.back() == '\r';
  Lines = SplitLines(text);
}

void TAbcFile::LoadFromBytes(std::string_view bytes) {
  ClearRecs();
  Sets = TLstSet();
  Sessions = TLstSession();
  SplitFileBytes(bytes);
  StripOldCodes();
  if (!Lines.empty()) IndexLines(Lines, -1, 0, false);
  Sets.LoadFromLines(Lines, [this](int32_t seq) { return FindBySeq(seq); });
  Sessions.LoadFromLines(Lines, [this](int32_t seq) { return FindBySeq(seq); });
  Modified = false;
}

std::string TAbcFile::ToBytes() const {
  const std::string_view eol = LineEndText(FileLineEnd);
  size_t total = HasByteOrderMark ? kUtf8Bom.size() : 0;
  for (const auto& l : Lines) total += l.size() + eol.size();
  std::string bytes;
  bytes.reserve(total);
  if (HasByteOrderMark) bytes += kUtf8Bom;
  // An empty last line is written with its line end, else it would not read back.
  const bool finalLineEnd = EndsWithLineEnd || (!Lines.empty() && Lines.back().empty());
  for (size_t i = 0; i < Lines.size(); ++i) {
    bytes += Lines[i];
    if (i + 1 < Lines.size() || finalLineEnd) bytes += eol;
  }
  return bytes;
}

// ---- indexing -------------------------------------------------------------

int32_t TAbcFile::IndexLines(const TLines& source, int32_t base, uint8_t flags, bool isNew) {
  const bool append = base >= 0;
  // Appending the file's own lines to itself would read them while they grow.
  if (append && &source == &Lines) {
    const TLines copy = source;
    return IndexLines(copy, base, flags, isNew);
  }
  if (!append) base = 0;
  int32_t counter = append ? FilterList.AllCount() : 0;
  const uint8_t marks = static_cast<uint8_t>(isNew ? (flags | kAddedThisRun) : flags);
  const auto count = static_cast<int32_t>(source.size());

  TProgressPacer progress(ui_);
  progress.Show(count);
  // Room grows by at least half: adding many pieces in a row moves the lines rarely.
  if (append && Lines.capacity() < Lines.size() + source.size()) {
    Lines.reserve(std::max(Lines.size() + source.size(), Lines.capacity() + Lines.capacity() / 2));
  }
  std::vector<TAbcRec*> added;
  int32_t start = -1;
  for (int32_t i = 0; i < count; ++i) {
    progress.Step(i);
    const std::string& line = source[static_cast<size_t>(i)];
    if (append) Lines.push_back(line);
    if (IsTuneStart(line)) {
      if (start >= 0) MakeRecord(source, start, i - 1, base, marks, added, counter);
      start = i;
    }
  }
  if (start >= 0) MakeRecord(source, start, count - 1, base, marks, added, counter);

  FilterList.All.insert(FilterList.All.end(), added.begin(), added.end());
  if (updating_ == 0) SortView();
  GiveBackParserRoom();
  progress.Hide();
  return 0;
}

void TAbcFile::MakeRecord(const TLines& source, int32_t first, int32_t last, int32_t base,
                          uint8_t marks, std::vector<TAbcRec*>& added, int32_t& counter) {
  TScanResult scan = ScanHeader(first, last, source, base);
  scan.seq = ++counter;
  scan.flags[0] = marks;
  scan.code = CodeOfLines(std::span(source).subspan(static_cast<size_t>(first),
                                                     static_cast<size_t>(last - first + 1)));
  bySeq_.push_back(std::make_unique<TAbcRec>(scan));
  added.push_back(bySeq_.back().get());
}

TScanResult TAbcFile::ScanHeader(int32_t first, int32_t last, const TLines& source,
                                 int32_t base) const {
  TScanResult scan;
  scan.titleLine = first + base;
  scan.startLine = first + base;
  scan.lastLine = last + base;
  bool titleFound = false, rhythmTaken = false, keyTaken = false;
  for (int32_t i = first; i <= last; ++i) {
    const std::string_view line = source[static_cast<size_t>(i)];
    if (line.empty()) continue;
    if (!titleFound && FieldAtColumnOneOrTwo(line, 'T')) {
      scan.titleLine = i + base;
      titleFound = true;
    }
    if (!rhythmTaken) {
      if (const auto at = FieldAtColumnOneOrTwo(line, 'R')) {
        const int32_t index = CachedIndex(rhythmIndexes_, line.substr(*at + 2, kFieldMax), RhythmIndexOf);
        scan.flags[3] = static_cast<uint8_t>(index);
        rhythmTaken = true;
      }
    }
    if (!keyTaken) {
      size_t from = 0;
      if (line.starts_with("K:")) from = 2;
      else if (line.starts_with("K :")) from = 3;
      if (from != 0) {
        const auto keyIndexOf = [](std::string_view v) { return static_cast<int32_t>(KeyIndexOfField(v)); };
        const int index = CachedIndex(keyIndexes_, TrimLeftBlanks(line.substr(from, kFieldMax)), keyIndexOf);
        if (index > 0) scan.flags[2] = static_cast<uint8_t>(index);
        keyTaken = true;
      }
    }
  }
  return scan;
}

void TAbcFile::GiveBackParserRoom() {
  // The parser keeps the room of the largest tune it read for the next one; after a
  // huge tune (a line of megabytes) that room is given back rather than held for as
  // long as the file is open.
  if (largestParse_ > kParserRoomKept) parser_ = std::make_unique<TAbcParser>();
  largestParse_ = 0;
}

int32_t TAbcFile::CachedIndex(FieldIndexes& cache, std::string_view text, int32_t (*find)(std::string_view)) {
  if (const auto it = cache.find(text); it != cache.end()) return it->second;
  const int32_t index = find(text);
  // Odd files could hold a different value in every tune: the cache stops growing.
  if (cache.size() < 4096) cache.emplace(text, index);
  return index;
}

int32_t TAbcFile::RhythmIndexOf(std::string_view text) {
  text = text.substr(0, text.find('%'));
  return FindRhythm(ToLowerAscii(TrimBlanks(text)));
}

uint32_t TAbcFile::CodeOfLines(std::span<const std::string> lines) {
  views_.assign(lines.begin(), lines.end());
  // The code is read from the tune's opening: the header and the first notes. The
  // header and a few body lines are parsed, then twice as many body lines, until the
  // code is final within elements no later line can change; it is then the code of
  // the whole tune. Short tunes, and tunes the opening does not settle, are parsed whole,
  // unless they are huge: then twice as many elements are parsed each time instead.
  const auto key = std::find_if(views_.begin(), views_.end(),
                                [](std::string_view l) { return l.starts_with("K:"); });
  const auto header = static_cast<size_t>(key - views_.begin()) + 1;
  size_t bound = kOpeningElements;
  for (size_t body = kOpeningBodyLines; header + body < views_.size(); body *= 2) {
    if (const auto code = CodeOfOpening(header + body, bound)) return *code;
    if (parser_->Cut()) {
      // Cut within these lines: the whole tune would stop at the same element.
      bound *= 2;
      break;
    }
  }
  // A bound past the tune's elements parses it whole, which always gives its code.
  for (;; bound *= 2) {
    if (const auto code = CodeOfOpening(views_.size(), bound)) return *code;
  }
}

std::optional<uint32_t> TAbcFile::CodeOfOpening(size_t lines, size_t maxElements) {
  parser_->ParseOpening(views_, lines, maxElements);
  largestParse_ = std::max(largestParse_, parser_->ElementCount());
  const auto code = static_cast<uint32_t>(converter_->ComputeCode(parser_->Elements()));
  const bool whole = lines == views_.size() && !parser_->Cut();
  if (whole || (converter_->CodeFinal() && converter_->CodeElementsRead() <= parser_->SettledCount())) return code;
  return std::nullopt;
}

int32_t TAbcFile::ComputeCode(int32_t index) {
  TLines lines;
  if (CopyAllLines(index, lines, true) != 0) return 0;
  SetCode(index, CodeOfLines(lines));
  GiveBackParserRoom();
  return 0;
}

int32_t TAbcFile::SetCode(int32_t index, uint32_t code) {
  TAbcRec* rec = FilterList.AllItems(index);
  if (!rec) return -1;
  rec->Code = code;
  return 0;
}

int32_t TAbcFile::CopyAllLines(int32_t index, TLines& target, bool clear) const {
  const TAbcRec* rec = FilterList.AllItems(index);
  if (!rec) return -1;
  CopyOwnLines(rec, target, clear);
  return 0;
}

std::string TAbcFile::TitleOfRec(const TAbcRec* rec) const { return std::string(TitleViewOfRec(rec)); }

std::string_view TAbcFile::TitleViewOfRec(const TAbcRec* rec) const {
  if (!rec) return {};
  const auto at = static_cast<size_t>(rec->GetTitleLine());
  if (at >= Lines.size()) return {};
  const std::string_view line = Lines[at];
  const size_t t = line.find("T:");
  if (t == std::string_view::npos) return line.substr(std::min<size_t>(1, line.size()));
  return TrimLeftBlanks(line.substr(t + 2, kTitleMax));
}

int32_t TAbcFile::StripOldCodes() {
  // Each tune's first line holding "K:" is the one an old version wrote its code on.
  bool keyLineSeen = true;
  for (std::string& line : Lines) {
    if (IsTuneStart(line)) keyLineSeen = false;
    if (keyLineSeen || line.find("K:") == std::string::npos) continue;
    keyLineSeen = true;
    if (const size_t p = FindOldCode(line); p != std::string::npos) line.erase(p, kOldCodeLength);
  }
  return 0;
}

void TAbcFile::SortRecords(std::vector<TAbcRec*>& items) const {
  // Titles are compared where they lie in the lines, case-blind byte by byte: the
  // order of their ASCII-lowered copies, without making a copy of any of them. Each
  // key starts with its title's first eight lowered bytes as one number, which
  // decides most comparisons; equal numbers fall back to the whole titles.
  struct Key {
    uint64_t head;
    std::string_view title;
    TAbcRec* rec;
  };
  std::vector<Key> keys;
  keys.reserve(items.size());
  for (TAbcRec* rec : items) {
    const std::string_view title = TitleViewOfRec(rec);
    uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i) {
      head = head << 8 | (i < title.size() ? static_cast<unsigned char>(ToLowerAscii(title[i])) : 0u);
    }
    keys.push_back({head, title, rec});
  }
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    if (a.head != b.head) return a.head < b.head;
    if (const int c = CompareCaseBlind(a.title, b.title); c != 0) return c < 0;
    return a.rec->Seq < b.rec->Seq;
  });
  for (size_t i = 0; i < items.size(); ++i) items[i] = keys[i].rec;
}

// ---- views and rows -------------------------------------------------------

const TFilter* TAbcFile::PrimaryFilterOf(int32_t mode) const {
  switch (mode) {
    case vmMarked: return &SelectFilter;
    case vmUnmarked: return &UnSelectFilter;
    case vmAdded: return &NewFilter;
    case vmSearched: return &RchFilter;
    default: return nullptr;
  }
}

void TAbcFile::SetViewMode(int32_t mode, int32_t filterOn) {
  if (mode >= 0) ViewMode = mode;
  FilterOn = filterOn;
  FilterList.Apply(PrimaryFilterOf(ViewMode), FilterOn == 1 ? &KeyRhythmFilter : nullptr);
}

void TAbcFile::SetKeyRhythmFilter(const std::bitset<256>& keys, const std::bitset<256>& rhythms) {
  KeyRhythmFilter.KeySet = keys;
  KeyRhythmFilter.RhythmSet = rhythms;
  KeyRhythmFilter.Active = keys.any() || rhythms.any();
  SetViewMode(-1, KeyRhythmFilter.Active ? 1 : 0);
}

void TAbcFile::SetRow(int32_t row) {
  switch (ViewMode) {
    case vmAll: AllRow = row; break;
    case vmAllFiltered: KeyRhythmFilter.RememberedRow = row; break;
    case vmMarked: SelectFilter.RememberedRow = row; break;
    case vmUnmarked: UnSelectFilter.RememberedRow = row; break;
    case vmAdded: NewFilter.RememberedRow = row; break;
    case vmSearched: RchFilter.RememberedRow = row; break;
    default: break;
  }
}

int32_t TAbcFile::GetRow() const {
  switch (ViewMode) {
    case vmAll: return AllRow;
    case vmAllFiltered: return KeyRhythmFilter.RememberedRow;
    case vmMarked: return SelectFilter.RememberedRow;
    case vmUnmarked: return UnSelectFilter.RememberedRow;
    case vmAdded: return NewFilter.RememberedRow;
    case vmSearched: return RchFilter.RememberedRow;
    default: return 0;
  }
}

TAbcRec* TAbcFile::GetRec(int32_t row) const { return FilterList.Items(row); }

std::string TAbcFile::GetTitle(int32_t row) const {
  const TAbcRec* rec = GetRec(row);
  return rec ? TitleOfRec(rec) : kNoTitle;
}

int32_t TAbcFile::CopyTuneLines(int32_t row, TLines& target, bool clear) const {
  const TAbcRec* rec = GetRec(row);
  if (!rec) return -1;
  CopyOwnLines(rec, target, clear);
  return 0;
}

int32_t TAbcFile::CopyRecLines(const TAbcRec* rec, TLines& target, bool clear) const {
  if (!HasRecord(rec)) return -1;
  CopyOwnLines(rec, target, clear);
  return 0;
}

int32_t TAbcFile::CopyRecMusic(const TAbcRec* rec, TLines& target) const {
  const size_t before = target.size();
  if (CopyRecLines(rec, target, false) != 0) return -1;
  target.resize(before + MusicLineCount(std::span(target).subspan(before)));
  return 0;
}

void TAbcFile::CopyOwnLines(const TAbcRec* rec, TLines& target, bool clear) const {
  if (clear) target.clear();
  const auto first = static_cast<size_t>(rec->StartLine);
  const auto end = std::min(static_cast<size_t>(rec->GetEndLine()) + 1, Lines.size());
  if (first < end) target.insert(target.end(), Lines.begin() + first, Lines.begin() + end);
}

TAbcRec* TAbcFile::FindBySeq(int32_t seq) const {
  if (seq < 1 || static_cast<size_t>(seq) > bySeq_.size()) return nullptr;
  TAbcRec* rec = bySeq_[static_cast<size_t>(seq - 1)].get();
  return rec->Seq == seq ? rec : nullptr;
}

bool TAbcFile::HasRecord(const TAbcRec* rec) const {
  return rec && FindBySeq(rec->Seq) == rec;
}

int32_t TAbcFile::IndexOfRec(const TAbcRec* rec) const {
  const auto it = std::find(FilterList.All.begin(), FilterList.All.end(), rec);
  return it == FilterList.All.end() ? -1 : static_cast<int32_t>(it - FilterList.All.begin());
}

int32_t TAbcFile::SetCurrent(int32_t row) {
  CurrentRec = GetRec(row);
  return CurrentRec ? 0 : -1;
}

int32_t TAbcFile::SetCurrentRec(TAbcRec* rec) {
  if (!rec) {
    CurrentRec = nullptr;
    return -1;
  }
  if (!HasRecord(rec)) return -1;
  CurrentRec = rec;
  return 0;
}

// ---- marks ----------------------------------------------------------------

uint8_t TAbcFile::ToggleSelect(int32_t row) {
  TAbcRec* rec = GetRec(row);
  if (!rec) return 0;
  rec->SetFlags(rec->GetFlags() ^ kMarked);
  return rec->GetFlags();
}

int32_t TAbcFile::SelectAll() {
  if (FilterList.AllCount() == 0) return -1;
  for (int32_t row = 0; row < FilterList.Count(); ++row) {
    TAbcRec* rec = FilterList.Items(row);
    rec->SetFlags(rec->GetFlags() | kMarked);
  }
  return 0;
}

int32_t TAbcFile::UnselectAll() {
  if (FilterList.AllCount() == 0) return -1;
  for (int32_t row = 0; row < FilterList.Count(); ++row) {
    TAbcRec* rec = FilterList.Items(row);
    rec->SetFlags(rec->GetFlags() & static_cast<uint8_t>(~kMarked));
  }
  return 0;
}

// ---- editing --------------------------------------------------------------

int32_t TAbcFile::AddTunes(const TLines& lines, bool isNew, uint8_t flags) {
  AppendTunes(lines, flags, isNew);
  Modified = true;
  return 0;
}

void TAbcFile::AppendTunes(const TLines& lines, uint8_t flags, bool isNew) {
  if (&lines == &Lines) {
    const TLines copy = lines;
    AppendTunes(copy, flags, isNew);
    return;
  }
  // A tune that follows the last line directly would be read as part of the tune
  // above by every other program: an empty line keeps them apart.
  if (!Lines.empty() && !Lines.back().empty() && !lines.empty() && !lines.front().empty()) Lines.emplace_back();
  IndexLines(lines, static_cast<int32_t>(Lines.size()), flags, isNew);
}

int64_t TAbcFile::NextTuneNumber() const {
  int64_t largest = 0;
  for (const auto& rec : bySeq_) {
    if (const auto number = TuneNumberOf(Lines[static_cast<size_t>(rec->StartLine)])) {
      largest = std::max(largest, *number);
    }
  }
  return largest + 1;
}

void TAbcFile::SortView() {
  if (FilterList.AllCount() > 1) SortRecords(FilterList.All);
  // The view is the filtered All, so sorting All and filtering again sorts it too.
  FilterList.Reapply();
}

void TAbcFile::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) SortView();
}

int32_t TAbcFile::PasteFromClipboard(std::string_view text) {
  AddTunes(SplitLines(text), true, 0);
  Modified = true;
  return 0;
}

std::unique_ptr<TAbcRec> TAbcFile::TakeRecord(TAbcRec* rec) {
  const auto k = static_cast<size_t>(rec->Seq - 1);
  const int32_t first = rec->StartLine;
  const int32_t last = rec->GetEndLine();
  const int32_t n = last - first + 1;
  const auto lineEnd = std::min(static_cast<size_t>(last) + 1, Lines.size());
  Lines.erase(Lines.begin() + first, Lines.begin() + static_cast<std::ptrdiff_t>(lineEnd));
  for (size_t i = k + 1; i < bySeq_.size(); ++i) {
    bySeq_[i]->StartLine -= n;
    --bySeq_[i]->Seq;
  }
  std::unique_ptr<TAbcRec> owned = std::move(bySeq_[k]);
  bySeq_.erase(bySeq_.begin() + static_cast<std::ptrdiff_t>(k));
  if (CurrentRec == rec) CurrentRec = nullptr;
  Modified = true;
  return owned;
}

void TAbcFile::ForgetRecord(const TAbcRec* rec) {
  Sets.RemoveRec(rec);
  Sessions.RemoveRec(rec);
  FilterList.Remove(rec);
  if (CurrentRec == rec) CurrentRec = nullptr;
}

int32_t TAbcFile::DeleteTune(int32_t row) { return DeleteTuneRec(GetRec(row)); }

int32_t TAbcFile::DeleteTuneRec(TAbcRec* rec) {
  if (!HasRecord(rec)) return -1;
  ForgetRecord(rec);
  TakeRecord(rec);
  return 0;
}

int32_t TAbcFile::DeleteTunes(std::span<TAbcRec* const> recs) {
  // Records are compared, never read: only this file's own records are looked at.
  const std::unordered_set<const TAbcRec*> wanted(recs.begin(), recs.end());
  std::unordered_set<const TAbcRec*> doomed;
  for (const auto& own : bySeq_) {
    if (wanted.contains(own.get())) doomed.insert(own.get());
  }
  if (doomed.empty()) return 0;
  for (const TAbcRec* rec : doomed) {
    Sets.RemoveRec(rec);
    Sessions.RemoveRec(rec);
  }
  FilterList.RemoveAll(doomed);
  if (doomed.contains(CurrentRec)) CurrentRec = nullptr;

  // One pass over the lines: keep every line outside the deleted tunes, and move
  // each kept tune up by the lines deleted above it.
  TLines kept;
  kept.reserve(Lines.size());
  std::vector<std::unique_ptr<TAbcRec>> keptRecs;
  keptRecs.reserve(bySeq_.size() - doomed.size());
  size_t line = 0;
  int32_t removedAbove = 0;
  for (auto& owned : bySeq_) {
    TAbcRec* rec = owned.get();
    const auto first = static_cast<size_t>(rec->StartLine);
    const auto end = std::min(static_cast<size_t>(rec->GetEndLine()) + 1, Lines.size());
    for (; line < first && line < Lines.size(); ++line) kept.push_back(std::move(Lines[line]));
    if (doomed.contains(rec)) {
      removedAbove += static_cast<int32_t>(end - first);
      line = end;
      continue;
    }
    for (; line < end; ++line) kept.push_back(std::move(Lines[line]));
    rec->StartLine -= removedAbove;
    keptRecs.push_back(std::move(owned));
  }
  for (; line < Lines.size(); ++line) kept.push_back(std::move(Lines[line]));
  Lines = std::move(kept);
  bySeq_ = std::move(keptRecs);
  for (size_t i = 0; i < bySeq_.size(); ++i) bySeq_[i]->Seq = static_cast<int32_t>(i + 1);
  Modified = true;
  return static_cast<int32_t>(doomed.size());
}

int32_t TAbcFile::ReplaceCurrent(const TLines& lines) {
  if (!CurrentRec) return 0;
  if (!HasRecord(CurrentRec)) return -1;
  if (std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return IsTuneStart(l); })) {
    return -1;
  }
  if (&lines == &Lines) {
    const TLines copy = lines;
    return ReplaceCurrent(copy);
  }
  const int32_t n = FilterList.AllCount();
  TAbcRec* old = CurrentRec;
  const uint8_t marks = old->GetFlags();
  const uint8_t score = old->GetSearchScore();

  // The old record stays alive until the sets and sessions have let go of it.
  FilterList.Remove(old);
  const std::unique_ptr<TAbcRec> oldRec = TakeRecord(old);
  AppendTunes(lines, marks, false);

  // The text may hold several tunes: the first one takes the old tune's place in
  // sets and sessions.
  TAbcRec* first = FindBySeq(n);
  first->SetSearchScore(score);
  ApplyView();
  Sets.ReplaceRec(old, first);
  Sessions.ReplaceRec(old, first);
  CurrentRec = first;
  Modified = true;
  return 0;
}

void TAbcFile::ClearRecs() {
  for (const auto& rec : bySeq_) {
    Sets.RemoveRec(rec.get());
    Sessions.RemoveRec(rec.get());
  }
  FilterList.Reset();
  bySeq_.clear();
  CurrentRec = nullptr;
  Modified = true;
}

void TAbcFile::SetFileName(std::string name) {
  FileName = std::move(name);
  disk_ = {};
  Untitled = false;
  Modified = false;
}

int32_t TAbcFile::Save(std::string* error, bool replaceChanged) {
  if (Untitled) return -1;
  const int32_t result = WriteTo(FileName, error, replaceChanged ? OnDiskChange::Replace : OnDiskChange::Refuse);
  if (result != kChangedOnDisk) Modified = result == -2;
  return result;
}

int32_t TAbcFile::SaveMerging(std::string* error) {
  if (Untitled) return -1;
  // Another program saving this file between our read of it and our rename would have
  // its tunes dropped by the later rename: the read, the merge and the rename are one
  // step under the file's lock, and without the lock nothing is written.
  const FileLock lock(FileName);
  if (!lock) {
    if (error) *error = lock.Error();
    return -2;
  }
  const int32_t result = WriteTo(FileName, error, OnDiskChange::Merge);
  Modified = result == -2;
  return result;
}

int32_t TAbcFile::SaveAs(const std::string& path, std::string* error, bool replaceChanged) {
  const int32_t result = WriteTo(path, error, replaceChanged ? OnDiskChange::Replace : OnDiskChange::Refuse);
  if (result >= 0) {
    FileName = path;
    Untitled = false;
    Modified = false;
  }
  return result;
}

int32_t TAbcFile::WriteTo(const std::string& path, std::string* error, OnDiskChange onChange) {
  if (onChange != OnDiskChange::Replace && !Untitled && path == FileName) {
    if (const auto onDisk = BytesChangedOnDisk()) {
      if (onChange == OnDiskChange::Refuse) return kChangedOnDisk;
      AddTunesAddedOnDisk(*onDisk);
    }
  }
  std::error_code ec;
  const bool existed = std::filesystem::exists(path, ec);
  const int32_t delta = Sets.SaveToLines(Lines, Sessions);
  if (delta != 0) {
    for (const auto& rec : bySeq_) rec->StartLine += delta;
  }
  std::string bytes = ToBytes();
  if (!NotEightBitTextReason(bytes).empty()) {
    // Whatever is saved must open again: the comment line keeps the refused bytes
    // away from the start. It stays in the file, so the file reads back as saved.
    Lines.insert(Lines.begin(), std::string(kReadableStartLine));
    for (const auto& rec : bySeq_) ++rec->StartLine;
    bytes = ToBytes();
  }
  const FileWriteResult written = WriteFileAtomically(path, bytes);
  if (!written) {
    if (error) *error = written.error;
    return -2;
  }
  RememberDisk(bytes);
  return existed ? 0 : 1;
}

// ---- searches -------------------------------------------------------------

int32_t TAbcFile::SearchText(std::string_view text, bool matchCase) {
  const std::string wanted = matchCase ? std::string(text) : ToLowerAscii(text);
  const auto holds = [&](std::string_view line) {
    return matchCase ? line.find(wanted) != std::string_view::npos : ContainsCaseBlind(line, wanted);
  };
  for (TAbcRec* rec : FilterList.All) {
    rec->SetSearchScore(0);
    if (wanted.empty()) continue;
    const auto end = std::min(static_cast<size_t>(rec->GetEndLine()) + 1, Lines.size());
    for (auto i = static_cast<size_t>(rec->StartLine); i < end; ++i) {
      if (holds(Lines[i])) {
        rec->SetSearchScore(kTextHitScore);
        break;
      }
    }
  }
  return 0;
}

std::vector<uint32_t> TAbcFile::TrialCodes(TLines& query, size_t keyLine) {
  std::vector<uint32_t> codes;
  for (std::string_view key : kTrialKeys) {
    query[keyLine] = "K:" + std::string(key);
    codes.push_back(CodeOfLines(query));
  }
  GiveBackParserRoom();
  return codes;
}

void TAbcFile::ScoreByCodes(const std::vector<uint32_t>& codes, int32_t minDigits) {
  std::vector<std::string> trial;
  for (uint32_t c : codes) trial.push_back(CodeHex(c));
  for (TAbcRec* rec : FilterList.All) {
    rec->SetSearchScore(0);
    const std::string mine = CodeHex(rec->Code);
    for (const auto& t : trial) {
      int32_t equal = 0;
      for (size_t d = 0; d < 8; ++d) equal += (mine[d] == t[d]);
      if (equal >= minDigits) {
        rec->SetSearchScore(static_cast<uint8_t>(equal));
        break;
      }
    }
  }
}

int32_t TAbcFile::SearchNotes(std::string_view notes, std::string_view meter, int32_t minDigits) {
  TLines query = {"X:1", "T:RchCode", "M:" + std::string(meter), "K:C", std::string(notes)};
  ScoreByCodes(TrialCodes(query, 3), minDigits);
  return 0;
}

int32_t TAbcFile::SearchLike(TLines lines, int32_t minDigits) {
  for (TAbcRec* rec : FilterList.All) rec->SetSearchScore(0);
  const auto k = std::find_if(lines.begin(), lines.end(),
                              [](const std::string& l) { return l.starts_with("K:"); });
  if (k == lines.end()) return -1;
  const auto keyLine = static_cast<size_t>(k - lines.begin());
  ScoreByCodes(TrialCodes(lines, keyLine), minDigits);
  return 0;
}

// ---- the print list -------------------------------------------------------

std::unique_ptr<TAbcPrint> TAbcPrint::CreateNew(std::string name, IUserInterface* ui) {
  return std::unique_ptr<TAbcPrint>(new TAbcPrint(NewTag{}, std::move(name), ui));
}

int32_t TAbcPrint::AddTunes(const TLines& lines, bool isNew, uint8_t /*flags*/) {
  return TAbcFile::AddTunes(lines, isNew, kMarked);
}

void TAbcPrint::SortRecords(std::vector<TAbcRec*>& /*items*/) const {}

}  // namespace rq
