// The options dialog's behaviour: filling the controls from the settings and what each change writes.
#include "app/DlgOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>

#include "app/ColorButton.h"
#include "app/Settings.h"
#include "controls/Page95Control.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "platform/ByteText.h"
#include "platform/FontSizes.h"
#include "platform/MidiDevices.h"
#include "platform/Numbers.h"
#include "platform/WinColor.h"
#include "screens/EditEcr.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

// The font size when the chosen size is no number.
constexpr int kDefaultFontSize = 10;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void TDlgOpt::SetHighlighter(TSynAbcSyn* highlighter) { highlighter_ = highlighter; }

void TDlgOpt::OnCreate() {
  PaintBackground(this, ColorFrame);
  pgcFilter_->SetTabActiveColor(WinColorToQColor(ColorFrame));
  {
    const QSignalBlocker block(edLibPath_);
    edLibPath_->setText(Q(settings_.AbcLibPath));
  }
  FillDevices();
  ShowMidiState();
  upDelay_->setValue(midi_.SyntDelay);

  // The boxes show the font the editor draws with, also for a stored "courier".
  const QString editorFont = EditorFontFamily(Q(settings_.EditFontName));
  {
    const QSignalBlocker block(cbEditFont_);
    cbEditFont_->setCurrentIndex(cbEditFont_->findText(editorFont, Qt::MatchFixedString));
  }
  FillFontSizes(editorFont);

  {
    const QSignalBlocker block(itmColor_);
    itmColor_->setCurrentRow(0);
  }
  OnChangeListColor();
  clbBackground_->SetColor(settings_.EditBackground, false);
  clbForeground_->SetColor(settings_.EditForeground, false);

  upL_->setValue(midi_.LNote);
  upM_->setValue(midi_.MNote);
  upH_->setValue(midi_.HNote);
  upAcc_->setValue(midi_.AccNote);
  upSGrace_->setValue(midi_.GrcSimple);
  upMGrace_->setValue(midi_.GrcMulti);
  {
    const QSignalBlocker block(chkGraceNote_);
    chkGraceNote_->setChecked(midi_.GraceOn > 0);
  }
  {
    const QSignalBlocker block(gridPatch_);
    for (int row = 0; row < kPatchRows; ++row) {
      const int patch = ClampTo(midi_.MidiPatch[static_cast<size_t>(row + 1)].load(), 0, 127);
      gridPatch_->setItem(row, 0, new QTableWidgetItem(QString::number(patch)));
    }
  }
  FillLanguages();
}

// One entry per output device, in device order. The stored device is selected only
// when it is there: an unplugged one selects nothing (ShowMidiState says why).
void TDlgOpt::FillDevices() {
  const QSignalBlocker block(lstPort_);
  lstPort_->clear();
  const int count = ports_.Count();
  for (int id = 0; id < count; ++id) lstPort_->addItem(Q(ports_.Name(id).value_or(std::string())));
  const int port = midi_.MidiPort;
  // −1 is the default device, which is device 0.
  lstPort_->setCurrentIndex(port >= -1 && port < count ? std::max(port, 0) : -1);
}

void TDlgOpt::ShowMidiState() {
  const int port = midi_.MidiPort;
  const int count = lstPort_->count();
  QString state;
  if (count == 0) {
    state = "No MIDI output device is available: nothing can be played.";
  } else if (port < -1 || port >= count) {
    state = QString("The MIDI output device chosen before (number %1) is not available: choose a device from the "
                    "list to play.")
                .arg(port);
  } else if (!midi_.MidiReady) {
    const std::string reason = player_ ? player_->Output().OpenFailure() : std::string();
    state = QString("The MIDI output \"%1\" is not available").arg(lstPort_->itemText(std::max(port, 0)));
    state += reason.empty() ? QString(".") : ": " + Q(reason);
  }
  labMidiState_->setText(state);
  labMidiState_->setVisible(!state.isEmpty());
}

// The size list of a font with the stored size selected, or none when the font
// does not offer it. A font the system does not know keeps the sizes listed.
void TDlgOpt::FillFontSizes(const QString& font) {
  const QSignalBlocker block(cbEditSize_);
  const QStringList sizes = GetFontSizes(font);
  if (!sizes.isEmpty()) {
    cbEditSize_->clear();
    cbEditSize_->addItems(sizes);
  }
  cbEditSize_->setCurrentIndex(cbEditSize_->findText(QString::number(settings_.EditFontSize)));
}

// [langfile] lines are "display name=file name": the names follow "English".
void TDlgOpt::FillLanguages() {
  const QSignalBlocker block(cbLang_);
  cbLang_->clear();
  cbLang_->addItem("English");
  langFiles_.clear();
  int selected = 0;
  for (const std::string& line : settings_.LangFiles) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    cbLang_->addItem(Q(line.substr(0, eq)));
    langFiles_.push_back(line.substr(eq + 1));
    if (selected == 0 && !settings_.LangFileName.empty() &&
        ToLowerAscii(langFiles_.back()) == ToLowerAscii(settings_.LangFileName)) {
      selected = static_cast<int>(langFiles_.size());
    }
  }
  cbLang_->setCurrentIndex(selected);
}

void TDlgOpt::OnChangePath() {
  if (!chooseFolder_) return;
  const QString folder = chooseFolder_();
  if (folder.isEmpty()) return;
  settings_.AbcLibPath = folder.toStdString();
  edLibPath_->setText(folder);
}

// The open and save dialogs start in the library folder as they open.
void TDlgOpt::OnLibPathChange(const QString& text) { settings_.AbcLibPath = text.toStdString(); }

