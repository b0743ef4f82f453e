// The editor alone: what it is given comes back as the same bytes; its right edge,
// its selection and the pad's separators as drawn; Tab lining up with the line
// above; the hint while its scroll bar is dragged.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "platform/WinColor.h"
#include "screens/EditEcr.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

// Every corpus tune, a Windows-1252 tune with tabs, C1 bytes and no-break spaces,
// and a UTF-8 tune are given back by the editor byte for byte.
TEST(EditEcr, GivesTunesBackByteForByte) {
  TAbcParser parser;
  TEditEcr editor(parser);
  editor.OnCreate(nullptr, nullptr);
  std::vector<TLines> tunes = corpus::Tunes();
  tunes.push_back({"X:1", "T:Caf\xE9\t\x81\x8D\xA0", "K:D", "", "  "});
  tunes.push_back({"X:2", "T:Caf\xC3\xA9 \xC5\x81\xC3\xB3\x64\xC5\xBA", "K:D"});
  for (const TLines& tune : tunes) {
    editor.ShowTune(tune, 0, false);
    editor.StartEdit(kEditCurrentTune, TextEncoding::Utf8);
    ASSERT_EQ(editor.Lines(), tune) << tune.front();
  }
}

// The columns of one image row drawn in a colour.
std::vector<int> ColumnsIn(const QImage& image, int y, const QColor& colour) {
  std::vector<int> columns;
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixelColor(x, y) == colour) columns.push_back(x);
  }
  return columns;
}

// Scrolled to a long line's column 500, the editor shows one silver line where the
// caret stands after 500 characters; a selection shows in the active-caption colour.
TEST(EditEcr, RightEdgeAndSelectionColour) {
  TAbcParser parser;
  TEditEcr editor(parser);
  QWidget host;
  new QVBoxLayout(&host);
  editor.OnCreate(&host, nullptr);
  editor.SetEditorFont("Courier New", 10);
  host.resize(400, 200);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  QPlainTextEdit& text = *editor.AbcEditor();
  editor.ShowTune({"X:1", std::string(700, ' '), "K:D"}, 0, false);

  const QTextBlock line = text.document()->findBlockByNumber(1);
  QTextCursor cursor(line);
  cursor.setPosition(line.position() + TEditEcr::kRightEdge);
  text.setTextCursor(cursor);
  text.ensureCursorVisible();
  const QRect caret = text.cursorRect();
  const QImage scrolled = text.viewport()->grab().toImage();
  const std::vector<int> edge = ColumnsIn(scrolled, caret.center().y(), WinColorToQColor(kClSilver));
  ASSERT_EQ(edge.size(), 1u);
  EXPECT_LE(std::abs(edge[0] - caret.left()), 1);

  text.horizontalScrollBar()->setValue(0);
  cursor.setPosition(line.position() + 3);
  cursor.setPosition(line.position() + 30, QTextCursor::KeepAnchor);
  text.setTextCursor(cursor);
  text.clearFocus();
  const QImage selected = text.viewport()->grab().toImage();
  const QRect from = text.cursorRect(QTextCursor(text.document()->findBlockByNumber(1)));
  EXPECT_GT(ColumnsIn(selected, from.center().y(), WinColorToQColor(kClActiveCaption)).size(), 100u);
}

// An editor shown in a window of its own, in the monospaced font.
struct ShownEditor {
  TAbcParser parser;
  TEditEcr editor{parser};
  QWidget host;
  QLineEdit* next = nullptr;  // a control the focus can move to

