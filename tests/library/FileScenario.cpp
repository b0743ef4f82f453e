#include "FileScenario.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <unordered_set>
#include <vector>

#include "library/AbcFileFormat.h"
#include "platform/Numbers.h"

namespace rq::test {
namespace {

using RecordSet = std::unordered_set<const TAbcRec*>;

// The file's own records, found by place.
RecordSet OwnRecords(const TAbcFile& file) {
  RecordSet own;
  for (int32_t seq = 1; seq <= file.FilterList.AllCount(); ++seq) {
    if (const TAbcRec* rec = file.FindBySeq(seq)) own.insert(rec);
  }
  return own;
}

std::string RecordFaults(const TAbcFile& file) {
  const auto lineCount = static_cast<int32_t>(file.Lines.size());
  int32_t previousEnd = -1;
  for (int32_t seq = 1; seq <= file.FilterList.AllCount(); ++seq) {
    const TAbcRec* rec = file.FindBySeq(seq);
    const std::string place = "the record at place " + std::to_string(seq);
    if (!rec) return "no record at place " + std::to_string(seq);
    if (rec->StartLine <= previousEnd) return place + " starts inside the one before";
    if (rec->GetEndLine() < rec->StartLine || rec->GetEndLine() >= lineCount) return place + " ends outside the lines";
    if (rec->GetTitleLine() < rec->StartLine || rec->GetTitleLine() > rec->GetEndLine()) {
      return place + " has its title outside its lines";
    }
    if (!IsTuneStart(file.Lines[static_cast<size_t>(rec->StartLine)])) return place + " starts at no tune start";
    previousEnd = rec->GetEndLine();
  }
  if (file.FindBySeq(file.FilterList.AllCount() + 1)) return "a record that All does not hold";
  return {};
}

// Every record in `list` is one of `own`, and none is there twice.
template <typename List>
std::string ListFaults(const List& list, const RecordSet& own, const std::string& name) {
  RecordSet seen;
  for (const TAbcRec* rec : list) {
    if (!own.contains(rec)) return name + " holds a record that is not the file's";
    if (!seen.insert(rec).second) return name + " holds a record twice";
  }
  return {};
}

std::string SetAndSessionFaults(const TAbcFile& file, const RecordSet& own) {
  for (int32_t s = 0; s < file.Sets.Count(); ++s) {
    for (const TSetEntry& e : file.Sets.Set(s)->Entries()) {
      if (!own.contains(e.tune)) return "set " + std::to_string(s) + " holds a record that is not the file's";
    }
  }
  for (int32_t i = 0; i < file.Sessions.Count(); ++i) {
    const TSesRec* session = file.Sessions.Session(i);
    if (!own.contains(session->Master)) return "a session's master is not the file's";
    for (const TAbcRec* f : session->Followers) {
      if (!own.contains(f)) return "a session follower is not the file's";
    }
  }
  return {};
}

// The block a save would write names only places of existing tunes.
std::string BlockFaults(const TAbcFile& file) {
  TLines lines = file.Lines;
  file.Sets.SaveToLines(lines, file.Sessions);
  const auto block = FindSetBlock(lines);
  if (!block) return (file.Sets.Count() + file.Sessions.Count() > 0) ? "sets to save but no block" : "";
  const int32_t count = file.FilterList.AllCount();
  for (size_t i = block->open + 1; i < block->close; ++i) {
    std::string_view line = lines[i];
    std::vector<std::string_view> places;
    if (line.starts_with(kSetLinePrefix)) {
      line.remove_prefix(kSetLinePrefix.size());
      const size_t comma = line.find(',');
      if (comma == std::string_view::npos) continue;
      for (std::string_view piece : SplitCommas(line.substr(comma + 1))) places.push_back(piece.substr(0, piece.find(':')));
    } else if (line.starts_with(kSessionLinePrefix)) {
      places = SplitCommas(line.substr(kSessionLinePrefix.size()));
    } else {
      return "a line that is neither a set nor a session in the block: " + std::string(line);
    }
    for (std::string_view p : places) {
      const int32_t place = StrToIntDef(p, -1);
      if (place < 1 || place > count) return "the block line \"" + lines[i] + "\" names no tune";
    }
  }
  return {};
}

std::string TextOf(const TAbcFile& file, const TAbcRec* rec) {
  TLines lines;
  file.CopyRecLines(rec, lines, true);
  std::string text;
  for (const auto& l : lines) text += l + '\n';
  return text;
}

std::multiset<std::string> TuneTexts(const TAbcFile& file) {
  std::multiset<std::string> texts;
  for (int32_t seq = 1; seq <= file.FilterList.AllCount(); ++seq) texts.insert(TextOf(file, file.FindBySeq(seq)));
  return texts;
}

// Expects `after` to be `before` without `gone`.
std::string CheckDeleted(std::multiset<std::string> before, const std::vector<std::string>& gone,
                         const std::multiset<std::string>& after) {
  for (const auto& text : gone) {
    const auto it = before.find(text);
    if (it == before.end()) return "FAULT: a deleted tune was not in the file";
    before.erase(it);
  }
  return before == after ? "" : "FAULT: the tunes left are not those that were not deleted";
}

int32_t SetEntries(const TAbcFile& file, const TAbcRec* rec) {
  int32_t count = 0;
  for (int32_t s = 0; s < file.Sets.Count(); ++s) {
    for (const TSetEntry& e : file.Sets.Set(s)->Entries()) count += e.tune == rec;
  }
  return count;
}

std::string Places(const std::vector<const TAbcRec*>& recs) {
  std::string text;
  for (const TAbcRec* r : recs) text += std::to_string(r->Seq) + ",";
  return text;
}

// Sets and sessions as the places and counts a save writes.
std::string ModelByPlaces(const TAbcFile& file) {
  std::string text;
  for (int32_t s = 0; s < file.Sets.Count(); ++s) {
    text += "set " + file.Sets.GetName(s) + ":";
    for (const TSetEntry& e : file.Sets.Set(s)->Entries()) {
      text += std::to_string(e.tune->Seq) + "x" + std::to_string(std::max(e.repeat, 1)) + ",";
    }
    text += "\n";
  }
  for (int32_t i = 0; i < file.Sessions.Count(); ++i) {
    const TSesRec* session = file.Sessions.Session(i);
    text += "session " + std::to_string(session->Master->Seq) + ":" +
            Places({session->Followers.begin(), session->Followers.end()}) + "\n";
  }
  return text;
}

std::string ReloadFaults(const TAbcFile& saved, const TAbcFile& reloaded) {
  if (reloaded.Lines != saved.Lines) return "the lines read back differ from those saved";
  if (reloaded.ToBytes() != saved.ToBytes()) return "the bytes read back differ from those saved";
  if (reloaded.FilterList.AllCount() != saved.FilterList.AllCount()) return "a different number of tunes read back";
  for (int32_t seq = 1; seq <= saved.FilterList.AllCount(); ++seq) {
    const TAbcRec* a = saved.FindBySeq(seq);
    const TAbcRec* b = reloaded.FindBySeq(seq);
    if (a->StartLine != b->StartLine || saved.TitleOfRec(a) != reloaded.TitleOfRec(b) ||
        a->GetKeyIndex() != b->GetKeyIndex() || a->GetRhythmIndex() != b->GetRhythmIndex()) {
      return "the tune at place " + std::to_string(seq) + " reads back differently";
    }
  }
  if (ModelByPlaces(saved) != ModelByPlaces(reloaded)) {
    return "sets and sessions read back differently:\n" + ModelByPlaces(saved) + "--\n" + ModelByPlaces(reloaded);
  }
  return {};
}

constexpr std::array<const char*, 7> kTitles = {"Banish Misfortune", "banish misfortune", "Cooley's", "The Kesh",
                                                 "Drowsy Maggie",     "",                  "Zz \xe9t\xe9"};
constexpr std::array<const char*, 7> kRhythms = {"reel", "jig", "Slip jig", "hornpipe", "polka % fast", "waltz", "nonsense"};
constexpr std::array<const char*, 8> kKeys = {"D", "G", "Ador", "Em", "Bb", "Dmaj", "Zz", "G dorian"};
constexpr std::array<const char*, 5> kMeters = {"4/4", "6/8", "9/8", "3/4", "C|"};
constexpr std::array<const char*, 4> kJunk = {"% a remark", "w:la la", "", "%%MIDI program 1"};
constexpr std::array<const char*, 3> kLineEnds = {"\n", "\r\n", "\r"};
constexpr std::array<const char*, 6> kWords = {"reel", "BANISH", "Kesh", "", "x", "d2"};
constexpr std::array<const char*, 6> kSetNames = {"Sligo", "", "a,b", "two\nlines", "Set 3", "%%ESET%"};

}  // namespace

std::string FileFaults(const TAbcFile& file) {
  if (std::string fault = RecordFaults(file); !fault.empty()) return fault;
  const RecordSet own = OwnRecords(file);
  if (static_cast<int32_t>(own.size()) != file.FilterList.AllCount()) return "All holds a record twice";
  if (std::string fault = ListFaults(file.FilterList.All, own, "All"); !fault.empty()) return fault;
  if (std::string fault = ListFaults(file.FilterList.View, own, "the view"); !fault.empty()) return fault;
  if (!file.FilterList.Filtered() && !file.FilterList.View.empty()) return "the unused view holds records";
  if (std::string fault = SetAndSessionFaults(file, own); !fault.empty()) return fault;
  if (file.CurrentRec && !own.contains(file.CurrentRec)) return "the current tune is not the file's";
  return BlockFaults(file);
}

FileScenario::FileScenario(std::string path, IChooser& choose)
    : path_(std::move(path)),
      choose_(choose),
      other_(TAbcFile::CreateNew("other", nullptr)),
      print_(TAbcPrint::CreateNew("printlist", nullptr)) {
  TLines lines = RandomTunes(6);
  other_->AddTunes(lines, false, 0);
}

FileScenario::~FileScenario() = default;

void FileScenario::Start(std::string_view bytes) {
  file_ = TAbcFile::CreateNew("tested", nullptr);
  file_->LoadFromBytes(bytes);
  file_->SetFileName(path_);
}

std::string FileScenario::Faults() const {
  for (const TAbcFile* f : {file_.get(), other_.get(), static_cast<TAbcFile*>(print_.get())}) {
    if (std::string fault = FileFaults(*f); !fault.empty()) return f->FileName + ": " + fault;
  }
  return {};
}

std::string FileScenario::Step() {
  using Edit = std::string (FileScenario::*)();
  static constexpr Edit kEdits[] = {
      &FileScenario::AddTunes,     &FileScenario::AddTunes,     &FileScenario::AddTunes,
      &FileScenario::Paste,        &FileScenario::Paste,        &FileScenario::DeleteRow,
      &FileScenario::DeleteRow,    &FileScenario::DeleteRec,    &FileScenario::DeleteRec,
      &FileScenario::DeleteView,   &FileScenario::DeleteSome,   &FileScenario::DeleteSome,
      &FileScenario::Replace,      &FileScenario::Replace,      &FileScenario::Replace,
      &FileScenario::Mark,         &FileScenario::Mark,         &FileScenario::ChangeView,
      &FileScenario::ChangeView,   &FileScenario::ChangeView,   &FileScenario::Search,
      &FileScenario::EditSets,     &FileScenario::EditSets,     &FileScenario::EditSets,
      &FileScenario::EditSets,     &FileScenario::EditSessions, &FileScenario::EditSessions,
      &FileScenario::EditPrintList, &FileScenario::EditPrintList, &FileScenario::HandForeignRecords,
      &FileScenario::HandForeignRecords, &FileScenario::EditOtherFile, &FileScenario::SaveAndReload,
  };
  // A file that grew large is made smaller again, so that every step stays cheap.
  if (file_->FilterList.AllCount() > 60) return DeleteSome();
  return (this->*kEdits[choose_.Below(std::size(kEdits))])();
}

TAbcRec* FileScenario::AnyRecord(const TAbcFile& file) {
  const int32_t count = file.FilterList.AllCount();
  return count == 0 ? nullptr : file.FilterList.AllItems(static_cast<int32_t>(choose_.Below(count)));
}

TAbcRec* FileScenario::ForeignRecord() {
  return AnyRecord(choose_.Below(2) == 0 ? *other_ : static_cast<const TAbcFile&>(*print_));
}

TLines FileScenario::RandomTunes(uint32_t count) {
  TLines lines;
  for (uint32_t i = 0; i < count; ++i) {
    lines.push_back((choose_.Below(8) == 0 ? " X:" : "X:") + std::to_string(choose_.Below(50)));
    if (choose_.Below(6) != 0) lines.push_back(std::string("T:") + kTitles[choose_.Below(kTitles.size())]);
    if (choose_.Below(3) != 0) lines.push_back(std::string("R:") + kRhythms[choose_.Below(kRhythms.size())]);
    lines.push_back(std::string("M:") + kMeters[choose_.Below(kMeters.size())]);
    lines.push_back(std::string(choose_.Below(6) == 0 ? " K:" : "K:") + kKeys[choose_.Below(kKeys.size())]);
    const uint32_t body = 1 + choose_.Below(3);
    for (uint32_t b = 0; b < body; ++b) {
      // A stray NUL byte now and then: saves must open again wherever it ends up.
      static constexpr std::string_view kNotes{"DEFGABcdefg|z2/ \0", 17};
      std::string notes;
      const uint32_t length = 4 + choose_.Below(20);
      for (uint32_t n = 0; n < length; ++n) notes += kNotes[choose_.Below(kNotes.size())];
      lines.push_back(notes);
    }
  }
  return lines;
}

std::string FileScenario::RandomTuneText() {
  TLines lines;
  if (choose_.Below(4) == 0) lines.push_back(kJunk[choose_.Below(kJunk.size())]);
  const TLines tunes = RandomTunes(1 + choose_.Below(2));
  lines.insert(lines.end(), tunes.begin(), tunes.end());
  std::string text;
  for (const auto& l : lines) text += l + kLineEnds[choose_.Below(kLineEnds.size())];
  return text;
}

// ---- edits ------------------------------------------------------------------

std::string FileScenario::AddTunes() {
  const bool isNew = choose_.Below(2) == 0;
  const auto flags = static_cast<uint8_t>(choose_.Below(2));
  file_->AddTunes(RandomTunes(1 + choose_.Below(3)), isNew, flags);
  return "add tunes";
}

std::string FileScenario::Paste() {
  file_->PasteFromClipboard(RandomTuneText());
  return "paste";
}

std::string FileScenario::DeleteRow() {
  const auto before = TuneTexts(*file_);
  const int32_t row = static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(file_->FilterList.Count()) + 2)) - 1;
  const TAbcRec* rec = file_->GetRec(row);
  const std::vector<std::string> gone = rec ? std::vector{TextOf(*file_, rec)} : std::vector<std::string>{};
  const int32_t result = file_->DeleteTune(row);
  if (result != (rec ? 0 : -1)) return "FAULT: deleting row " + std::to_string(row) + " returned " + std::to_string(result);
  return "delete row " + std::to_string(row) + CheckDeleted(before, gone, TuneTexts(*file_));
}

