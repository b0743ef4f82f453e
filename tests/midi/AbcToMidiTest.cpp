// The converter on real ABC: lengths, pitches, repeats, velocities, pickup, voices and the tune code.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"

namespace rq {
namespace {

using test::Converted;
using test::SettingsChange;
using test::Show;

const std::string kReel = "M:4/4\nL:1/8\nK:C";

struct Case {
  const char* body;
  const char* expected;
};

// Each body under the given header and settings: its notes as "start+length:pitch", or as `show` says.
void ExpectNotes(std::initializer_list<Case> cases, const std::string& fields = kReel, Show show = Show::kTimed,
                 const SettingsChange& change = {}) {
  for (const Case& c : cases) {
    EXPECT_EQ(Converted(fields, c.body, change).Notes(show), c.expected) << fields << " | " << c.body;
  }
}

// The meter sets the bar and the default unit, but an L: before the header's M: keeps its unit.
TEST(ConvertUnits, MeterSetsBarAndDefaultUnit) {
  struct Meter { const char* fields; MidiTick bar; const char* note; };
  for (const Meter& m : {Meter{"", 1920, "0+240:69"}, Meter{"M:6/8\n", 1440, "0+240:69"},
                         Meter{"M:2/4\n", 960, "0+120:69"}, Meter{"M:3/4\n", 1440, "0+240:69"},
                         Meter{"L:1/8\nM:2/4\n", 960, "0+240:69"}}) {
    Converted t(std::string(m.fields) + "K:C", "A|");
    EXPECT_EQ(t.midi.MeasureTicks(), m.bar) << m.fields;
    EXPECT_EQ(t.Notes(), m.note) << m.fields;
  }
  ExpectNotes({{"A A2 A/", "0+120:69 120+240:69 360+60:69"}}, "M:4/4\nL:1/16\nK:C");
  // A meter in the body keeps a unit the tune gave; without one it sets its own default.
  ExpectNotes({{"A|[M:2/4] A|", "0+480:69 480+480:69"}}, "M:4/4\nL:1/4\nK:C");
  ExpectNotes({{"A|[M:2/4] A|", "0+240:69 240+120:69"}}, "M:4/4\nK:C");
  ExpectNotes({{"A|\nM:2/4\nA|[L:1/8][M:3/4]A|", "0+480:69 480+480:69 960+240:69"}}, "M:4/4\nL:1/4\nK:C");
}

// Tuplets, broken rhythm, grace notes, rolls, staccato, chords and rests start and last as written.
TEST(ConvertDurations, TimedNotes) {
  ExpectNotes({{"(3abc", "0+160:81 160+160:83 320+160:72"},
               {"(4abcd", "0+180:81 180+180:83 360+180:72 540+180:74"},
               {"(3a2b2c2", "0+320:81 320+320:83 640+320:72"},  // three quarters in the time of two
               {"a>b c", "0+360:81 360+120:83 480+240:72"},
               {"a>>b", "0+420:81 420+60:83"},
               {"a<b", "0+120:81 120+360:83"},
               {"{g}a2 b", "0+80:79 80+400:81 480+240:83"},  // graces take their time from the main note
               {"{gfg}a2", "0+53:79 53+53:77 106+53:79 159+321:81"},
               {"{ga2", "0+240:79 240+480:81"},  // a group left open plays as notes
               {"~a2", "0+120:81 120+120:81 240+240:81"},
               {"~a3", "0+120:81 120+120:81 240+240:81 480+240:81"},
               {"{g}~a2", "0+80:79 80+400:81"},  // a roll after grace notes plays plain
               {".a4 b", "0+480:81 960+240:83"},
               {"[c2e2g2] f [C4E] G", "0+480:72 0+480:76 0+480:79 480+240:77 720+960:60 720+240:64 1680+240:67"},
               {"a [K:D] b", "0+240:81 240+240:83"},
               {"a z2 b", "0+240:81 720+240:83"},
               // Several slashes; broken rhythm on chords and staccato notes, and inside tuplets.
               {"c// c/// c3/ c3// c/", "0+60:72 60+30:72 90+360:72 450+180:72 630+120:72"},
               {"[ce]>[df] g", "0+360:72 0+360:76 360+120:74 360+120:77 480+240:79"},
               {"[ce]<[df]", "0+120:72 0+120:76 120+360:74 120+360:77"},
               {".c>.d", "0+180:72 360+60:74"},
               {"(3cd>e f", "0+160:72 160+240:74 400+80:76 480+240:77"},  // the bar keeps its length
               {"(3 cde f", "0+160:72 160+160:74 320+160:76 480+240:77"}});
  // Five or nine notes take the time of two units in a simple meter (three beats
  // make 3/4 no compound meter) and of three in a compound one.
  ExpectNotes({{"(5ABcde", "0+96:69 96+96:71 192+96:72 288+96:74 384+96:76"},
               {"(9ABcdefgab",
                "0+53:69 53+53:71 106+53:72 159+53:74 212+53:76 265+53:77 318+53:79 371+53:81 424+53:83"}},
              "M:3/4\nL:1/8\nK:C");
  ExpectNotes({{"(5ABcde", "0+144:69 144+144:71 288+144:72 432+144:74 576+144:76"}}, "M:6/8\nL:1/8\nK:C");
  ExpectNotes({{"{g}a2", "101 127"}, {"~a2", "101 101 127"}}, kReel, Show::kVelocity);
  ExpectNotes({{"{g}a2", "0+480:81"}}, kReel, Show::kTimed, [](MidiSettings& s) { s.GraceOn = 0; });
  // A settings file can hold 0 for the divisors: their defaults apply.
  ExpectNotes({{"{g}a2", "0+80:79 80+400:81"}, {"{gfg}a2", "0+53:79 53+53:77 106+53:79 159+321:81"}}, kReel,
              Show::kTimed, [](MidiSettings& s) {
                s.GrcSimple = 0;
                s.GrcMulti = 0;
              });
}

// Octaves, accidentals (held for the letter until the bar ends) and every kind of key give the right pitch.
TEST(ConvertPitches, OctavesAccidentalsAndKeys) {
  struct KeyCase { const char* key; Case c; };
  for (const KeyCase& k : {KeyCase{"C", {"C, C c c' B,, b'", "48 60 72 84 47 95"}},
                           {"C", {"^f f F | f", "78 78 66 77"}},
                           {"C", {"^^C __E", "62 62"}},
                           {"C", {"b [K:Bb] b B", "83 82 70"}},
                           {"G", {"_F", "65"}},
                           {"G", {"=F f | F", "65 77 66"}},
                           {"F", {"^B", "71"}},
                           {"F", {"=B", "71"}},
                           {"F", {"_B =B _B B | B", "70 71 70 70 70"}},  // the last accidental holds
                           {"C#", {"FCGDAEB", "66 61 68 63 70 65 72"}},
                           {"Cb", {"BEADGCF", "70 63 68 61 66 59 64"}},
                           // A mode word after the tonic (the parser's key tests hold every mode).
                           {"A Mixolydian", {"Gg|", "67 79"}},
                           {"Eloc", {"BE", "70 64"}},
                           {"C", {"F [K:D Dorian] F [K:A minor] F", "65 65 65"}}}) {
    ExpectNotes({k.c}, std::string("L:1/8\nK:") + k.key, Show::kPitch);
  }
}

// Repeat signs, double bars and numbered endings play each section as often as written.
TEST(ConvertRepeats, SectionsAndEndings) {
  ExpectNotes({{"|: C2 D2 :| E", "0+480:60 480+480:62 960+480:60 1440+480:62 1920+240:64"},
               {"C D :| E", "0+240:60 240+240:62 480+240:60 720+240:62 960+240:64"},
               {"|: C8 |1 D8 :|2 E8 || F8", "0+1920:60 1920+1920:62 3840+1920:60 5760+1920:64 7680+1920:65"},
               {"C8 || D8", "0+1920:60 1920+1920:62"},
               {"C8 |: D8 || E8", "0+1920:60 1920+1920:62 3840+1920:62 5760+1920:64"},
               {"|: C8 :: D8 :|", "0+1920:60 1920+1920:60 3840+1920:62 5760+1920:62"},
               // The section after a first and second ending repeats too.
               {"|:AB cd|1 ef ga:|2 fe dc||\n|:BA GF|ED CD:|",
                "0+240:69 240+240:71 480+240:72 720+240:74 960+240:76 1200+240:77 1440+240:79 1680+240:81 "
                "1920+240:69 2160+240:71 2400+240:72 2640+240:74 2880+240:77 3120+240:76 3360+240:74 3600+240:72 "
                "3840+240:71 4080+240:69 4320+240:67 4560+240:65 4800+240:64 5040+240:62 5280+240:60 5520+240:62 "
                "5760+240:71 6000+240:69 6240+240:67 6480+240:65 6720+240:64 6960+240:62 7200+240:60 7440+240:62"},
               // The repeat goes back at the repeat sign even when the section ends on a staccato note
               // or an uneven chord.
               {"|: C6 .D2 :| E8 |", "0+1440:60 1440+240:62 1920+1440:60 3360+240:62 3840+1920:64"},
               {"|: C6 [D2F] :| G8 |",
                "0+1440:60 1440+480:62 1440+240:65 1920+1440:60 3360+480:62 3360+240:65 3840+1920:67"},
               {"|: C6 .D2 |1 E8 :|2 F8 |",
                "0+1440:60 1440+240:62 1920+1920:64 3840+1440:60 5280+240:62 5760+1920:65"}});
}

// Second endings as musicians write them: across a continuation and a line break,
// "|2", "[|]:|", and a second ending that closes its section ("A B" pitches, L:1/4).
TEST(ConvertRepeats, SecondEndingsCloseTheirSection) {
  const std::string fields = "M:4/4\nL:1/4\nK:C";
  ExpectNotes({{"C2 D2|1 E4:|\\\n [2 G4||", "60 62 64 60 62 67"},
               {"|:C2|1 D2:|\n|2 E2||", "60 62 60 64"},
               {"C2|1 D2:|2 E2::F2 G2:|", "60 62 60 64 65 67 65 67"},
               {"C2|1 D2:|2 E2|F2 G2:|", "60 62 60 64 65 67"},  // the ending runs to its ":|"
               {"|:C2[1D2:|[2E2:|[3F2||", "60 62 60 64 60 65"},  // a third ending replays too
               {"|:C2[1D2:|[2E2:|[3F2:|[4G2:|[5A2:|[6B2||", "60 62 60 64 60 65 60 67 60 69 60 71"},  // up to six
               // A double bar inside a first ending closes the section: nothing after it is replayed.
               {"|: GABc |1 dddd || eeee :|2 ffff |]", "67 69 71 72 74 74 74 74 76 76 76 76 77 77 77 77"},
               {"CD|[1EF:|[2GA|\ncd|[1ef:|[2ga|", "60 62 64 65 60 62 67 69 72 74 76 77 72 74 79 81"},
               {"[1CD:|[2EF[1GA:|[2Bc", "60 62 64 65 67 69 71 72"},  // a new group right after an ending
               {"C2 [1 D2 [2 E2 [2 F2 |", "60 62 60 64 65"},  // an ending number replays once per section
               {"C2 [|]:| D2", "60 60 62"},
               {"C2 || |: D2 :|", "60 62 62"},
               {"C2 :| |: D2 :|", "60 60 62 62"},
               // The section after a first and second ending still repeats, however it opens and closes.
               {"|:AB|1 cd:|2 dc|| |:GF:|", "69 71 72 74 69 71 74 72 67 65 67 65"},
               {"|:AB|1 cd:|2 dc|:GF||", "69 71 72 74 69 71 74 72 67 65 67 65"}},
              fields, Show::kPitch);
}

// A bar written right before an ending's bracket is read as the bar and the ending,
// on one line and at a line's end; so is an ending's number first on the next line.
TEST(ConvertRepeats, ABarRightBeforeAnEndingsBracket) {
  ExpectNotes({{"|:A2|[1 B2|[2 c2||", "69 71 69 72"},
               {"|:A2|[1 B2||[2 c2||", "69 71 69 72"},
               {"|:A2|[1 B2| [2 c2||", "69 71 69 72"},
               {"|:A2||[1 B2:|[2 c2||", "69 71 69 72"},
               {"|:A2|[1 B2|[2\nc2||", "69 71 69 72"},
               {"|:A2|[1 B2|\n[2 c2||", "69 71 69 72"},
               {"|:A2|1 B2|\n:|2 c2||", "69 71 69 72"}},
              "M:4/4\nL:1/4\nK:C", Show::kPitch);
}

// A tab after a header field's value ends it as a blank does: the tune plays in D.
TEST(ConvertUnits, TabsAfterHeaderValues) {
  ExpectNotes({{"FC|", "0+240:66 240+240:61"}}, "M:9/8\t\nL:1/8\t\nK:D\t% comment");
}

// Ties, attached mode words, interleaved voices and endings across lines, as players
// write them: a tied note sounds once for its whole length, at the pitch it started
// with; a "-" before another pitch, a rest or a blank ties nothing.
TEST(ConvertStructure, TiesModesVoicesAndEndings) {
  ExpectNotes({{"c2-c2 d4|", "0+960:72 960+960:74"},
               {"c4-|c4 d4|", "0+1920:72 1920+960:74"},
               {"c4-\nc4 d4|", "0+1920:72 1920+960:74"},
               {"[f3-A3-][f2A2] z3|", "0+1200:77 0+1200:69"},
               {"[fA]-[fA] z6|", "0+480:77 0+480:69"},
               {"[fA]2-[fA]2 z4|", "0+960:77 0+960:69"},  // the chord's length before the tie
               {"c2-[c2e2] d4|", "0+960:72 480+480:76 960+960:74"},
               {"c2-c2-c2 d2|", "0+1440:72 1440+480:74"},
               {"(c2-c2) d4|", "0+960:72 960+960:74"},
               {"^c4-|c4 c4|", "0+1920:73 1920+960:72"},  // the accidental holds across the bar for the tied note only
               {"c2-d2 c4|", "0+480:72 480+480:74 960+960:72"},
               {"c2-z2 c4|", "0+480:72 960+960:72"},
               {"c2-=c2 d4|", "0+480:72 480+480:72 960+960:74"},
               {"c2 -c2 d4|", "0+480:72 480+480:72 960+960:74"},
               // A second ending of two bars closed by ":|" plays once; after a line's end a
               // new section starts, which its ":|" repeats.
               {"|:C2 D2|1 E4:|\n2 F4|]", "0+480:60 480+480:62 960+960:64 1920+480:60 2400+480:62 2880+960:65"}});
  ExpectNotes({{"C2|1 D2:|2 E2|F2:|B2|", "0+480:60 480+480:62 960+480:60 1440+480:64 1920+480:65 2400+480:71"}},
              "M:2/4\nL:1/8\nK:C");
  ExpectNotes({{"C2|1 D2:|2 E2|\nF2 G2:|", "60 62 60 64 65 67 65 67"},
               {"CD|[1EF:|[2GA|cd|[1ef:|[2ga|", "60 62 64 65 60 62 67 69 72 74 76 77 72 74 79 81"}},
              "M:4/4\nL:1/4\nK:C", Show::kPitch);
  for (const auto& [key, pitches] : {std::pair{"EM", "66 60 71 64"}, {"GM", "65 60 70 63"}, {"EDorian", "66 61 71 64"},
                                     {"Glydian", "66 61 71 64"}, {"Adorian", "66 60 71 64"}}) {
    ExpectNotes({{"FCBE|", pitches}}, std::string("M:4/4\nL:1/8\nK:") + key, Show::kPitch);
  }
  // Each voice goes on where it stopped, in the key it had; a voice's first V: starts it at 0.
  const Converted voices("M:4/4\nL:1/4\nK:C", "V:1\nc d e f|\nV:2\nC D E F|\nV:1\ng a b c|\nV:2\nG A B c|");
  EXPECT_EQ(voices.Notes(Show::kTimed, 1),
            "0+480:72 480+480:74 960+480:76 1440+480:77 1920+480:79 2400+480:81 2880+480:83 3360+480:72");
  EXPECT_EQ(voices.Notes(Show::kTimed, 2),
            "0+480:60 480+480:62 960+480:64 1440+480:65 1920+480:67 2400+480:69 2880+480:71 3360+480:72");
  const Converted keys("M:4/4\nL:1/4\nK:C", "V:1\n[K:D]F4|\nV:2\nF4|\nV:1\nF4|");
  EXPECT_EQ(keys.Notes(Show::kTimed, 1), "0+1920:66 1920+1920:66");
  EXPECT_EQ(keys.Notes(Show::kTimed, 2), "0+1920:65");
}

// Endings written "[1 ... :|[2 ..." grow with the tune, not with two to the power of
// their groups, when indexing too.
TEST(ConvertRepeats, EndingGroupsGrowLinearly) {
  for (const int groups : {20, 64}) {
    std::string body;
    for (int i = 0; i < groups; ++i) body += "[1ab:|[2ab|";
    Converted t(kReel, body);
    EXPECT_EQ(t.container.EventCount(), static_cast<size_t>(groups) * 8 + 1) << groups;  // and the meter
    EXPECT_EQ(t.midi.TotalTicks(), MidiTick{groups} * 960) << groups;
    EXPECT_EQ(test::EventFault(t.container), "");
  }
}

// Strong, medium and weak beats by the meter; a strong setting above 127 is clamped.
TEST(ConvertVelocities, ByPlaceInTheBar) {
  ExpectNotes({{"CDEF GABc|", "127 64 92 64 127 64 92 64"}}, kReel, Show::kVelocity);
  ExpectNotes({{"CDEFGABcdefg|", "127 64 64 92 64 64 127 64 64 92 64 64"}}, "M:6/8\nL:1/16\nK:C", Show::kVelocity);
  ExpectNotes({{"C2D2E2F2|", "127 92 127 64"}}, "M:2/4\nL:1/16\nK:C", Show::kVelocity);
  // Cut time counts in halves: the quarters between them are weak.
  ExpectNotes({{"C2D2E2F2|", "127 64 127 64"}, {"CDEFGABc|", "127 64 64 64 127 64 64 64"}}, "M:2/2\nL:1/8\nK:C",
              Show::kVelocity);
  ExpectNotes({{"CDEFGA|", "127 64 92 64 92 64"}}, "M:3/4\nL:1/8\nK:C", Show::kVelocity);
  ExpectNotes({{"C", "127"}}, kReel, Show::kVelocity, [](MidiSettings& s) { s.HNote = 500; });
}

// The first bar line decides the pickup, and the last bar is completed to a full measure.
TEST(ConvertPickup, FirstBarLineDecidesThePickupAndTheLastBarIsCompleted) {
  EXPECT_EQ(Converted(kReel, "D2|A4 B4|c8|").midi.PickupTicks(), 480);
  EXPECT_EQ(Converted(kReel, "A4 B4|c8|").midi.PickupTicks(), 0);
  EXPECT_EQ(Converted(kReel, "A4 B4").midi.PickupTicks(), -1);
  EXPECT_EQ(Converted(kReel, "C8|D2").midi.TotalTicks(), 3840);
  EXPECT_EQ(Converted(kReel, "|:C8:|").midi.TotalTicks(), 3840);
}

// "Z" rests a whole bar of the meter in force (4/4 without one), "Zn" n bars; the bar it
// stands in starts after them, so nothing later is cut or comes early, repeated or not.
TEST(ConvertBarRests, WholeBarsOfTheMeterInForce) {
  ExpectNotes({{"Z2 c2|", "3840+480:72"},
               {"Z|c8|", "1920+1920:72"},
               {"Z3|c8|d8|", "5760+1920:72 7680+1920:74"},
               {"Z2 c2|d8|", "3840+480:72 4320+1920:74"},
               {"c8|Z c4|d8|", "0+1920:72 3840+960:72 4800+1920:74"},
               {"Z|[M:3/4]Z|c6|", "3360+1440:72"},
               {"|:Z2|c8:|d8|", "3840+1920:72 9600+1920:72 11520+1920:74"},
               {"|:c8|1Z:|2d8|", "0+1920:72 3840+1920:72 5760+1920:74"}});
  ExpectNotes({{"Z|c6|", "1440+1440:72"}, {"Z2|c6|", "2880+1440:72"}}, "M:6/8\nL:1/8\nK:C");
  ExpectNotes({{"Z|c8|", "1920+1920:72"}}, "M:C\nL:1/8\nK:C");
  ExpectNotes({{"Z|c8|", "1920+1920:72"}}, "L:1/8\nK:C");
  // The note after the rest opens its bar.
  ExpectNotes({{"Z c2 d2|", "127 92"}}, kReel, Show::kVelocity);
  EXPECT_EQ(Converted(kReel, "G2|Z|c8|").midi.PickupTicks(), 480);
  EXPECT_EQ(Converted(kReel, "c8|Z4").midi.TotalTicks(), 9600);
}

// A voice's first V: starts it at tick 0 on its own channel, in the header's key.
TEST(ConvertVoices, VoiceRestartsAtZeroOnItsChannelInTheHeaderKey) {
  Converted t("M:4/4\nL:1/8\nK:G", "V:1\nF8|[K:C]F8|\nV:2\nF4 A4|");
  EXPECT_EQ(t.Notes(Show::kTimed, 1), "0+1920:66 1920+1920:65");
  EXPECT_EQ(t.Notes(Show::kTimed, 2), "0+960:66 960+960:69");
  EXPECT_EQ(t.midi.TotalTicks(), 3840);  // the longer voice
}

// Words written after the tune, past an empty line, play nothing.
TEST(ConvertTuneEnd, WordsAfterAnEmptyLinePlayNothing) {
  ExpectNotes({{"C D E F|G4|]\n\nLearned this from Paddy at the Tuesday session.\nBe careful in bar 2.",
                "60 62 64 65 67"},
               {"C D E F|\n\t \nG4|]", "60 62 64 65"}},
              "M:4/4\nL:1/4\nK:C", Show::kPitch);
}

// The tune code samples the beats of the first two full bars relative to the key's tonic; empty slots
// are zeros. Its value reads the digits as thirty-two bits, the top one the sign.
TEST(TuneCode, SamplesTheBeatsOfTheFirstTwoFullBars) {
  struct Code { const char* fields; const char* body; const char* code; };
  for (const Code& c : {
           Code{"M:4/4\nL:1/8\nK:D", "d2fd Adfd|d2fd Adfd|", "04740474"},
           {"M:4/4\nL:1/8\nK:D", "FA|d2fd Adfd|d2fd Adfd|", "04740474"},  // the pickup is thrown away
           {"M:6/8\nL:1/8\nK:C", "CDE FGA|Bcd efg|", "0459B247"},  // the first and third eighth of each beat
           {"M:4/4\nL:1/8\nK:C", "E8|G8|", "44447777"},  // a long note fills every slot it covers
           {"M:4/4\nL:1/8\nK:C", "E2-E4-E2|G4-G4|", "44447777"},  // and so does a tied one
           {"M:4/4\nL:1/8\nK:C", "e2 z2 e2 e2|e8|", "40000000"},  // a rest on a beat ends sampling
           {"M:4/4\nL:1/8\nK:C", "e8|Z|e8|", "44440000"},  // a bar rest as well
           {"M:4/4\nL:1/8\nK:C", "e4f4|", "44550000"},
           {"M:4/4\nL:1/8\nK:C", "e8|\n\ne8|", "44440000"},  // nothing after the music's end
           {"M:4/4\nL:1/8\nK:C", "B8|B8|", "BBBBBBBB"},  // a negative value
           // The distance is taken before the octave is dropped: the B below the tonic is 1,
           // the B above it B; minor and modal keys count from their relative major's tonic.
           {"M:4/4\nL:1/8\nK:C", "B,4 B4|", "11BB0000"},
           {"M:4/4\nL:1/8\nK:Am", "A2cA eAcA|G2BG dGBG|", "90407B2B"},
           {"M:4/4\nL:1/8\nK:Edor", "E2B2 E2B2|", "29290000"}}) {
    const Converted t(c.fields, c.body);
    EXPECT_EQ(t.midi.CodeText(), c.code) << c.fields << " | " << c.body;
    EXPECT_EQ(t.midi.CodeValue(), static_cast<int32_t>(std::stoul(c.code, nullptr, 16))) << c.code;
  }
}

// Bad input converts without a crash, a hang or an invalid event.
TEST(ConvertBadInput, LongTunesManyVoicesAndMisplacedSigns) {
  std::string longTune, voices;
  for (int i = 0; i < 1250; ++i) longTune += "|: CDEF GABc |1 d8 :|2 e8 |\n";
  for (int v = 1; v <= 9; ++v) voices += "V:" + std::to_string(v) + "\n|: CDEF GABc :|\n";
  Converted big(kReel, longTune);
  EXPECT_EQ(test::EventFault(big.container), "");
  EXPECT_EQ(big.midi.TotalTicks(), 1920 * 5000);
  Converted nine(kReel, voices);
  EXPECT_EQ(test::EventFault(nine.container), "");
  EXPECT_EQ(nine.container.UsedChannelCount(), 9);
  for (const char* body : {"|: |: |: C D E :|", ":| :| :: C", "|2 C D |3 E |1 F :|2 G", "|1 |1 C :|2 :|2 D",
                           "[C2E2 |: G :| ] A", "(3 :| abc", "{g}:| a {ab}", "C :|2 D |1 E ||", "z8 :|",
                           "V:1\nC8 || D8 E8\nV:2\n:| F2", "V:1\n|: C8 |1 D8 E8\nV:2\n:|2 F2"}) {
    EXPECT_EQ(test::EventFault(Converted(kReel, body).container), "") << body;
  }
  for (const char* fields : {"M:2/32\nL:1/32\nK:C", "M:99/2\nL:1/4\nK:C", "M:0/0\nL:1/0\nK:C", "L:1/32\nM:2/32\nK:C"}) {
    Converted t(fields, "C999 D/32 E999/32 | (9 abcdefgab | a>>>b | ~C999 |");
    EXPECT_EQ(test::EventFault(t.container), "") << fields;
    EXPECT_GT(t.midi.MeasureTicks(), 0) << fields;
  }
}

}  // namespace
}  // namespace rq
