// The converter: lengths, pitches, repeats, velocities, pickup and voices of real ABC.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

using test::Converted;
using test::Lengths;
using test::Pitches;
using test::ScopedSetting;
using test::Starts;
using test::Tune;
using test::Velocities;
using Ticks = std::vector<MidiTick>;
using Ints = std::vector<int>;

// Notes of a body under M:4/4, L:1/8 and the given key.
std::vector<test::PlayedNote> NotesOf(const std::string& body, const std::string& key = "C") {
  return Converted(Tune("M:4/4\nL:1/8\nK:" + key, body)).Notes();
}

// ---- Units and meters ----

TEST(ConvertUnits, TuneWithoutMeterOrUnitIsFourFourInEighths) {
  Converted t("X:1\nT:Bare\nK:C\nCDEF|\n");
  EXPECT_EQ(t.midi.MeasureTicks(), 1920);
  EXPECT_EQ(Lengths(t.Notes()), (Ticks{240, 240, 240, 240}));
  EXPECT_EQ(Pitches(t.Notes()), (Ints{60, 62, 64, 65}));
  EXPECT_EQ(t.Notes()[0].channel, 1);
}

TEST(ConvertUnits, MeterSetsBarAndDefaultUnit) {
  struct Case { const char* meter; MidiTick bar, unit; };
  for (const Case& c : {Case{"6/8", 1440, 240}, Case{"2/4", 960, 120}, Case{"3/4", 1440, 240},
                        Case{"C", 1920, 240}, Case{"C|", 1920, 240}, Case{"9/8", 2160, 240}}) {
    Converted t(Tune(std::string("M:") + c.meter + "\nK:C", "A|"));
    EXPECT_EQ(t.midi.MeasureTicks(), c.bar) << c.meter;
    EXPECT_EQ(t.Notes()[0].length, c.unit) << c.meter;
  }
}

TEST(ConvertUnits, UnitLengthField) {
  EXPECT_EQ(Lengths(Converted(Tune("M:4/4\nL:1/16\nK:C", "A A2 A/")).Notes()), (Ticks{120, 240, 60}));
  EXPECT_EQ(Lengths(Converted(Tune("M:4/4\nL:1/4\nK:C", "A A3/2")).Notes()), (Ticks{480, 720}));
}

// An L: before the header's M: keeps its unit, and the bar is still the meter's own.
TEST(ConvertUnits, UnitBeforeMeterKeepsBothRight) {
  Converted t("X:1\nT:t\nL:1/8\nM:2/4\nK:C\nA2 B2|c4|\n");
  EXPECT_EQ(t.midi.MeasureTicks(), 960);
  EXPECT_EQ(Lengths(t.Notes()), (Ticks{480, 480, 960}));
  EXPECT_EQ(t.midi.TotalTicks(), 1920);
}

// A meter change in the body resets the unit to that meter's default.
TEST(ConvertUnits, BodyMeterResetsUnitToItsDefault) {
  Converted t(Tune("M:4/4\nL:1/4\nK:C", "A|[M:2/4] A|"));
  EXPECT_EQ(Lengths(t.Notes()), (Ticks{480, 120}));
  EXPECT_EQ(t.midi.MeasureTicks(), 960);
}

// ---- Durations ----

TEST(ConvertDurations, Tuplets) {
  EXPECT_EQ(Lengths(NotesOf("(3abc")), (Ticks{160, 160, 160}));
  EXPECT_EQ(Lengths(NotesOf("(4abcd")), (Ticks{180, 180, 180, 180}));
  EXPECT_EQ(Lengths(NotesOf("(2ab")), (Ticks{360, 360}));
  // Notes inside a triplet keep their own proportions: three quarters in the time of two.
  EXPECT_EQ(Lengths(NotesOf("(3a2b2c2")), (Ticks{320, 320, 320}));
  EXPECT_EQ(Starts(NotesOf("(3abc d")), (Ticks{0, 160, 320, 480}));
}

