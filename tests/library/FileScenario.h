// Random edits of open tune files in the orders the screens may call them, and the
// checks that must hold after each: shared by the randomised test and the fuzzer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "library/FileAbc.h"

namespace rq::test {

// Where the edits take their choices from: a seeded generator or a fuzzer's bytes.
class IChooser {
 public:
  virtual ~IChooser() = default;
  // A number from 0 to n - 1; 0 when n is 0.
  virtual uint32_t Below(uint32_t n) = 0;
};

// What is wrong with a file: records that do not cover their lines in order, a
// list (all, view, sets, sessions, current tune) holding a record that is not the
// file's, or a set or session line that names no tune. Empty when all is well.
// Records found in lists are compared with the file's own, never read.
std::string FileFaults(const TAbcFile& file);

// Three open files: the one under test (saved to `path` and read back), another
// file whose records are handed to it and must be refused, and the print list.
class FileScenario {
 public:
  FileScenario(std::string path, IChooser& choose);
  ~FileScenario();

  // Starts over with these bytes as the tested file's content.
  void Start(std::string_view bytes);
  // One random edit of one of the files. Returns what was done, or a description of
  // what went wrong prefixed by "FAULT: ".
  std::string Step();
  // FileFaults of all three files.
  std::string Faults() const;

  const TAbcFile& File() const { return *file_; }

 private:
  std::string AddTunes();
  std::string Paste();
  std::string DeleteRow();
  std::string DeleteRec();
  std::string DeleteView();
  std::string DeleteSome();
  std::string Replace();
  std::string Mark();
  std::string ChangeView();
  std::string Search();
  std::string EditSets();
  std::string EditSessions();
  std::string EditPrintList();
  std::string HandForeignRecords();
  std::string EditOtherFile();
  std::string SaveAndReload();

  TAbcRec* AnyRecord(const TAbcFile& file);
  TAbcRec* ForeignRecord();
  TLines RandomTunes(uint32_t count);
  std::string RandomTuneText();

  std::string path_;
  IChooser& choose_;
  std::unique_ptr<TAbcFile> file_;
  std::unique_ptr<TAbcFile> other_;
  std::unique_ptr<TAbcPrint> print_;
};

}  // namespace rq::test