std::string FileScenario::DeleteRec() {
  const auto before = TuneTexts(*file_);
  const bool own = choose_.Below(3) != 0;
  TAbcRec* rec = own ? AnyRecord(*file_) : ForeignRecord();
  const bool expected = own && rec;
  const std::vector<std::string> gone = expected ? std::vector{TextOf(*file_, rec)} : std::vector<std::string>{};
  const int32_t result = file_->DeleteTuneRec(rec);
  if (result != (expected ? 0 : -1)) return "FAULT: deleting a record returned " + std::to_string(result);
  return std::string("delete a record") + (own ? "" : " of another file") + CheckDeleted(before, gone, TuneTexts(*file_));
}

std::string FileScenario::DeleteView() {
  const auto before = TuneTexts(*file_);
  std::vector<TAbcRec*> rows;
  std::vector<std::string> gone;
  for (int32_t row = 0; row < file_->FilterList.Count(); ++row) {
    rows.push_back(file_->GetRec(row));
    gone.push_back(TextOf(*file_, rows.back()));
  }
  const int32_t deleted = file_->DeleteTunes(rows);
  if (deleted != static_cast<int32_t>(rows.size())) return "FAULT: deleting the view deleted " + std::to_string(deleted);
  return "delete the view of mode " + std::to_string(file_->ViewMode) + CheckDeleted(before, gone, TuneTexts(*file_));
}