TEST(ConvertDurations, BrokenRhythm) {
  EXPECT_EQ(Lengths(NotesOf("a>b")), (Ticks{360, 120}));
  EXPECT_EQ(Lengths(NotesOf("a>>b")), (Ticks{420, 60}));
  EXPECT_EQ(Lengths(NotesOf("a<b")), (Ticks{120, 360}));
  EXPECT_EQ(Starts(NotesOf("a>b c")), (Ticks{0, 360, 480}));
}

TEST(ConvertDurations, SingleGraceNoteTakesTimeFromTheMainNote) {
  const auto n = NotesOf("{g}a2 b");
  EXPECT_EQ(Starts(n), (Ticks{0, 80, 480}));
  EXPECT_EQ(Lengths(n), (Ticks{80, 400, 240}));
  EXPECT_EQ(Pitches(n), (Ints{79, 81, 83}));
  EXPECT_EQ(n[0].velocity, 127 * 80 / 100);
}

TEST(ConvertDurations, GraceGroupSharesADivisionOfTheMainNote) {
  const auto n = NotesOf("{gfg}a2");
  EXPECT_EQ(Starts(n), (Ticks{0, 53, 106, 159}));
  EXPECT_EQ(Lengths(n), (Ticks{53, 53, 53, 321}));
}

TEST(ConvertDurations, GraceNotesSwitchedOffPlayOnlyTheMainNote) {
  ScopedSetting off(MidiConfig().GraceOn, 0);
  const auto n = NotesOf("{g}a2");
  EXPECT_EQ(Starts(n), (Ticks{0}));
  EXPECT_EQ(Lengths(n), (Ticks{480}));
}

// A settings file can hold 0 for the grace divisors: their defaults apply.
TEST(ConvertDurations, ZeroGraceDivisorsFallBackToDefaults) {
  ScopedSetting simple(MidiConfig().GrcSimple, 0);
  ScopedSetting multi(MidiConfig().GrcMulti, 0);
  EXPECT_EQ(Lengths(NotesOf("{g}a2")), (Ticks{80, 400}));
  EXPECT_EQ(Lengths(NotesOf("{gfg}a2")), (Ticks{53, 53, 53, 321}));
}

// A grace group left open by the parser is played as ordinary notes.
TEST(ConvertDurations, OpenGraceGroupPlaysAsNotes) {
  const auto n = NotesOf("{ga2");
  EXPECT_EQ(Starts(n), (Ticks{0, 240}));
  EXPECT_EQ(Lengths(n), (Ticks{240, 480}));
}

TEST(ConvertDurations, Rolls) {
  const auto roll = NotesOf("~a2");
  EXPECT_EQ(Starts(roll), (Ticks{0, 120, 240}));
  EXPECT_EQ(Lengths(roll), (Ticks{120, 120, 240}));
  EXPECT_EQ(Velocities(roll), (Ints{101, 101, 127}));
  const auto longRoll = NotesOf("~a3");
  EXPECT_EQ(Starts(longRoll), (Ticks{0, 120, 240, 480}));
  EXPECT_EQ(Lengths(longRoll), (Ticks{120, 120, 240, 240}));
  // A roll after grace notes plays as a plain note.
  EXPECT_EQ(Lengths(NotesOf("{g}~a2")), (Ticks{80, 400}));
}

TEST(ConvertDurations, StaccatoSoundsHalfAndAdvancesWhole) {
  const auto n = NotesOf(".a4 b");
  EXPECT_EQ(Lengths(n), (Ticks{480, 240}));
  EXPECT_EQ(Starts(n), (Ticks{0, 960}));
}

TEST(ConvertDurations, ChordNotesStartTogetherAndAdvanceByTheFirst) {
  const auto n = NotesOf("[c2e2g2] f [C4E] G");
  EXPECT_EQ(Starts(n), (Ticks{0, 0, 0, 480, 720, 720, 1680}));
  EXPECT_EQ(Lengths(n), (Ticks{480, 480, 480, 240, 960, 240, 240}));
}

