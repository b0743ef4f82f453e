#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "app/ResLib.h"
#include "controls/Tab95Sheet.h"
#include "platform/CommaText.h"

namespace rq {
namespace {

TEST(Language, CaptionAndHint) {
  const auto both = SplitCaptionHint("Play/Plays the tune from the start");
  ASSERT_TRUE(both);
  EXPECT_EQ(both->caption, "Play");
  EXPECT_EQ(both->hint, "Plays the tune from the start");
  EXPECT_EQ(SplitCaptionHint("Play")->hint, std::nullopt);
  EXPECT_FALSE(SplitCaptionHint(""));
  const auto hintOnly = SplitCaptionHint("/only a hint/with a slash");
  EXPECT_EQ(hintOnly->caption, "");
  EXPECT_EQ(hintOnly->hint, "only a hint/with a slash");
  EXPECT_EQ(SplitCaptionHint("a/" + std::string(1200, 'x'))->hint->size(), 999u);
  EXPECT_EQ(CutChars("\xc3\xa9\xc3\xa9\xc3\xa9", 2), "\xc3\xa9\xc3\xa9") << "characters, not bytes";
}

TEST(Language, MessagesAndButtons) {
  TMessages m;
  ApplyLanguageMessages(IniFile::FromBytes("x", "[message]\nzz=Fichier ouvert\n1=Quitter ?\n1=twice\na=%d airs\n"
                                                "[button]\n1=D'accord\n4=Oui\n5=\n"),
                        m);
  EXPECT_EQ(m.GetMessage(0), "Fichier ouvert");
  EXPECT_EQ(m.GetMessage(1), "Quitter ?");
  EXPECT_EQ(m.GetMessage(2, 4), "4 airs");
  EXPECT_EQ(m.GetMessage(3), "!MsgER");
  EXPECT_EQ(m.ButtonCaptions, (std::array<std::string, 5>{"D'accord", "Cancel", "Abort", "Oui", ""}));

  TMessages untouched;
  ApplyLanguageMessages(IniFile::FromBytes("x", "[message]\n[button]\n; nothing\n"), untouched);
  EXPECT_EQ(untouched.GetMessage(0), "File already open");
  EXPECT_EQ(untouched.ButtonCaptions[0], "Ok");
}

TEST(Language, CommaText) {
  EXPECT_EQ(SplitCommaText("All,Marked \"Not marked\",\"say \"\"hi\"\"\""),
            (std::vector<std::string>{"All", "Marked", "Not marked", "say \"hi\""}));
  EXPECT_EQ(SplitCommaText("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_TRUE(SplitCommaText("  ").empty());
}

QWidget* Tagged(QWidget* w, int tag, const char* name = "w") {
  w->setObjectName(name);
  if (tag >= 0) w->setProperty(kTagProperty, tag);
  return w;
}

TEST(Language, FormsAreTranslatedByTag) {
  const IniFile lang = IniFile::FromBytes("x",
                                          "[Cmpstring]\n"
                                          "7=Fenetre\n"
                                          "1=Titre/Le titre de l'air\n"
                                          "2=Texte/entier\n"
                                          "3=Boucle\n"
                                          "4=Groupe\n"
                                          "5=Jouer\n"
                                          "6=Tous,Marques,\"Non marques\"\n"
                                          "8=Un,Deux\n"
                                          "9=Fichiers\n"
                                          "10=Ne pas traduire\n"
                                          "0=Zero\n");
  QWidget form;
  Tagged(&form, 7, "form");
  auto* label = static_cast<QLabel*>(Tagged(new QLabel("Title", &form), 1));
  auto* staticText = static_cast<QLabel*>(Tagged(new QLabel("Text", &form), 2));
  staticText->setProperty(kStaticTextProperty, true);
  auto* check = static_cast<QCheckBox*>(Tagged(new QCheckBox("Loop", &form), 3));
  auto* group = static_cast<QGroupBox*>(Tagged(new QGroupBox("Group", &form), 4));
  auto* speed = static_cast<QToolButton*>(Tagged(new QToolButton(&form), 5));
  auto* tabs = static_cast<QTabBar*>(Tagged(new QTabBar(&form), 6));
  for (const char* t : {"All", "Marked", "Unmarked"}) tabs->addTab(t);
  auto* list = static_cast<QListWidget*>(Tagged(new QListWidget(&form), 8));
  auto* sheet = static_cast<TTab95Sheet*>(Tagged(new TTab95Sheet(&form), 9));
  auto* push = static_cast<QPushButton*>(Tagged(new QPushButton("OK", &form), 10));
  auto* untagged = static_cast<QLabel*>(Tagged(new QLabel("Named", &form), -1, "labName"));
  auto* inner = new QLabel("Qt's own", &form);

  TranslateForm(&form, &lang);
  EXPECT_EQ(form.windowTitle(), "Fenetre");
  EXPECT_EQ(label->text(), "Titre");
  EXPECT_EQ(label->toolTip(), "Le titre de l'air");
  EXPECT_EQ(staticText->text(), "Texte/entier");
  EXPECT_EQ(check->text(), "Boucle");
  EXPECT_EQ(group->title(), "Groupe");
  EXPECT_EQ(speed->text(), "Jouer");
  EXPECT_EQ(tabs->tabText(2), "Non marques");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "Deux");
  EXPECT_EQ(sheet->Caption(), "  Fichiers  ");
  EXPECT_EQ(push->text(), "OK") << "plain buttons are not translated";
  EXPECT_EQ(untagged->text(), "Zero") << "a named widget without a tag reads key 0";
  EXPECT_EQ(inner->text(), "Qt's own");

  TranslateForm(&form, nullptr);  // no language file: nothing happens
  EXPECT_EQ(label->text(), "Titre");
}

TEST(Language, MessageDialogShowsTranslatedButtons) {
  TSettings settings;
  MidiSettings midi;
  TResLib res(settings, midi);
  res.Messages().ButtonCaptions = {"D'accord", "Annuler", "Abandon", "Oui", "Non"};
  QStringList captions;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* b : box->buttons()) captions << b->text();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == "Non") b->click();
    }
  });
  EXPECT_EQ(res.MessageDlg("Save File :x", MsgDlgType::Confirmation, mbYes | mbNo | mbCancel | mbRetry, 0), mrNo);
  captions.sort();
  EXPECT_EQ(captions, (QStringList{"Annuler", "Non", "Oui", "Retry"}));
}

TEST(Language, ProgressBarAndActions) {
  TSettings settings;
  MidiSettings midi;
  TResLib res(settings, midi);
  res.ShowProgress(10);  // no bar yet: nothing happens
  QWidget panel;
  auto* bar = new QProgressBar(&panel);
  res.SetProgressBar(bar, &panel);
  res.ShowProgress(500);
  EXPECT_FALSE(panel.isHidden());
  EXPECT_EQ(bar->maximum(), 500);
  res.SetProgress(250);
  EXPECT_EQ(bar->value(), 250);
  res.SetProgress(9999);
  EXPECT_EQ(bar->value(), 500);
  res.HideProgress();
  EXPECT_TRUE(panel.isHidden());

  res.OnClickPatch(300, nullptr);
  EXPECT_EQ(midi.MidiPatch[0], 127);
}

}  // namespace
}  // namespace rq
