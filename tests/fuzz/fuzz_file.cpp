// Fuzzes the tune file object: arbitrary bytes read as a file's content, written and
// read back, then a sequence of edits chosen by the input's last bytes (adding,
// pasting, every kind of delete, replacing, marks, views, searches, set, session and
// print-list edits, records of other files, saving and reading back), checking after
// each that every list holds only the file's own records, the records cover their
// lines and the set block names existing tunes.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "FileScenario.h"
#include "library/FileAbc.h"
#include "platform/FileRead.h"

namespace {

class FuzzChooser : public rq::test::IChooser {
 public:
  explicit FuzzChooser(FuzzedDataProvider& data) : data_(data) {}
  uint32_t Below(uint32_t n) override { return n <= 1 ? 0 : data_.ConsumeIntegralInRange<uint32_t>(0, n - 1); }

 private:
  FuzzedDataProvider& data_;
};

// The file the edits save, in memory-backed storage when there is one (saving flushes
// to disk); removed when the fuzzer ends.
class SavedFile {
 public:
  SavedFile() {
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                             ? "/dev/shm"
                                             : std::filesystem::temp_directory_path();
    path_ = (folder / ("rq-fuzz-file-" + std::to_string(::getpid()) + ".abc")).string();
  }
  ~SavedFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

constexpr int kMaxSteps = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  // The last byte says how many bytes at the end choose the edits; the rest is the file.
  const size_t editBytes = provider.ConsumeIntegral<uint8_t>();
  const std::string bytes = provider.ConsumeBytesAsString(provider.remaining_bytes() - std::min(editBytes, provider.remaining_bytes()));

  // The program does not open content it takes for binary or UTF-16.
  if (!rq::NotEightBitTextReason(bytes).empty()) return 0;

  static const SavedFile saved;
  static const auto plain = rq::TAbcFile::CreateNew("fuzz", nullptr);
  // Written and read again, the file has the same lines (unless removing an old code
  // comment uncovered another one).
  plain->LoadFromBytes(bytes);
  const rq::TLines lines = plain->Lines;
  plain->LoadFromBytes(plain->ToBytes());
  if (plain->Lines != lines && bytes.find("%ZYM:") == std::string::npos) __builtin_trap();

  FuzzChooser choose(provider);
  rq::test::FileScenario scenario(saved.Path(), choose);
  scenario.Start(bytes);
  if (!rq::test::FileFaults(scenario.File()).empty()) __builtin_trap();
  for (int step = 0; step < kMaxSteps && provider.remaining_bytes() > 0; ++step) {
    if (scenario.Step().starts_with("FAULT")) __builtin_trap();
    if (!scenario.Faults().empty()) __builtin_trap();
  }
  return 0;
}