TEST(ConvertDurations, InlineFieldAdvancesNothing) {
  EXPECT_EQ(Starts(NotesOf("a [K:D] b")), (Ticks{0, 240}));
}

TEST(ConvertDurations, RestsTakeTimeAndSoundNothing) {
  const auto n = NotesOf("a z2 b");
  EXPECT_EQ(Starts(n), (Ticks{0, 720}));
}

// ---- Pitches ----

TEST(ConvertPitches, LettersAndOctaves) {
  EXPECT_EQ(Pitches(NotesOf("C, C c c' B,, b'")), (Ints{48, 60, 72, 84, 47, 95}));
}

TEST(ConvertPitches, AccidentalHoldsForTheLetterUntilTheBarEnds) {
  EXPECT_EQ(Pitches(NotesOf("^f f F | f")), (Ints{78, 78, 66, 77}));
  EXPECT_EQ(Pitches(NotesOf("=F f | F", "G")), (Ints{65, 77, 66}));
}

TEST(ConvertPitches, AccidentalsAgainstTheKey) {
  EXPECT_EQ(Pitches(NotesOf("^B", "F")), (Ints{71}));
  EXPECT_EQ(Pitches(NotesOf("_F", "G")), (Ints{65}));
  EXPECT_EQ(Pitches(NotesOf("^^C")), (Ints{62}));
  EXPECT_EQ(Pitches(NotesOf("__E")), (Ints{62}));
  EXPECT_EQ(Pitches(NotesOf("=B", "F")), (Ints{71}));
}

TEST(ConvertPitches, KeySignatures) {
  EXPECT_EQ(Pitches(NotesOf("FCGDAEB", "C#")), (Ints{66, 61, 68, 63, 70, 65, 72}));
  EXPECT_EQ(Pitches(NotesOf("BEADGCF", "Cb")), (Ints{70, 63, 68, 61, 66, 59, 64}));
  EXPECT_EQ(Pitches(NotesOf("FCG", "Ador")), (Ints{66, 60, 67}));
  EXPECT_EQ(Pitches(NotesOf("b [K:Bb] b B")), (Ints{83, 82, 70}));
}

// ---- Repeats and endings ----

TEST(ConvertRepeats, RepeatedSectionPlaysTwice) {
  const auto n = NotesOf("|: CDEF :| G");
  EXPECT_EQ(Pitches(n), (Ints{60, 62, 64, 65, 60, 62, 64, 65, 67}));
  EXPECT_EQ(Starts(n), (Ticks{0, 240, 480, 720, 960, 1200, 1440, 1680, 1920}));
}

TEST(ConvertRepeats, RepeatWithoutStartSignGoesBackToTheTuneStart) {
  EXPECT_EQ(Pitches(NotesOf("CD :| E")), (Ints{60, 62, 60, 62, 64}));
}

TEST(ConvertRepeats, NumberedEndings) {
  const auto n = NotesOf("|: C8 |1 D8 :|2 E8 || F8");
  EXPECT_EQ(Pitches(n), (Ints{60, 62, 60, 64, 65}));
  EXPECT_EQ(Starts(n), (Ticks{0, 1920, 3840, 5760, 7680}));
}

TEST(ConvertRepeats, DoubleBarPlaysOnce) {
  EXPECT_EQ(Pitches(NotesOf("C8 || D8")), (Ints{60, 62}));
}

TEST(ConvertRepeats, DoubleBarClosesASectionOpenedByARepeatSign) {
  EXPECT_EQ(Pitches(NotesOf("C8 |: D8 || E8")), (Ints{60, 62, 62, 64}));
}

TEST(ConvertRepeats, EndAndStartRepeatSign) {
  EXPECT_EQ(Pitches(NotesOf("|: C8 :: D8 :|")), (Ints{60, 60, 62, 62}));
}

// The copy continues where the section ends, at its repeat sign, even when the
// section's last note is staccato or a chord of unequal notes.
TEST(ConvertRepeats, SectionEndingInStaccatoKeepsTime) {
  const auto n = NotesOf("|: C6 .D2 :| E8 |");
  EXPECT_EQ(Starts(n), (Ticks{0, 1440, 1920, 3360, 3840}));
}