  ShownEditor() {
    auto* column = new QVBoxLayout(&host);
    editor.OnCreate(&host, nullptr);
    next = new QLineEdit(&host);
    column->addWidget(next);
    editor.SetEditorFont("Courier New", 10);
    host.resize(500, 300);
    host.show();
    host.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&host));
  }
  QPlainTextEdit& Text() { return *editor.AbcEditor(); }
  QString Line(int line) { return Text().document()->findBlockByNumber(line).text(); }
  int Position(int line, int column) { return Text().document()->findBlockByNumber(line).position() + column; }
  // Selects from a line's column to another's (in UTF-16 units), the caret at the end.
  void Select(int anchorLine, int anchor, int line, int column) {
    QTextCursor cursor(Text().document());
    cursor.setPosition(Position(anchorLine, anchor));
    cursor.setPosition(Position(line, column), QTextCursor::KeepAnchor);
    Text().setTextCursor(cursor);
  }
  int CaretX(int line, int column) {
    QTextCursor cursor(Text().document());
    cursor.setPosition(Position(line, column));
    return Text().cursorRect(cursor).left();
  }
};

// In edit mode Tab types the blanks up to the start of the next word of the nearest
// line above that has a word right of the caret, counting characters as shown (a tab
// is one column, a character outside the Basic Multilingual Plane one), and the caret
// then stands under that word; lines with no word there are passed over; where no
// line above has one, or there is no line above, Tab types one blank. A selection is
// replaced.
TEST(EditEcrSmartTab, LinesUpWithTheNextWordAbove) {
  struct Row {
    const char* name;
    TLines lines;
    int anchorLine, anchor, line, column;  // the selection, or the caret alone
    QString after;                         // the caret's line after Tab
    int afterColumn;
    int wordLine, wordColumn;  // the word the caret stands under, -1 none
  };
  const Row rows[] = {
      {"line start", {"|:A2 B2 c2|", ""}, 1, 0, 1, 0, "     ", 5, 0, 5},
      {"inside a word", {"|:A2 B2 c2|", "ab"}, 1, 2, 1, 2, "ab   ", 5, 0, 5},
      {"at a word", {"|:A2 B2 c2|", "abcde"}, 1, 5, 1, 5, "abcde   ", 8, 0, 8},
      {"in the blanks", {"A    B", "ab"}, 1, 2, 1, 2, "ab   ", 5, 0, 5},
      {"text after the caret", {"x    y", "abcd"}, 1, 2, 1, 2, "ab   cd", 5, 0, 5},
      {"last word", {"|:A2 B2 c2|", "abcdefgh"}, 1, 8, 1, 8, "abcdefgh ", 9, -1, -1},
      {"past the end", {"A B", "abcd"}, 1, 4, 1, 4, "abcd ", 5, -1, -1},
      {"empty line between", {"A   B", "", ""}, 2, 0, 2, 0, "    ", 4, 0, 4},
      {"blank line between", {"A   B", "   ", ""}, 2, 0, 2, 0, "    ", 4, 0, 4},
      {"nearest ends at the caret", {"A      B", "A", ""}, 2, 0, 2, 0, "       ", 7, 0, 7},
      {"word right after the caret", {"abc def ghi", "abc"}, 1, 3, 1, 3, "abc ", 4, 0, 4},
      {"short and comment lines passed", {"|:d2 fd ed|", "%", "d2", "", "ab"}, 4, 2, 4, 2, "ab   ", 5, 0, 5},
      {"last word over the caret passed", {"A  B", "abcdefgh", "a"}, 2, 1, 2, 1, "a  ", 3, 0, 3},
      {"word at the line's end", {"A    B", "A B", "a"}, 2, 1, 2, 1, "a ", 2, 1, 2},
      {"no word right of the caret", {"A B", "", "abc", "abcd"}, 3, 4, 3, 4, "abcd ", 5, -1, -1},
      {"beyond the plane before the caret",
       {"ab cd ef", "\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E"}, 1, 4, 1, 4,
       QString::fromUtf8("\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E "), 5, -1, -1},
      {"beyond the plane above", {"\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E x", "ab"}, 1, 2, 1, 2, "ab ", 3, -1, -1},
      {"first line", {"X:1"}, 0, 0, 0, 0, " X:1", 1, -1, -1},
      {"tabs above", {"A\t\tB\tc", "a"}, 1, 1, 1, 1, "a  ", 3, 0, 3},
      {"tab before the caret", {"A  B", "\t"}, 1, 1, 1, 1, "\t  ", 3, 0, 3},
      {"Windows-1252 above", {"Caf\xE9 Bar", "\xE9"}, 1, 1, 1, 1, QString::fromUtf8("\xC3\xA9    "), 5, 0, 5},
      {"UTF-8 above", {"T:\xF0\x9D\x84\x9E A", ""}, 1, 0, 1, 0, "    ", 4, -1, -1},
      {"selection", {"x    y", "abcdef"}, 1, 1, 1, 4, "a    ef", 5, 0, 5},
      {"selection over lines", {"x    y", "abc", "def"}, 1, 1, 2, 2, "a    f", 5, 0, 5},
  };
  ShownEditor shown;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    shown.editor.ShowTune(row.lines, 0, false);
    shown.editor.StartEdit(kEditCurrentTune, TextEncoding::Cp1252);
    shown.Select(row.anchorLine, row.anchor, row.line, row.column);
    QTest::keyClick(&shown.Text(), Qt::Key_Tab);
    const int line = shown.Text().textCursor().blockNumber();
    EXPECT_EQ(shown.Line(line), row.after);
    EXPECT_EQ(shown.Text().textCursor().positionInBlock(), row.afterColumn);
    if (row.wordLine >= 0) {
      EXPECT_EQ(shown.Text().cursorRect().left(), shown.CaretX(row.wordLine, row.wordColumn));
    }
    shown.editor.OnCancelEdit();
  }
}

