// Every tune of the corpus converts to sound events and exports as a well-formed MIDI
// file, which an independent reader (midicsv) reads without complaint.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Corpus.h"
#include "MidiTestHelpers.h"
#include "SmfCheck.h"
#include "midi/MidiFile.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

const std::vector<TLines>& Corpus() {
  static const auto tunes = corpus::Tunes();
  return tunes;
}

// The export path: convert into a container of its own, set tempo and meter, write.
std::vector<unsigned char> Export(const TAbcParser& parser, TAbcMidi& midi, TMidiContainer& container) {
  midi.Convert(parser.Elements(), &container);
  container.ResetInsertCursor();
  container.SetTempo(200);
  container.SetMeter(parser.MeterNum(), MeterDenominatorExponent(parser.MeterDen()));
  TMIDI_Out_Stream writer;
  writer.WriteContainer(container);
  return writer.Bytes();
}

TEST(MidiCorpus, EveryTuneConvertsAndExportsSoundly) {
  ASSERT_GT(Corpus().size(), 1000u);
  TAbcParser parser;
  TAbcMidi midi, indexOnly;
  TMidiContainer container;
  for (size_t i = 0; i < Corpus().size(); ++i) {
    SCOPED_TRACE(Corpus()[i].front());
    parser.Parse(Corpus()[i]);
    test::SmfFile file;
    ASSERT_EQ(test::ReadSmf(Export(parser, midi, container), file), "");
    ASSERT_EQ(test::EventFault(container), "");
    EXPECT_FALSE(test::Played(container).empty());
    // Indexing converts without a container and must get the same results.
    indexOnly.Convert(parser.Elements());
    EXPECT_EQ(indexOnly.CodeText(), midi.CodeText());
    EXPECT_EQ(indexOnly.TotalTicks(), midi.TotalTicks());
    EXPECT_EQ(indexOnly.PickupTicks(), midi.PickupTicks());
  }
}

TEST(MidiCorpus, IndependentReaderAcceptsEveryExport) {
  if (std::system("command -v midicsv > /dev/null 2>&1") != 0) GTEST_SKIP() << "midicsv is not installed";
  const fs::path dir = fs::temp_directory_path() / ("rq_midicsv_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TAbcParser parser;
  TAbcMidi midi;
  TMidiContainer container;
  for (size_t i = 0; i < Corpus().size(); ++i) {
    parser.Parse(Corpus()[i]);
    const auto bytes = Export(parser, midi, container);
    std::ofstream(dir / (std::to_string(i) + ".mid"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // One shell runs the reader over every file and lists those it complained about.
  const std::string command = "cd '" + dir.string() + "' && for f in *.mid; do midicsv \"$f\" > /dev/null 2> err; " +
                              "if [ $? -ne 0 ] || [ -s err ]; then echo \"$f: $(cat err)\"; fi; done > complaints";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::stringstream complaints;
  complaints << std::ifstream(dir / "complaints").rdbuf();
  EXPECT_EQ(complaints.str(), "");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace rq