TEST(ConvertRepeats, SectionEndingInUnequalChordKeepsTime) {
  const auto n = NotesOf("|: C6 [D2F] :| G8 |");
  EXPECT_EQ(Starts(n), (Ticks{0, 1440, 1440, 1920, 3360, 3360, 3840}));
}

TEST(ConvertRepeats, SecondEndingAfterStaccatoKeepsTime) {
  const auto n = NotesOf("|: C6 .D2 |1 E8 :|2 F8 |");
  EXPECT_EQ(Pitches(n), (Ints{60, 62, 64, 60, 62, 65}));
  EXPECT_EQ(Starts(n), (Ticks{0, 1440, 1920, 3840, 5280, 5760}));
}

// ---- Velocities by beat ----

TEST(ConvertVelocities, FourFour) {
  EXPECT_EQ(Velocities(NotesOf("CDEF GABc|")), (Ints{127, 64, 92, 64, 127, 64, 92, 64}));
}

TEST(ConvertVelocities, SixEight) {
  EXPECT_EQ(Velocities(Converted(Tune("M:6/8\nL:1/8\nK:C", "CDEFGA|")).Notes()), (Ints{127, 64, 64, 127, 64, 64}));
  EXPECT_EQ(Velocities(Converted(Tune("M:6/8\nL:1/16\nK:C", "CDEFGABcdefg|")).Notes()),
            (Ints{127, 64, 64, 92, 64, 64, 127, 64, 64, 92, 64, 64}));
}

TEST(ConvertVelocities, TwoFourAndThreeFour) {
  EXPECT_EQ(Velocities(Converted(Tune("M:2/4\nL:1/16\nK:C", "C2D2E2F2|")).Notes()), (Ints{127, 92, 127, 64}));
  EXPECT_EQ(Velocities(Converted(Tune("M:3/4\nL:1/8\nK:C", "CDEFGA|")).Notes()), (Ints{127, 64, 92, 64, 92, 64}));
}

TEST(ConvertVelocities, SettingsAreClamped) {
  ScopedSetting strong(MidiConfig().HNote, 500);
  ScopedSetting weak(MidiConfig().LNote, -3);
  EXPECT_EQ(Velocities(NotesOf("CD")), (Ints{127}));  // the weak note has velocity 0
}

// ---- Pickup, total and voices ----

TEST(ConvertPickup, FirstBarLineDecidesThePickup) {
  Converted t(Tune("M:4/4\nL:1/8\nK:D", "D2|A4 B4|c8|"));
  EXPECT_EQ(t.midi.PickupTicks(), 480);
  Converted full(Tune("M:4/4\nL:1/8\nK:D", "A4 B4|c8|"));
  EXPECT_EQ(full.midi.PickupTicks(), 0);
  Converted noBars(Tune("M:4/4\nL:1/8\nK:D", "A4 B4"));
  EXPECT_EQ(noBars.midi.PickupTicks(), -1);
}

TEST(ConvertPickup, LastBarIsCompletedInTheTotal) {
  EXPECT_EQ(Converted(Tune("M:4/4\nL:1/8\nK:C", "C8|D2")).midi.TotalTicks(), 3840);
  EXPECT_EQ(Converted(Tune("M:4/4\nL:1/8\nK:C", "C8|D8|")).midi.TotalTicks(), 3840);
  EXPECT_EQ(Converted(Tune("M:4/4\nL:1/8\nK:C", "|:C8:|")).midi.TotalTicks(), 3840);
}

TEST(ConvertVoices, VoiceRestartsAtZeroOnItsOwnChannelWithHeaderKey) {
  Converted t(Tune("M:4/4\nL:1/8\nK:G", "V:1\nF8|[K:C]F8|\nV:2\nF4 A4|"));
  const auto n = t.Notes();
  ASSERT_EQ(n.size(), 4u);
  EXPECT_EQ(n[0].channel, 1);
  EXPECT_EQ(n[1].channel, 2);
  EXPECT_EQ(n[1].start, 0);
  EXPECT_EQ(n[1].pitch, 66);  // F sharp again: the voice starts in the header key
  EXPECT_EQ(t.midi.TotalTicks(), 3840);  // the longer voice
}

