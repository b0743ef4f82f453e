// Every tune of the corpus converts to sound events, exports as a well-formed MIDI
// file, and an independent reader (midicsv) reads every export without complaint.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "MidiTestHelpers.h"
#include "SmfCheck.h"
#include "midi/MidiFile.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

struct CorpusTune {
  std::string file;
  std::string number;
  TLines lines;
};

std::vector<CorpusTune> LoadCorpus() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(RQ_CORPUS_DIR) / "nottingham")) {
    if (entry.path().extension() == ".abc") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<CorpusTune> tunes;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    for (std::string& line : SplitLines(ss.str())) {
      if (line.rfind("X:", 0) == 0) tunes.push_back({path.filename().string(), line.substr(2), {}});
      if (!tunes.empty() && tunes.back().file == path.filename().string()) tunes.back().lines.push_back(std::move(line));
    }
  }
  return tunes;
}

const std::vector<CorpusTune>& Corpus() {
  static const auto tunes = LoadCorpus();
  return tunes;
}

std::vector<unsigned char> Export(const TAbcParser& parser, TAbcMidi& midi, TMidiContainer& container) {
  midi.Convert(parser.Elements(), &container);
  container.ResetInsertCursor();
  container.SetTempo(200);
  int exponent = 0;
  for (int den = parser.MeterDen(); den > 1; den /= 2) ++exponent;
  container.SetMeter(parser.MeterNum(), exponent);
  TMIDI_Out_Stream writer;
  writer.WriteContainer(container);
  return writer.Bytes();
}

TEST(MidiCorpus, EveryTuneConvertsAndExportsSoundly) {
  ASSERT_GT(Corpus().size(), 1000u);
  TAbcParser parser;
  TAbcMidi midi, indexOnly;
  TMidiContainer container;
  size_t withNotes = 0;
  for (const auto& tune : Corpus()) {
    SCOPED_TRACE(tune.file + " X:" + tune.number);
    parser.Parse(tune.lines);
    const auto bytes = Export(parser, midi, container);
    ASSERT_EQ(test::EventFault(container), "");
    test::SmfFile file;
    ASSERT_EQ(test::ReadSmf(bytes, file), "");
    EXPECT_EQ(file.trackCount, container.UsedChannelCount() + 1);
    if (!test::NotesIn(container).empty()) ++withNotes;

    // Indexing converts without a container and must get the same results.
    indexOnly.Convert(parser.Elements());
    EXPECT_EQ(indexOnly.CodeText(), midi.CodeText());
    EXPECT_EQ(indexOnly.TotalTicks(), midi.TotalTicks());
    EXPECT_EQ(indexOnly.PickupTicks(), midi.PickupTicks());
    EXPECT_GE(midi.TotalTicks(), test::NotesIn(container).empty() ? 0 : test::NotesIn(container).back().start);
  }
  EXPECT_EQ(withNotes, Corpus().size());
}

// A reader we did not write reads every export; its complaints go to its error output.
TEST(MidiCorpus, IndependentReaderAcceptsEveryExport) {
  if (std::system("command -v midicsv > /dev/null 2>&1") != 0) GTEST_SKIP() << "midicsv is not installed";
  const fs::path dir = fs::temp_directory_path() /
                       ("rq_midicsv_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                        std::to_string(::getpid()));
  fs::create_directories(dir);
  TAbcParser parser;
  TAbcMidi midi;
  TMidiContainer container;
  std::string script;
  size_t count = 0;
  for (const auto& tune : Corpus()) {
    parser.Parse(tune.lines);
    const auto bytes = Export(parser, midi, container);
    const fs::path path = dir / (std::to_string(count++) + ".mid");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  // One shell runs the reader over every file and lists those it complained about.
  const fs::path report = dir / "complaints.txt";
  const std::string command = "cd '" + dir.string() + "' && for f in *.mid; do midicsv \"$f\" > /dev/null 2> err.txt; " +
                              "if [ $? -ne 0 ] || [ -s err.txt ]; then echo \"$f: $(cat err.txt)\"; fi; done > '" +
                              report.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(report);
  std::stringstream complaints;
  complaints << in.rdbuf();
  EXPECT_EQ(complaints.str(), "");
  fs::remove_all(dir);
  EXPECT_GT(count, 1000u);
}

}  // namespace
}  // namespace rq
