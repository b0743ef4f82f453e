// Every tune of the corpus converts to sound events and exports as a well-formed MIDI
// file, which an independent reader (midicsv) reads without complaint.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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
TMIDI_Out_Stream Export(const TAbcParser& parser, const MidiSettings& settings, TAbcMidi& midi,
                        TMidiContainer& container) {
  midi.Convert(parser.Elements(), &container);
  container.SetTempo(200);
  container.SetMeter(parser.MeterNum(), MeterDenominatorExponent(parser.MeterDen()));
  TMIDI_Out_Stream writer(settings);
  writer.WriteContainer(container);
  return writer;
}

std::string Elements(const TAbcParser& parser) {
  std::string text;
  for (const TAbc* e : parser.Elements()) text += e->Dump() + "\n";
  return text;
}

// Every tune gives sound events and a well-formed file; the converter only reads the parser's
// elements, a reused converter and container give what fresh ones give, and converting without
// a container, or for the code alone, agrees.
TEST(MidiCorpus, EveryTuneConvertsAndExportsSoundly) {
  RQ_SKIP_WITHOUT_CORPUS();
  ASSERT_GT(Corpus().size(), 1000u);
  TAbcParser parser;
  const MidiSettings settings;
  TAbcMidi midi(settings), indexOnly(settings), codeOnly(settings);
  TMidiContainer container;
  for (size_t i = 0; i < Corpus().size(); ++i) {
    SCOPED_TRACE(Corpus()[i].front());
    parser.Parse(Corpus()[i]);
    const std::string elements = Elements(parser);
    std::vector<test::SmfTrack> tracks;
    ASSERT_EQ(test::ReadSmf(Export(parser, settings, midi, container).Bytes(), tracks), "");
    EXPECT_EQ(Elements(parser), elements);
    TAbcMidi freshMidi(settings);
    TMidiContainer fresh;
    freshMidi.Convert(parser.Elements(), &fresh);
    EXPECT_EQ(test::Played(container), test::Played(fresh));
    ASSERT_EQ(test::EventFault(container), "");
    EXPECT_FALSE(test::Played(container).empty());
    indexOnly.Convert(parser.Elements());
    EXPECT_EQ(indexOnly.CodeText(), midi.CodeText());
    EXPECT_EQ(indexOnly.TotalTicks(), midi.TotalTicks());
    EXPECT_EQ(indexOnly.PickupTicks(), midi.PickupTicks());
    EXPECT_EQ(codeOnly.ComputeCode(parser.Elements()), midi.CodeValue());
    EXPECT_EQ(codeOnly.CodeText(), midi.CodeText());
  }
}

// An independent reader (midicsv) reads every exported file without complaint.
TEST(MidiCorpus, IndependentReaderAcceptsEveryExport) {
  RQ_SKIP_WITHOUT_CORPUS();
  if (std::system("command -v midicsv > /dev/null 2>&1") != 0) GTEST_SKIP() << "midicsv is not installed";
  const fs::path dir = test::TempFile("");
  fs::create_directories(dir);
  TAbcParser parser;
  const MidiSettings settings;
  TAbcMidi midi(settings);
  TMidiContainer container;
  for (size_t i = 0; i < Corpus().size(); ++i) {
    parser.Parse(Corpus()[i]);
    ASSERT_TRUE(Export(parser, settings, midi, container).SaveToFile((dir / (std::to_string(i) + ".mid")).string()));
  }
  // One shell runs the reader over every file and lists those it complained about.
  const std::string command = "cd '" + dir.string() + "' && for f in *.mid; do midicsv \"$f\" > /dev/null 2> err; " +
                              "if [ $? -ne 0 ] || [ -s err ]; then echo \"$f: $(cat err)\"; fi; done > complaints";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream complaints(dir / "complaints");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(complaints), std::istreambuf_iterator<char>()), "");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace rq