// ---- Results and elements ----

TEST(ConvertResults, WithoutContainerTheResultsAreTheSame) {
  const std::string abc = Tune("M:6/8\nL:1/8\nK:Em", "B|:E2B {c}B2A|~B3 .A2G|1 F3 E2:|2 F3 E3||");
  Converted with(abc);
  TAbcMidi without;
  without.Convert(with.parser.Elements());
  EXPECT_EQ(without.TotalTicks(), with.midi.TotalTicks());
  EXPECT_EQ(without.PickupTicks(), with.midi.PickupTicks());
  EXPECT_EQ(without.CodeText(), with.midi.CodeText());
  EXPECT_EQ(without.MeasureTicks(), with.midi.MeasureTicks());
}

// The converter only reads the parser's elements: converting twice gives the same
// events, and the elements are as the parser left them.
TEST(ConvertResults, ElementsAreOnlyRead) {
  const std::string abc = Tune("M:4/4\nL:1/8\nK:C", "{g}~a2 z2 {f}.e2 [ce]2|");
  Converted t(abc);
  std::string before;
  for (const TAbc* e : t.parser.Elements()) before += e->Dump() + "\n";
  const auto first = t.Notes();
  t.midi.Convert(t.parser.Elements(), &t.container);
  std::string after;
  for (const TAbc* e : t.parser.Elements()) after += e->Dump() + "\n";
  EXPECT_EQ(before, after);
  EXPECT_EQ(t.Notes(), first);
}

// ---- Bad input: converts without a crash, a hang or an invalid event ----

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(ConvertBadInput, VeryLongTune) {
  Converted t(Tune("M:4/4\nL:1/8\nK:C", Repeat("|: CDEF GABc |1 d8 :|2 e8 |\n", 1250)));
  EXPECT_EQ(test::EventFault(t.container), "");
  EXPECT_EQ(t.midi.TotalTicks(), 1920 * 5000);  // each line plays four bars
}

TEST(ConvertBadInput, NineVoicesAndMore) {
  std::string body;
  for (int v = 1; v <= 9; ++v) body += "V:" + std::to_string(v) + "\n|: CDEF GABc :|\n";
  Converted t(Tune("M:4/4\nL:1/8\nK:C", body));
  EXPECT_EQ(test::EventFault(t.container), "");
  EXPECT_EQ(t.container.UsedChannelCount(), 9);
}

TEST(ConvertBadInput, RepeatsAndEndingsOutOfPlace) {
  for (const char* body : {"|: |: |: C D E :|", ":| :| :: C", "|2 C D |3 E |1 F :|2 G", "|1 |1 C :|2 :|2 D",
                           "[C2E2 |: G :| ] A", "(3 :| abc", "{g}:| a {ab}", "C :|2 D |1 E ||", "z8 :|",
                           "[K:F] |1 [M:2/4] C :| [L:1/16] D"}) {
    Converted t(Tune("M:4/4\nL:1/8\nK:C", body));
    EXPECT_EQ(test::EventFault(t.container), "") << body;
  }
}

// Meters and lengths at their extremes: no division by zero and nothing out of range.
TEST(ConvertBadInput, ExtremeLengthsAndMeters) {
  for (const char* fields : {"M:2/32\nL:1/32\nK:C", "M:99/2\nL:1/4\nK:C", "M:0/0\nL:1/0\nK:C", "L:1/32\nM:2/32\nK:C"}) {
    Converted t(Tune(fields, "C999 D/32 E999/32 | (9 abcdefgab | a>>>b | ~C999 |"));
    EXPECT_EQ(test::EventFault(t.container), "") << fields;
    EXPECT_GT(t.midi.MeasureTicks(), 0) << fields;
  }
}

}  // namespace
}  // namespace rq
