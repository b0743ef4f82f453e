// The options dialog in the running program, offscreen: every change applies at
// once and reaches the settings file at quit; the MIDI page switches devices and
// instruments; the association button writes under the XDG folders.

#include <QAction>
#include <QCheckBox>
#include <QFontComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "AppFixture.h"
#include "PlayerDoubles.h"
#include "RecordedMessages.h"
#include "app/Actions.h"
#include "app/ColorButton.h"
#include "app/DlgOpt.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "controls/Page95Control.h"
#include "midi/ZymMidi.h"
#include "screens/SynAbcSyn.h"

namespace rq {
namespace {

class DlgOptTest : public test::AppFixture {
 protected:
  template <typename T>
  T* Find(const char* name) {
    T* child = context_->DlgOpt()->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  // A choice in a drop-down list, as the user makes it.
  void Choose(const char* list, int index) {
    QComboBox* combo = Find<QComboBox>(list);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  // Devices other than the recorder; the fixture keeps them until the program is gone.
  test::MemoryPorts& OtherPorts() {
    memoryPorts_ = std::make_unique<test::MemoryPorts>(SystemClock());
    otherPorts_ = memoryPorts_.get();
    return *memoryPorts_;
  }

 private:
  std::unique_ptr<test::MemoryPorts> memoryPorts_;
};

// Each control writes its setting as it changes (the highlighter follows the
// attributes); a confirmed quit writes them all to the settings file.
TEST_F(DlgOptTest, ChangesApplyLiveAndAreWrittenAtQuit) {
  Write("RQUILL20.INI", "[langfile]\nDeutsch=german.lng\nFrancais=french.lng\n[global]\nlang=GERMAN.LNG\n");
  TAppContext& app = Start();
  TSettings& s = app.Settings();
  MidiSettings& midi = app.Midi();
  TDlgOpt* dialog = app.DlgOpt();
  TSynAbcSyn highlighter;
  dialog->SetHighlighter(&highlighter);
  QSignalSpy fonts(dialog, &TDlgOpt::EditorFontChanged);
  QSignalSpy colors(dialog, &TDlgOpt::EditorColorsChanged);

  Find<QLineEdit>("edLibPath")->setText(QString::fromStdString(folder_));
  EXPECT_EQ(Find<QComboBox>("cbLang")->currentIndex(), 1);
  Choose("cbLang", 0);
  EXPECT_EQ(s.LangFileName, "");
  Choose("cbLang", 2);

  // The stored "courier" shows as the font the editor draws it with; a new font
  // offers its sizes and keeps the size chosen.
  EXPECT_EQ(s.EditFontName, "courier");
  EXPECT_EQ(Find<QFontComboBox>("CBEditFont")->currentText(), "Liberation Mono");
  Choose("CBEditSize", Find<QComboBox>("CBEditSize")->findText("14"));
  Find<QFontComboBox>("CBEditFont")->setCurrentFont(QFont("DejaVu Sans Mono"));
  EXPECT_EQ(s.EditFontSize, 14);
  EXPECT_EQ(Find<QComboBox>("CBEditSize")->currentText(), "14");
  ASSERT_EQ(fonts.size(), 2);
  EXPECT_EQ(fonts.back(), (QList<QVariant>{"DejaVu Sans Mono", 14}));
  Find<TColorButton>("clbBackground")->SetColor(kClYellow);
  Find<TColorButton>("clbForeground")->SetColor(kClNavy);
  EXPECT_EQ(colors.size(), 2);

  // "Comment": Default greys the button and clears the background; unticking gives
  // the button's colour back to the attribute.
  Find<QListWidget>("itmColor")->setCurrentRow(TSynAbcSyn::hclComment);
  auto* itemBK = Find<TColorButton>("clbItemBK");
  auto& comment = s.Attributes[TSynAbcSyn::hclComment];
  Find<QCheckBox>("chkDefBK")->setChecked(true);
  EXPECT_EQ(comment.Background, kClNone);
  EXPECT_FALSE(itemBK->isEnabled());
  Find<QCheckBox>("chkDefBK")->setChecked(false);
  EXPECT_EQ(comment.Background, itemBK->Color());
  itemBK->SetColor(kClSilver);
  Find<TColorButton>("clbItemFR")->SetColor(kClRed);
  Find<QCheckBox>("chkBold")->setChecked(true);
  EXPECT_EQ(highlighter.Attribute(TSynAbcSyn::hclComment), comment);

  Find<QSpinBox>("upH")->setValue(110);
  Find<QSpinBox>("upSGrace")->setValue(8);
  Find<QSpinBox>("upDelay")->stepBy(3);
  Find<QCheckBox>("chkGraceNote")->setChecked(false);
  EXPECT_EQ(midi.HNote, 110);  // applied before quitting

  ui_.Answers = {mrYes};
  ASSERT_TRUE(app.MainEcr()->OnClose());
  const std::string ini = test::ReadBytes(Path("RQUILL20.INI"));
  EXPECT_TRUE(Contains(ini, "abclibpath=" + folder_)) << ini;
  for (const char* line : {"lang=french.lng", "fontname=DejaVu Sans Mono", "fontsize=14", "c_background=65535",
                           "c_foreground=8388608", "\n4=12632256,255,1,0", "hnote=110", "grcsimple=8", "graceon=0",
                           "syntdelay=300"}) {
    EXPECT_TRUE(Contains(ini, line)) << line << "\n" << ini;
  }
}

// A click on a page's tab shows the page and leaves the keyboard focus where it was.
TEST_F(DlgOptTest, PageTabsTakeNoFocus) {
  TDlgOpt* dialog = Start().DlgOpt();
  dialog->show();
  QApplication::setActiveWindow(dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
  auto* ok = Find<QPushButton>("BtnCloseOpt");
  ok->setFocus();
  auto* pages = Find<TPage95Control>("PGCFilter");
  QTabBar* tabs = pages->tabBar();
  for (const int tab : {1, 2, 0}) {
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    EXPECT_EQ(pages->TabIndex(), tab);
    EXPECT_EQ(QApplication::focusWidget(), ok) << tab;
  }
  dialog->hide();
}

// Each row of the instrument grid shows the instrument of the channel it is labelled
// with (2 to 16). A cell takes a number 0..127 and sends it to its channel at once;
// anything else puts the previous number back and sends nothing.
TEST_F(DlgOptTest, PatchCellsTakeOnlyInstrumentNumbers) {
  std::string ini = "[MIDI]\n";
  for (int channel = 0; channel < 16; ++channel) {
    ini += "patch_" + std::to_string(channel) + "=" + std::to_string(40 + channel) + "\n";
  }
  Write("RQUILL20.INI", ini);
  TAppContext& app = Start();
  QTableWidget* grid = Find<QTableWidget>("gridPatch");
  ASSERT_EQ(grid->rowCount(), 15);
  for (int row = 0; row < 15; ++row) {
    const int label = grid->verticalHeaderItem(row)->text().toInt();
    EXPECT_EQ(label, row + 2);
    EXPECT_EQ(grid->item(row, 0)->text().toInt(), 40 + label - 1) << "channel " << label;
  }
  QTableWidgetItem* cell = grid->item(2, 0);  // channel "4", zero-based 3
  const struct {
    const char* typed;
    int kept;
    bool sent;
  } cases[] = {{"25", 25, true}, {"200", 25, false}, {"x", 25, false}, {"", 25, false},
               {"-1", 25, false}, {"0", 0, true},    {" 127 ", 127, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const size_t before = test::ReadRecording(Path("midi.log")).size();
    cell->setText(c.typed);
    EXPECT_EQ(app.Midi().MidiPatch[3], c.kept);
    const auto sent = test::ReadRecording(Path("midi.log"));
    if (c.sent) {
      ASSERT_EQ(sent.size(), before + 1);
      EXPECT_EQ(sent.back(), (test::Sent{sent.back().ms, 0xC3, c.kept, 0}));
    } else {
      EXPECT_EQ(cell->text().toStdString(), std::to_string(c.kept));
      EXPECT_EQ(sent.size(), before);
    }
  }
}

// A stored device that is gone selects nothing and says so; another device gets every
// channel's instrument and the pitch bend again; a device that fails to open is shown
// with the reason.
TEST_F(DlgOptTest, DeviceChoice) {
  test::MemoryPorts& ports = OtherPorts();
  Write("RQUILL20.INI", "[MIDI]\nmidiport=5\npitch=5\npatch_0=24\npatch_3=40\npatch_15=73\n");
  TAppContext& app = Start();
  auto* list = Find<QComboBox>("LstPort");
  auto* state = Find<QLabel>("labMidiState");
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_TRUE(state->text().contains("not available")) << state->text().toStdString();
  EXPECT_EQ(app.Midi().MidiPort, 5);
  EXPECT_FALSE(app.Midi().MidiReady);

  Choose("LstPort", 0);
  EXPECT_TRUE(app.Midi().MidiReady);
  EXPECT_TRUE(state->isHidden());
  ports.sent.clear();
  Choose("LstPort", 1);
  EXPECT_EQ(app.Midi().MidiPort, 1);
  for (int channel = 0; channel < 16; ++channel) {
    SCOPED_TRACE(channel);
    const int patch = app.Midi().MidiPatch[static_cast<size_t>(channel)];
    const auto has = [&](int status, int data1, int data2) {
      return std::ranges::any_of(ports.sent, [&](const test::Sent& m) {
        return m.status == status && m.data1 == data1 && m.data2 == data2;
      });
    };
    EXPECT_TRUE(has(0xC0 + channel, patch, 0));
    EXPECT_TRUE(has(0xE0 + channel, 0, 64 + 5));
  }

  ports.failOpen = true;
  Choose("LstPort", 0);
  EXPECT_FALSE(app.Midi().MidiReady);
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_TRUE(state->text().contains("Connection refused")) << state->text().toStdString();
}

// The button associates ".abc" files under the XDG folders, with the program's icon
// in every size drawn for it; a failure is shown in the error box.
TEST_F(DlgOptTest, AssociateButtonWritesUnderXdgFolders) {
  Start();
  const std::string data = Path("data"), config = Path("config");
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  Find<QToolButton>("SpeedButton1")->click();
  const std::string entry = test::ReadBytes(data + "/applications/reelquill.desktop");
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  EXPECT_TRUE(Contains(entry, "Exec=\"" + program + "\" %F")) << entry;
  EXPECT_TRUE(Contains(entry, "Icon=reelquill\n")) << entry;
  for (const int size : TResLib::ProgramIconSizes()) {
    const std::string side = std::to_string(size);
    const QImage icon(QString::fromStdString(data + "/icons/hicolor/" + side + "x" + side + "/apps/reelquill.png"));
    EXPECT_EQ(icon.size(), QSize(size, size)) << size;
  }
  EXPECT_TRUE(ui_.Asked.empty());

  Write("plain", "a file");
  const std::string blocked = Path("plain") + "/data";
  setenv("XDG_DATA_HOME", blocked.c_str(), 1);
  Find<QToolButton>("SpeedButton1")->click();
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(ui_.Asked.size(), 1u);
  const std::string& box = ui_.Asked[0].text;
  EXPECT_EQ(box.rfind("Reelquill except\nER: ", 0), 0u) << box;
  EXPECT_TRUE(box.ends_with("\n\nException Raised In: main.Register")) << box;
}

}  // namespace
}  // namespace rq