std::string FileScenario::DeleteSome() {
  const auto before = TuneTexts(*file_);
  std::vector<TAbcRec*> recs;
  std::unordered_set<const TAbcRec*> own;
  std::vector<std::string> gone;
  const uint32_t picks = 1 + choose_.Below(file_->FilterList.AllCount() > 60 ? 40 : 6);
  for (uint32_t i = 0; i < picks; ++i) {
    switch (choose_.Below(4)) {
      case 0: recs.push_back(ForeignRecord()); break;
      case 1: recs.push_back(nullptr); break;
      default:
        if (TAbcRec* rec = AnyRecord(*file_)) {
          recs.push_back(rec);
          if (own.insert(rec).second) gone.push_back(TextOf(*file_, rec));
        }
    }
  }
  const int32_t deleted = file_->DeleteTunes(recs);
  if (deleted != static_cast<int32_t>(own.size())) return "FAULT: a one-pass delete deleted " + std::to_string(deleted);
  return "delete " + std::to_string(deleted) + " in one pass" + CheckDeleted(before, gone, TuneTexts(*file_));
}

std::string FileScenario::Replace() {
  switch (choose_.Below(3)) {
    case 0: file_->SetCurrent(static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(file_->FilterList.Count()) + 1))); break;
    case 1: file_->SetCurrentRec(AnyRecord(*file_)); break;
    default: break;
  }
  TAbcRec* old = file_->CurrentRec;
  const int32_t countBefore = file_->FilterList.AllCount();
  const int32_t entries = SetEntries(*file_, old);
  const TLines linesBefore = file_->Lines;
  const bool withTune = choose_.Below(5) != 0;
  const TLines text = withTune ? SplitLines(RandomTuneText()) : TLines{"T:no tune start", "K:D"};
  int32_t tunes = 0;
  for (const auto& l : text) tunes += IsTuneStart(l);

  const int32_t result = file_->ReplaceCurrent(text);
  if (!old || !withTune) {
    if (result != (old ? -1 : 0) || file_->Lines != linesBefore || file_->CurrentRec != old) {
      return "FAULT: replacing without a current tune or without a tune start changed the file";
    }
    return "replace refused";
  }
  if (result != 0 || file_->FilterList.AllCount() != countBefore - 1 + tunes) return "FAULT: replacing went wrong";
  if (file_->CurrentRec != file_->FindBySeq(countBefore) || SetEntries(*file_, file_->CurrentRec) != entries) {
    return "FAULT: the edited tune did not take the old one's place and set entries";
  }
  return "replace by " + std::to_string(tunes) + " tunes";
}

