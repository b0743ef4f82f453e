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
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/FormTexts.h"
#include "app/ResLib.h"
#include "controls/FloatingForm.h"
#include "controls/Page95Control.h"
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

TEST(FormTexts, RegisteredTextsAreTranslatedByTag) {
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
                                          "11=\n"
                                          "12=Lire & jouer\n"
                                          "0=Zero\n"
                                          "[Actionstring]\n"
                                          "3=Ouvrir/Ouvre un fichier\n"
                                          "0=Jamais\n");
  QWidget form;
  TFormTexts texts;
  auto add = [&texts](auto* object, int tag, TextKind kind = TextKind::Auto) {
    texts.Add(object, tag, kind);
    return object;
  };
  add(&form, 7);
  auto* label = add(new QLabel("Title", &form), 1);
  auto* staticText = add(new QLabel("Text", &form), 2, TextKind::StaticText);
  auto* check = add(new QCheckBox("Loop", &form), 3);
  auto* group = add(new QGroupBox("Group", &form), 4);
  auto* speed = add(new QToolButton(&form), 5);
  auto* tabs = add(new QTabBar(&form), 6);
  for (const char* t : {"All", "Marked", "Unmarked"}) tabs->addTab(t);
  auto* list = add(new QListWidget(&form), 8);
  auto* sheet = add(new TTab95Sheet(&form), 9);
  auto* push = add(new QPushButton("OK", &form), 10);
  auto* ampersand = add(new QToolButton(&form), 12);
  auto* zero = add(new QLabel("Zero key", &form), 0);
  auto* empty = add(new QLabel("Kept", &form), 11);
  auto* open = add(new QAction("Open", &form), 3);
  auto* untaggedAction = add(new QAction("Untagged", &form), 0);
  delete add(new QLabel("Gone", &form), 1);

  texts.Translate(&lang);
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
  EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(sheet->Caption(), "  Fichiers  ");
  EXPECT_EQ(push->text(), "OK") << "plain buttons are not translated";
  EXPECT_TRUE(ampersand->shortcut().isEmpty()) << "\"&\" shows as itself, marking no key letter";
  EXPECT_EQ(zero->text(), "Zero") << "tag 0 reads key 0";
  EXPECT_EQ(empty->text(), "Kept") << "an empty value changes nothing";
  EXPECT_EQ(open->text(), "Ouvrir");
  EXPECT_EQ(open->statusTip(), "Ouvre un fichier");
  EXPECT_EQ(untaggedAction->text(), "Untagged") << "actions without a tag above 0 keep their texts";

  texts.Translate(nullptr);  // no language file: nothing happens
  EXPECT_EQ(label->text(), "Titre");
}

// A sheet torn off into a floating window is no child of its form any more, yet the
// form's texts still reach it, its contents and its window's title.
TEST(FormTexts, ATornOffSheetIsStillTranslated) {
  const IniFile lang = IniFile::FromBytes("x", "[Cmpstring]\n1=Fichiers\n2=Tempo\n");
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* pages = new TPage95Control;
  layout->addWidget(pages);
  pages->SetRemoveLastTab(true);
  auto* sheet = new TTab95Sheet;
  sheet->SetCaption("Files");
  sheet->SetPageControl(pages);
  auto* label = new QLabel("Speed", sheet);
  TFormTexts texts;
  texts.Add(sheet, 1);
  texts.Add(label, 2);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  sheet->FloatSheet();
  ASSERT_TRUE(sheet->Floating());
  ASSERT_FALSE(form.findChildren<QLabel*>().contains(label));
  texts.Translate(&lang);
  EXPECT_EQ(sheet->Caption(), "  Fichiers  ");
  EXPECT_EQ(sheet->FloatingForm()->windowTitle(), "  Fichiers  ");
  EXPECT_EQ(label->text(), "Tempo");
  sheet->FloatingForm()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The message box shows the translated buttons; progress and instruments stay in range.
TEST(Language, MessageDialogProgressAndInstrument) {
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

  res.ShowProgress(10);  // no bar yet: nothing happens
  QWidget panel;
  auto* bar = new QProgressBar(&panel);
  res.SetProgressBar(bar, &panel);
  res.ShowProgress(500);
  EXPECT_FALSE(panel.isHidden());
  res.SetProgress(9999);
  EXPECT_EQ(bar->value(), 500);
  res.HideProgress();
  EXPECT_TRUE(panel.isHidden());

  res.OnClickPatch(300, nullptr);
  EXPECT_EQ(midi.MidiPatch[0], 127);
}

}  // namespace
}  // namespace rq
