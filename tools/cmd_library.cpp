// abctool index, roundtrip and search: what the tune library makes of a file.
#include <algorithm>
#include <cstdio>
#include <string>

#include "AbcTool.h"
#include "library/FileAbc.h"
#include "notation/AbcDef.h"
#include "platform/Numbers.h"

namespace rq::tool {
namespace {

// Opens a file as the program does; prints why and returns null when it cannot. A
// missing file, which the program would open as a new one, is an error here.
std::unique_ptr<TAbcFile> OpenFile(const std::string& path) {
  if (!InputExists(path)) return nullptr;
  try {
    return std::make_unique<TAbcFile>(path, nullptr);
  } catch (const EFileError& e) {
    std::fprintf(stderr, "abctool: %s\n", e.what());
    return nullptr;
  }
}

int RunIndex(const Args& args) {
  const auto path = FirstPositional(args, {});
  if (!path) {
    std::fprintf(stderr, "usage: abctool index FILE\n");
    return 2;
  }
  const auto file = OpenFile(*path);
  if (!file) return 1;
  for (int32_t row = 0; row < file->FilterList.Count(); ++row) {
    const TAbcRec* rec = file->GetRec(row);
    std::printf("%d\t%d\t%d\t%08X\t%s\n", rec->Seq, rec->GetKeyIndex(), rec->GetRhythmIndex(), rec->Code,
                file->TitleOfRec(rec).c_str());
  }
  std::printf("# %d tunes, %d sets, %d sessions\n", file->FilterList.AllCount(), file->Sets.Count(),
              file->Sessions.Count());
  return 0;
}

int RunRoundtrip(const Args& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: abctool roundtrip FILE OUT\n");
    return 2;
  }
  const auto file = OpenFile(args[0]);
  if (!file) return 1;
  file->SetFileName(args[1]);
  std::string error;
  if (file->Save(&error) < 0) {
    std::fprintf(stderr, "abctool: %s\n", error.c_str());
    return 1;
  }
  std::printf("%d tunes written to %s\n", file->FilterList.AllCount(), args[1].c_str());
  return 0;
}

int RunSearch(const Args& args) {
  static const char* usage =
      "search FILE --text T [--case] | --notes \"ABC\" [--meter M] [--digits D] | --like N [--digits D]";
  const auto path = FirstPositional(args, {"--text", "--notes", "--meter", "--digits", "--like"});
  if (!path) {
    std::fprintf(stderr, "usage: abctool %s\n", usage);
    return 2;
  }
  const auto file = OpenFile(*path);
  if (!file) return 1;
  const int32_t digits = ClampTo(StrToIntDef(OptionValue(args, "--digits").value_or("6"), 6), 1, 8);
  if (const auto text = OptionValue(args, "--text")) {
    file->SearchText(*text, std::find(args.begin(), args.end(), "--case") != args.end());
  } else if (const auto notes = OptionValue(args, "--notes")) {
    file->SearchNotes(*notes, OptionValue(args, "--meter").value_or("4/4"), digits);
  } else if (const auto like = OptionValue(args, "--like")) {
    // N is the tune's place in the file.
    const TAbcRec* rec = file->FindBySeq(StrToIntDef(*like, 0));
    if (!rec) {
      std::fprintf(stderr, "abctool: no tune at place %s\n", like->c_str());
      return 1;
    }
    TLines lines;
    file->CopyRecLines(rec, lines, true);
    if (file->SearchLike(lines, digits) < 0) {
      std::fprintf(stderr, "abctool: the tune has no K: line\n");
      return 1;
    }
  } else {
    std::fprintf(stderr, "usage: abctool %s\n", usage);
    return 2;
  }
  file->SetViewMode(vmSearched, 0);
  for (int32_t row = 0; row < file->FilterList.Count(); ++row) {
    const TAbcRec* rec = file->GetRec(row);
    std::printf("%d\t%d\t%08X\t%s\n", rec->GetSearchScore(), rec->Seq, rec->Code,
                file->TitleOfRec(rec).c_str());
  }
  std::printf("# %d hits\n", file->FilterList.Count());
  return 0;
}

const RegisterCommand kIndex({"index", "FILE", RunIndex});
const RegisterCommand kRoundtrip({"roundtrip", "FILE OUT", RunRoundtrip});
const RegisterCommand kSearch({"search", "FILE --text T [--case] | --notes \"ABC\" --meter M --digits D | --like N",
                               RunSearch});

}  // namespace
}  // namespace rq::tool