std::string FileScenario::Mark() {
  switch (choose_.Below(3)) {
    case 0: file_->ToggleSelect(static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(file_->FilterList.Count()) + 1))); break;
    case 1: file_->SelectAll(); break;
    default: file_->UnselectAll(); break;
  }
  return "mark";
}

std::string FileScenario::ChangeView() {
  if (choose_.Below(3) == 0) {
    std::bitset<256> keys, rhythms;
    if (choose_.Below(2) == 0) keys.set(choose_.Below(8));
    if (choose_.Below(2) == 0) rhythms.set(choose_.Below(8));
    file_->SetKeyRhythmFilter(keys, rhythms);
    return "key and rhythm filter";
  }
  const int32_t mode = static_cast<int32_t>(choose_.Below(7)) - 1;
  file_->SetViewMode(mode, static_cast<int32_t>(choose_.Below(2)));
  file_->SetRow(static_cast<int32_t>(choose_.Below(5)));
  return "view mode " + std::to_string(mode);
}

std::string FileScenario::Search() {
  file_->SearchText(kWords[choose_.Below(kWords.size())]);
  return "search";
}

std::string FileScenario::EditSets() {
  TLstSet& sets = file_->Sets;
  const auto s = static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(sets.Count()) + 1));
  const auto e = static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(sets.TuneCount(s)) + 1));
  TAbcRec* rec = AnyRecord(*file_);
  switch (choose_.Below(9)) {
    case 0: sets.AddSet(std::make_unique<TSetAbc>(kSetNames[choose_.Below(kSetNames.size())])); return "add a set";
    case 1: sets.DeleteSet(s); return "delete a set";
    case 2: sets.MoveSet(s, static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(sets.Count()) + 1))); return "move a set";
    case 3: if (rec) sets.AddTune(s, rec); return "add a tune to a set";
    case 4: if (rec) sets.InsertTune(s, e, rec); return "insert a tune in a set";
    case 5: sets.MoveTune(s, e, static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(sets.TuneCount(s)) + 1))); return "move a set entry";
    case 6: sets.DeleteTune(s, e); return "delete a set entry";
    case 7: sets.ChangeRepeat(s, e, static_cast<int32_t>(choose_.Below(5)) - 2); return "change a repeat";
    default: sets.Rename(s, kSetNames[choose_.Below(kSetNames.size())]); return "rename a set";
  }
}

