// The editor alone: what it is given comes back as the same bytes; its right edge
// and its selection as drawn.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QVBoxLayout>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "platform/WinColor.h"
#include "screens/EditEcr.h"

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

}  // namespace
}  // namespace rq
