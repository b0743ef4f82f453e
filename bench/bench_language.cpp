// Reading a language file whose sections hold thousands of keys: the file read, its
// messages applied and every [Cmpstring] key looked up once, as the forms do. The
// time per key stays the same whatever the number of keys.
#include <benchmark/benchmark.h>

#include <string>

#include "app/Language.h"
#include "library/Messages.h"
#include "platform/IniFile.h"

namespace {

std::string LanguageText(int keys) {
  std::string text = "[message]\r\n";
  for (int i = 0; i < keys; ++i) text += std::to_string(i) + "=Message number " + std::to_string(i) + "\r\n";
  text += "[button]\r\n1=OK\r\n2=Cancel\r\n[Cmpstring]\r\n";
  for (int i = 0; i < keys; ++i) text += std::to_string(i) + "=Caption/Hint " + std::to_string(i) + "\r\n";
  return text;
}

void BM_LanguageFile(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  const std::string text = LanguageText(keys);
  for (auto _ : state) {
    const rq::IniFile lang = rq::IniFile::FromBytes("lang.lng", text);
    rq::TMessages messages;
    rq::ApplyLanguageMessages(lang, messages);
    size_t found = 0;
    for (int i = 0; i < keys; ++i) found += lang.ReadString("Cmpstring", std::to_string(i), "").size();
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_LanguageFile)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