std::string FileScenario::EditSessions() {
  TAbcRec* master = AnyRecord(*file_);
  if (!master || choose_.Below(4) == 0) {
    file_->Sessions.SetCurrent(static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(file_->Sessions.Count()) + 2)) - 1);
    return "select a session";
  }
  auto session = std::make_unique<TSesRec>(master);
  const uint32_t followers = choose_.Below(4);
  for (uint32_t i = 0; i < followers; ++i) session->AddNext(AnyRecord(*file_));
  file_->Sessions.AddSession(std::move(session));
  return "add a session";
}

std::string FileScenario::EditPrintList() {
  switch (choose_.Below(4)) {
    case 0:
    case 1: {
      TLines lines;
      if (file_->CopyTuneLines(static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(file_->FilterList.Count()) + 1)), lines, true) == 0) {
        print_->AddTunes(lines, false, 0);
      }
      return "add to the print list";
    }
    case 2: {
      std::vector<TAbcRec*> rows(print_->FilterList.All.begin(), print_->FilterList.All.end());
      if (choose_.Below(2) == 0) print_->DeleteTunes(rows);
      else print_->DeleteTune(static_cast<int32_t>(choose_.Below(static_cast<uint32_t>(rows.size()) + 1)));
      return "delete from the print list";
    }
    default:
      print_->ClearRecs();
      print_->Lines.clear();
      print_->FilterList.Reset();
      return "empty the print list";
  }
}

