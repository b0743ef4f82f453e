// The main window from its smallest size up: no control covers another, captions
// are whole, texts too long for their place end in an ellipsis, and a view narrower
// than its content scrolls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "Corpus.h"
#include "app/CtrlFile.h"
#include "app/MainEcr.h"
#include "controls/ElidedLabel.h"
#include "library/FileAbc.h"
#include "platform/FileRead.h"
#include "score/screens/ScoreEcr.h"
#include "score/screens/ScoreGrid.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"
#include "screens/PlayerEcr.h"

namespace rq {
namespace {

const char* kLongTitle = "Abbeyfield, or the Long Road Home by the Mill at Ballinamore";

// A widget named for messages: its object name, else its class, with its parents'.
std::string Name(const QWidget* w) {
  std::string name;
  for (int depth = 0; w && depth < 3; w = w->parentWidget(), ++depth) {
    const QString own = w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
    name = own.toStdString() + (name.empty() ? "" : "/" + name);
  }
  return name;
}

std::vector<QWidget*> ShownChildren(const QWidget* parent) {
  std::vector<QWidget*> shown;
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && !w->isWindow() && w->isVisible() && !w->geometry().isEmpty()) shown.push_back(w);
  }
  return shown;
}

// Pairs of shown siblings whose rectangles meet, anywhere under the window.
std::vector<std::string> Overlaps(QWidget* window) {
  std::vector<std::string> found;
  QList<QWidget*> parents = window->findChildren<QWidget*>();
  parents.push_back(window);
  for (const QWidget* parent : parents) {
    if (!parent->isVisible() || parent->isWindow() != (parent == window)) continue;
    // A stacked widget shows one page at a time and keeps the others hidden, so its
    // pages never count; nothing else here is stacked on purpose.
    const std::vector<QWidget*> kids = ShownChildren(parent);
    for (size_t i = 0; i < kids.size(); ++i) {
      for (size_t j = i + 1; j < kids.size(); ++j) {
        if (kids[i]->geometry().intersects(kids[j]->geometry())) {
          found.push_back(Name(kids[i]) + " " + test::Text(kids[i]->geometry()) + " covers " + Name(kids[j]) + " " +
                          test::Text(kids[j]->geometry()));
        }
      }
    }
  }
  return found;
}

// Shown widgets that reach out of their parent, which cuts them. The inside of a
// scroll area's viewport is left out: it scrolls.
std::vector<std::string> CutByParent(QWidget* window) {
  std::vector<std::string> found;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    QWidget* parent = w->parentWidget();
    if (!w->isVisible() || w->isWindow() || w->geometry().isEmpty() || !parent) continue;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(parent->parentWidget()); area && area->viewport() == parent) continue;
    // The score's ruler and title strip move sideways with the rows and are cut by
    // the strip above them in the same way.
    if (parent->objectName() == "PanScoreHeader") continue;
    // The vertical ruler is as long as the row height it sets: a bottom area shorter
    // than that cuts it, the rows beside it scrolling.
    if (w->objectName() == "PanRulerV") continue;
    // A tool bar's arrow reaches one pixel past the bar's right end, wherever the
    // bar stands (the tool bar's own placing); the arrow draws nothing there.
    if (w->objectName() == "qt_toolbar_ext_button" && w->geometry().right() <= parent->rect().right() + 1) continue;
    if (!parent->rect().contains(w->geometry())) {
      found.push_back(Name(w) + " " + test::Text(w->geometry()) + " out of " + test::Text(parent->rect()));
    }
  }
  return found;
}

// Shown buttons narrower than their caption, labels that cut their text, and sliders
// squeezed below the length they need to be dragged.
std::vector<std::string> CutTexts(QWidget* window) {
  std::vector<std::string> found;
  for (const QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || b->text().isEmpty()) continue;
    // A tool button that shows its icon alone draws no caption.
    if (auto* tool = qobject_cast<const QToolButton*>(b);
        tool && !tool->icon().isNull() && tool->toolButtonStyle() == Qt::ToolButtonIconOnly) {
      continue;
    }
    QString caption = b->text();
    caption.remove('&');
    // A check box or radio button also holds its box; a push or tool button a margin
    // at each end of its caption.
    const bool boxed = qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b);
    const int needed = boxed ? b->sizeHint().width() : b->fontMetrics().horizontalAdvance(caption) + 6;
    if (b->width() < needed) {
      found.push_back(Name(b) + " \"" + caption.toStdString() + "\" " + std::to_string(b->width()) + " < " +
                      std::to_string(needed));
    }
  }
  for (const QLabel* l : window->findChildren<QLabel*>()) {
    if (!l->isVisible() || l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) continue;
    const auto* elided = qobject_cast<const TElidedLabel*>(l);
    const QString shown = elided ? elided->ShownText() : l->text();
    const int needed = l->fontMetrics().horizontalAdvance(shown);
    if (l->contentsRect().width() < needed) {
      found.push_back(Name(l) + " \"" + shown.toStdString() + "\" " + std::to_string(l->contentsRect().width()) +
                      " < " + std::to_string(needed));
    }
  }
  for (const QSlider* s : window->findChildren<QSlider*>()) {
    if (!s->isVisible() || s->orientation() != Qt::Horizontal) continue;
    if (s->width() < s->sizeHint().width()) {
      found.push_back(Name(s) + " " + std::to_string(s->width()) + " < " + std::to_string(s->sizeHint().width()));
    }
  }
  return found;
}