// One Undo takes back one Tab, the selection it replaced included; Shift+Tab types
// nothing and keeps the focus on the text; outside edit mode Tab and Shift+Tab move the focus as in any control.
TEST(EditEcrSmartTab, UndoAndFocus) {
  ShownEditor shown;
  shown.editor.ShowTune({"A    B", "abcd"}, 0, false);
  shown.editor.StartEdit(kEditCurrentTune, TextEncoding::Cp1252);
  shown.Select(1, 4, 1, 4);
  QTest::keyClicks(&shown.Text(), "xy");
  shown.Select(1, 2, 1, 4);
  QTest::keyClick(&shown.Text(), Qt::Key_Tab);
  QTest::keyClick(&shown.Text(), Qt::Key_Tab);
  EXPECT_EQ(shown.Line(1), "ab    xy");
  shown.editor.OnUndo();
  EXPECT_EQ(shown.Line(1), "ab   xy");
  shown.editor.OnUndo();
  EXPECT_EQ(shown.Line(1), "abcdxy");
  QTest::keyClick(&shown.Text(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(shown.Line(1), "abcdxy");
  EXPECT_TRUE(shown.Text().hasFocus());
  shown.editor.OnCancelEdit();

  shown.Text().setFocus();
  QTest::keyClick(&shown.Text(), Qt::Key_Tab);
  EXPECT_TRUE(shown.next->hasFocus());
  shown.Text().setFocus();
  QTest::keyClick(&shown.Text(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_FALSE(shown.Text().hasFocus());
  EXPECT_EQ(shown.editor.Text(), "A    B\nabcdxy");
}

// While the vertical scroll bar is dragged a hint beside it names the line that will
// be at the top; it goes when the drag ends.
TEST(EditEcr, ScrollHintWhileDragging) {
  ShownEditor shown;
  TLines lines;
  for (int i = 1; i <= 200; ++i) lines.push_back("A B c d|" + std::to_string(i));
  shown.editor.ShowTune(lines, 0, false);
  QCoreApplication::processEvents();  // lays the scroll bar out
  QScrollBar& bar = *shown.Text().verticalScrollBar();
  auto* hint = shown.Text().findChild<QLabel*>("ScrollHint");
  ASSERT_NE(hint, nullptr);
  EXPECT_FALSE(hint->isVisible());

  bar.setSliderDown(true);
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), "Top Line: 1");
  bar.setSliderPosition(40);
  EXPECT_EQ(hint->text(), "Top Line: 41");
  EXPECT_EQ(shown.Text().cursorForPosition(QPoint(0, 0)).blockNumber(), 40);
  const QRect barRect(bar.mapTo(&shown.Text(), QPoint(0, 0)), bar.size());
  EXPECT_LE(hint->geometry().right(), barRect.left());
  EXPECT_GE(hint->geometry().bottom(), barRect.top());
  EXPECT_LE(hint->geometry().top(), barRect.bottom());
  bar.setSliderPosition(bar.maximum());
  EXPECT_EQ(hint->text(), QString("Top Line: %1").arg(bar.maximum() + 1));
  bar.setSliderDown(false);
  EXPECT_FALSE(hint->isVisible());
}

// The pad's two separators, after "Tools" and before "Ok", are drawn in the frame
// colour.
TEST(EditEcr, PadSeparatorsInFrameColour) {
  ShownEditor shown;
  shown.editor.ShowTune({"X:1", "K:D"}, 0, false);
  shown.editor.StartEdit(kEditCurrentTune, TextEncoding::Cp1252);
  QWidget& pad = *shown.editor.PanPad();
  const QImage image = pad.grab().toImage();
  const auto leftOf = [&pad](const QWidget* w) { return w->mapTo(&pad, QPoint(0, 0)).x(); };
  const std::vector<QToolButton*>& symbols = shown.editor.SymbolButtons();
  const QWidget* symbolBar = symbols.front()->parentWidget();
  const int bounds[][2] = {
      {leftOf(shown.editor.BtnTools()) + shown.editor.BtnTools()->width(), leftOf(symbols.front())},
      {leftOf(symbolBar) + symbolBar->width(), leftOf(shown.editor.BtnValidEdit())},
  };
  for (const auto& [from, to] : bounds) {
    int frame = 0;
    for (int x = from; x < to; ++x) frame += image.pixelColor(x, pad.height() / 2) == WinColorToQColor(ColorFrame);
    EXPECT_GE(frame, 2) << from << ".." << to;
  }
}

// A pad too narrow for all its buttons keeps Copy Tune, Ok and Cancel whole and
// hands out the symbols that do not fit from its arrow, which types them as their
// buttons do; wide enough, it shows every symbol and no arrow.
TEST(EditEcr, NarrowPadHandsSymbolsOutFromItsArrow) {
  ShownEditor shown;
  QAction copyTune("Copy Tune");
  shown.editor.SetCopyTuneAction(&copyTune);
  shown.editor.ShowTune({"X:1", "K:D", ""}, 0, false);
  shown.editor.StartEdit(kEditCurrentTune, TextEncoding::Cp1252);
  shown.host.resize(480, 300);
  QCoreApplication::processEvents();
  for (const QToolButton* b : {shown.editor.BtnCopyTune(), shown.editor.BtnValidEdit(), shown.editor.BtnCancel()}) {
    EXPECT_TRUE(b->isVisible()) << b->text().toStdString();
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
  }
  auto* arrow = shown.editor.PanPad()->findChild<QToolButton*>("qt_toolbar_ext_button");
  ASSERT_NE(arrow, nullptr);
  ASSERT_TRUE(arrow->isVisible());
  ASSERT_NE(arrow->menu(), nullptr);
  QStringList handedOut;
  for (const QAction* a : arrow->menu()->actions()) handedOut << a->text();
  QStringList hidden;
  for (const QToolButton* b : shown.editor.SymbolButtons()) {
    if (!b->isVisible()) hidden << b->text();
  }
  EXPECT_FALSE(hidden.isEmpty());
  EXPECT_EQ(handedOut, hidden);
  ASSERT_TRUE(handedOut.contains("(3"));
  shown.Text().moveCursor(QTextCursor::End);
  arrow->menu()->actions().at(handedOut.indexOf("(3"))->trigger();
  EXPECT_EQ(shown.Line(2), "(3");

  shown.host.resize(1100, 300);
  QCoreApplication::processEvents();
  EXPECT_FALSE(arrow->isVisible());
  for (const QToolButton* b : shown.editor.SymbolButtons()) EXPECT_TRUE(b->isVisible()) << b->text().toStdString();
}

}  // namespace
}  // namespace rq