std::string FileScenario::HandForeignRecords() {
  TAbcRec* foreign = ForeignRecord();
  if (!foreign) return "no foreign record";
  TAbcRec* current = file_->CurrentRec;
  const TLines linesBefore = file_->Lines;
  const int32_t count = file_->FilterList.AllCount();
  TLines target = {"kept"};
  const std::vector<TAbcRec*> one = {foreign};
  if (file_->SetCurrentRec(foreign) != -1 || file_->CurrentRec != current) return "FAULT: a foreign record became current";
  if (file_->CopyRecLines(foreign, target, true) != -1 || target != TLines{"kept"}) return "FAULT: a foreign record's lines were copied";
  if (file_->DeleteTuneRec(foreign) != -1 || file_->DeleteTunes(one) != 0) return "FAULT: a foreign record was deleted";
  file_->CurrentRec = foreign;
  const int32_t replaced = file_->ReplaceCurrent({"X:1", "T:foreign", "K:D", "abc|"});
  file_->CurrentRec = current;
  if (replaced != -1) return "FAULT: a foreign current record was replaced";
  if (file_->Lines != linesBefore || file_->FilterList.AllCount() != count) return "FAULT: a foreign record changed the file";
  return "hand a foreign record";
}

std::string FileScenario::EditOtherFile() {
  switch (choose_.Below(3)) {
    case 0: other_->DeleteTuneRec(AnyRecord(*other_)); return "delete in the other file";
    case 1: other_->AddTunes(RandomTunes(2), true, 0); return "add to the other file";
    default: other_->LoadFromBytes(other_->ToBytes()); return "reload the other file";
  }
}

std::string FileScenario::SaveAndReload() {
  std::string error;
  const int32_t saved = file_->Save(&error);
  if (saved < 0) return "FAULT: saving failed: " + error;
  std::unique_ptr<TAbcFile> reloaded;
  try {
    reloaded = std::make_unique<TAbcFile>(path_, nullptr);
  } catch (const EFileError& e) {
    return std::string("FAULT: the saved file cannot be read: ") + e.what();
  }
  // Reading a file removes old code comments, which the saved lines may still hold.
  const bool oldCodes = std::any_of(file_->Lines.begin(), file_->Lines.end(),
                                    [](const std::string& l) { return l.find(" %ZYM:") != std::string::npos; });
  if (!oldCodes) {
    if (std::string fault = ReloadFaults(*file_, *reloaded); !fault.empty()) return "FAULT: " + fault;
  }
  if (choose_.Below(2) == 0) {
    file_ = std::move(reloaded);
    return "save and go on with the file read back";
  }
  return "save and read back";
}

}  // namespace rq::test