void ExpectNothingCoveredOrCut(QWidget* window) {
  for (const std::string& o : Overlaps(window)) ADD_FAILURE() << o;
  for (const std::string& c : CutTexts(window)) ADD_FAILURE() << c;
  for (const std::string& c : CutByParent(window)) ADD_FAILURE() << c;
}

class MainLayoutTest : public test::AppFixture {};

// At 640 x 480 (the smallest), 800 x 600 and 1000 x 720, with a long-titled tune
// prepared in the player: nothing overlaps, nothing is cut; the player's tune name,
// too long at every size, ends in an ellipsis; the score scrolls sideways exactly when
// its rows are wider than the view; the second list shows its tunes' titles. In edit
// mode, with the note tools up and down, the pad covers and cuts nothing and keeps
// Copy Tune, Ok and Cancel in sight.
TEST_F(MainLayoutTest, EverySizeFromTheSmallest) {
  RQ_SKIP_WITHOUT_CORPUS();
  std::string bytes = ReadTextFile(corpus::Dir() + "/nottingham/reelsa-c.abc").bytes;
  bytes += std::string("\nX:999\nT:") + kLongTitle + "\nR:reel\nM:4/4\nL:1/8\nK:G\n" +
           "GABc dedB|dedB dedB|c2ec B2dB|c2A2 A2BA|\nGABc dedB|dedB dedB|c2ec B2dB|A2F2 G4:|\n";
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  OpenUserFile("reels.abc", bytes);
  ASSERT_TRUE(main.WorkAreaVisible());
  TAbcFile* file = app.FileControl()->FindFile(Path("reels.abc"));
  int32_t longRow = 0;
  while (longRow < 200 && file->GetTitle(longRow) != kLongTitle) ++longRow;
  ASSERT_LT(longRow, 200);
  TPlayerEcr& player = *app.PlayerEcr();
  auto* tuneName = qobject_cast<TElidedLabel*>(player.TuneName());
  ASSERT_NE(tuneName, nullptr);
  TScoreGrid* grid = app.ScoreEcr()->GridScore();
  QWidget* list2 = main.Host(HostPanel::List2);

  struct Size {
    int width, height;
    bool scoreScrolls;  // the rows (680 wide) are wider than the score view
  };
  for (const Size s : {Size{640, 480, true}, Size{800, 600, true}, Size{1000, 720, false}}) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    main.resize(s.width, s.height);
    QTest::qWait(0);
    QApplication::processEvents();
    ASSERT_EQ(main.size(), QSize(s.width, s.height));
    // The long-titled tune shown and prepared: the panel names it.
    app.FileControl()->ShowTune(file, longRow);
    player.PrepareTune();
    QApplication::processEvents();

    // Each page of the bottom area in turn, the score last.
    for (int tab = main.TabBottom()->count() - 1; tab >= 0; --tab) {
      SCOPED_TRACE(main.TabBottom()->tabText(tab).toStdString());
      main.TabBottom()->setCurrentIndex(tab);
      QApplication::processEvents();
      ExpectNothingCoveredOrCut(&main);
    }

    // The bottom area enlarged, then the list given the whole height.
    const QString panels[][2] = {{"PanBottom", "btnColsp"}, {"PanGenList", "btnExpand"}};
    for (const auto& [panel, button] : panels) {
      SCOPED_TRACE(button.toStdString());
      auto* enlarge = main.findChild<QWidget*>(panel)->findChild<QToolButton*>(button);
      ASSERT_NE(enlarge, nullptr);
      enlarge->click();
      QApplication::processEvents();
      ASSERT_FALSE(enlarge->isVisible());  // its restoring twin took its place
      ExpectNothingCoveredOrCut(&main);
      main.findChild<QWidget*>(panel)->findChild<QToolButton*>(button == "btnColsp" ? "btnExpand" : "btnColsp")->click();
      QApplication::processEvents();
    }

    ASSERT_TRUE(tuneName->text().startsWith(kLongTitle)) << tuneName->text().toStdString();
    EXPECT_NE(tuneName->ShownText(), tuneName->text());
    EXPECT_TRUE(tuneName->ShownText().endsWith(QChar(0x2026))) << tuneName->ShownText().toStdString();

    const int hidden = grid->ColWidth() - grid->viewport()->width();
    EXPECT_EQ(hidden > 0, s.scoreScrolls) << grid->ColWidth() << " in " << grid->viewport()->width();
    EXPECT_EQ(grid->horizontalScrollBar()->isVisible(), s.scoreScrolls);
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), std::max(hidden, 0));

    // Room for the rhythm and key boxes (84 pixels) and ten characters of a title.
    EXPECT_GE(list2->width(), 84 + 10 * list2->fontMetrics().averageCharWidth());

    TEditEcr& editor = *app.EditEcr();
    app.FileEcr()->EditTune();
    ASSERT_TRUE(editor.Editing());
    for (const bool tools : {false, true}) {
      SCOPED_TRACE(tools ? "editing, tools down" : "editing");
      editor.BtnTools()->setChecked(tools);
      QApplication::processEvents();
      ExpectNothingCoveredOrCut(&main);
      for (const QToolButton* b : {editor.BtnCopyTune(), editor.BtnValidEdit(), editor.BtnCancel()}) {
        EXPECT_TRUE(b->isVisible()) << b->text().toStdString();
      }
    }
    editor.BtnTools()->setChecked(false);
    editor.OnCancelEdit();
    QApplication::processEvents();
  }
}

}  // namespace
}  // namespace rq
