// A keystroke in the editor while a 200-line tune is edited, in the program
// offscreen at 1280 × 1024: from the key to the re-highlighted line, the re-parse
// and the redrawn score. Reported whole, then in its parts: the key and the
// highlighter with the editor's repaint (the same text in a bare editor), turning the text into lines and
// parsing them, and redrawing the score.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <chrono>
#include <fstream>

#include "BenchProgram.h"
#include "app/MainEcr.h"
#include "library/AbcFileFormat.h"
#include "notation/AbcParser.h"
#include "score/screens/ScoreEcr.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"
#include "screens/SynAbcSyn.h"

namespace {

constexpr int kTuneLines = 200;
constexpr int kKeyLine = 100;

// One tune of 200 lines: a header, then the corpus's music lines in order.
std::string Tune200() {
  std::string text = "X:1\nT:Two hundred lines\nM:4/4\nL:1/8\nK:D\n";
  int lines = 5;
  for (const auto& tune : rq::corpus::Tunes()) {
    for (const auto& line : tune) {
      if (line.empty() || line[0] == '%' || (line.size() > 1 && line[1] == ':')) continue;
      text += line + '\n';
      if (++lines == kTuneLines) return text;
    }
  }
  return text;
}

// Types "a" and takes it back by turns, so the text stays the same size.
void Keystroke(QWidget* editor, bool& typed) {
  QKeyEvent press(QEvent::KeyPress, typed ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier,
                  typed ? QString() : QStringLiteral("a"));
  QApplication::sendEvent(editor, &press);
  typed = !typed;
}

void PlaceCaret(QPlainTextEdit& editor) {
  QTextCursor cursor(editor.document()->findBlockByNumber(kKeyLine));
  cursor.movePosition(QTextCursor::EndOfBlock);
  editor.setTextCursor(cursor);
}

// The program with the tune being edited, the caret in its middle line.
struct Editing {
  rq::bench::Program program;

  Editing() {
    program.context->Start();
    rq::TMainEcr* main = program.context->MainEcr();
    main->resize(1280, 1024);
    main->show();
    const std::string path = rq::bench::Folder().path().toStdString() + "/tune200.abc";
    std::ofstream(path, std::ios::binary) << Tune200();
    program.context->FileControl()->OpenFile(path);
    program.context->FileEcr()->EditTune();
    PlaceCaret(*Editor().AbcEditor());
    QApplication::processEvents();
  }
  rq::TEditEcr& Editor() const { return *program.context->EditEcr(); }
  QWidget* Score() const { return program.context->MainEcr()->Host(rq::HostPanel::Score); }
};

// The counters split each keystroke: the key handled (highlight, lines, parse, score
// rebuilt) and the repaint of what changed (the edited line and the score), which the
// event loop's next turn draws; milliseconds.
void BM_KeystrokeWhole(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Editing editing;
  QPlainTextEdit* editor = editing.Editor().AbcEditor();
  bool typed = false;
  Clock::duration key{}, paint{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    Keystroke(editor, typed);
    const auto t1 = Clock::now();
    QApplication::processEvents();
    key += t1 - t0;
    paint += Clock::now() - t1;
  }
  const auto ms = [&](Clock::duration d) {
    return benchmark::Counter(std::chrono::duration<double, std::milli>(d).count() /
                              static_cast<double>(state.iterations()));
  };
  state.counters["key_ms"] = ms(key);
  state.counters["paint_ms"] = ms(paint);
}
BENCHMARK(BM_KeystrokeWhole)->Unit(benchmark::kMillisecond);

void BM_KeyAndHighlight(benchmark::State& state) {
  QPlainTextEdit editor;
  editor.setLineWrapMode(QPlainTextEdit::NoWrap);
  editor.resize(1280, 420);
  editor.show();
  editor.setPlainText(QString::fromStdString(Tune200()));
  rq::TSynAbcSyn highlighter(editor.document());
  highlighter.rehighlight();
  PlaceCaret(editor);
  bool typed = false;
  for (auto _ : state) {
    Keystroke(&editor, typed);
    editor.viewport()->repaint();
  }
}
BENCHMARK(BM_KeyAndHighlight)->Unit(benchmark::kMillisecond);

void BM_LinesAndParse(benchmark::State& state) {
  Editing editing;
  rq::TAbcParser& parser = *editing.program.context->TuneParser();
  for (auto _ : state) parser.Parse(editing.Editor().Lines());
}
BENCHMARK(BM_LinesAndParse)->Unit(benchmark::kMillisecond);

void BM_ScoreRedraw(benchmark::State& state) {
  Editing editing;
  rq::TAbcParser& parser = *editing.program.context->TuneParser();
  for (auto _ : state) {
    editing.program.context->ScoreEcr()->ShowTune(parser);
    editing.Score()->repaint();
  }
}
BENCHMARK(BM_ScoreRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