// The language file is read at the next start; nothing is translated now.
void TDlgOpt::OnChangeLang(int index) {
  if (index <= 0) {
    settings_.LangFileName.clear();
  } else if (static_cast<size_t>(index) <= langFiles_.size()) {
    settings_.LangFileName = langFiles_[static_cast<size_t>(index - 1)];
  }
}

// Another font keeps the size chosen: the new font's sizes are listed around it.
void TDlgOpt::OnChangeFont(const QFont& font) {
  settings_.EditFontName = font.family().toStdString();
  FillFontSizes(font.family());
  emit EditorFontChanged(Q(settings_.EditFontName), settings_.EditFontSize);
}

void TDlgOpt::OnChnageFontSize(int index) {
  settings_.EditFontSize = ParseInt(cbEditSize_->itemText(index).toStdString()).value_or(kDefaultFontSize);
  emit EditorFontChanged(Q(settings_.EditFontName), settings_.EditFontSize);
}

void TDlgOpt::OnChangeBKColor() {
  settings_.EditBackground = clbBackground_->Color();
  settings_.EditForeground = clbForeground_->Color();
  emit EditorColorsChanged(settings_.EditBackground, settings_.EditForeground);
}

void TDlgOpt::OnChangeListColor() {
  const int index = itmColor_->currentRow();
  if (index < 0 || index >= TSynAbcSyn::kAttributeCount) return;
  loading_ = true;
  const TSynHighlighterAttributes& a = settings_.Attributes[static_cast<size_t>(index)];
  const auto load = [](const int32_t color, TColorButton* button, QCheckBox* isDefault) {
    const QSignalBlocker block(isDefault);
    const bool none = color == kClNone;
    if (!none) button->SetColor(color, false);
    button->setEnabled(!none);
    isDefault->setChecked(none);
  };
  load(a.Background, clbItemBK_, chkDefBK_);
  load(a.Foreground, clbItemFR_, chkDefFR_);
  for (const auto& [check, on] : {std::pair{chkBold_, a.Bold}, std::pair{chkItalic_, a.Italic}}) {
    const QSignalBlocker block(check);
    check->setChecked(on);
  }
  loading_ = false;
}

void TDlgOpt::ChangeAttribute(const std::function<void(TSynHighlighterAttributes&)>& change) {
  const int index = itmColor_->currentRow();
  if (loading_ || index < 0 || index >= TSynAbcSyn::kAttributeCount) return;
  TSynHighlighterAttributes& a = settings_.Attributes[static_cast<size_t>(index)];
  change(a);
  if (highlighter_) highlighter_->SetAttribute(index, a);
  emit AttributeChanged(index);
}

void TDlgOpt::OnChkDefBK(bool ticked) {
  if (loading_) return;
  clbItemBK_->setEnabled(!ticked);
  ChangeAttribute([&](TSynHighlighterAttributes& a) { a.Background = ticked ? kClNone : clbItemBK_->Color(); });
}

void TDlgOpt::OnChkDefFR(bool ticked) {
  if (loading_) return;
  clbItemFR_->setEnabled(!ticked);
  ChangeAttribute([&](TSynHighlighterAttributes& a) { a.Foreground = ticked ? kClNone : clbItemFR_->Color(); });
}

void TDlgOpt::OnChangeItemBK(int32_t color) {
  ChangeAttribute([color](TSynHighlighterAttributes& a) { a.Background = color; });
}

void TDlgOpt::OnChangeItemFR(int32_t color) {
  ChangeAttribute([color](TSynHighlighterAttributes& a) { a.Foreground = color; });
}

void TDlgOpt::OnChkBold(bool ticked) {
  ChangeAttribute([ticked](TSynHighlighterAttributes& a) { a.Bold = ticked; });
}

void TDlgOpt::OnChkItalic(bool ticked) {
  ChangeAttribute([ticked](TSynHighlighterAttributes& a) { a.Italic = ticked; });
}

// The output switches at once. The player restores every channel's instrument and
// the pitch bend on each device it opens.
void TDlgOpt::OnChangeMidiDevice(int index) {
  std::string closeFailure;
  if (player_ && (midi_.MidiReady || player_->Output().IsOpen())) {
    player_->Stop(false);
    try {
      player_->Output().Close();
    } catch (const EmidioutputError& e) {
      closeFailure = e.what();
    }
  }
  midi_.MidiPort = index;
  midi_.MidiReady = false;
  if (player_ && player_->Output().SetDevice(index) == 0) midi_.MidiReady = player_->Output().Open();
  ShowMidiState();
  if (!closeFailure.empty()) {
    labMidiState_->setText(labMidiState_->text() + "\nThe previous device did not close cleanly: " + Q(closeFailure));
    labMidiState_->show();
  }
}

// A number 0..127 is the channel's instrument at once; anything else puts the
// previous number back.
void TDlgOpt::OnEditPatch(int row) {
  if (row < 0 || row >= kPatchRows) return;
  QTableWidgetItem* item = gridPatch_->item(row, 0);
  const int channel = row + 1;
  std::atomic<int>& stored = midi_.MidiPatch[static_cast<size_t>(channel)];
  const std::optional<int32_t> n = ParseInt(item->text().trimmed().toStdString());
  if (n && *n >= 0 && *n <= 127) {
    stored = *n;
    if (player_) player_->SetPatch(channel, *n);
    return;
  }
  const QSignalBlocker block(gridPatch_);
  item->setText(QString::number(ClampTo(stored.load(), 0, 127)));
}

}  // namespace rq
