#include "app/DlgOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

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
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int kTabHeight = 20;
const QColor kInactiveTab(0xDA, 0xDA, 0xDA);
// The font size when the chosen size is no number.
constexpr int kDefaultFontSize = 10;

// The highlighter's attributes in the order of their indexes.
constexpr const char* kAttributeNames[TSynAbcSyn::kAttributeCount] = {
    "Normal Text", "ABC Key", "Key Data", "Master Key Data", "Comment",    "Ident",      "Bar",         "Note",
    "Note Symbol", "Symbol",  "Error",    "Chord",           "Tuplet",     "Tie & Slur", "Grace Note", "Straight",
};

// The first channel's instrument is the player panel's; the grid holds channels 2..16.
constexpr int kPatchRows = 15;

QString Q(const std::string& s) { return QString::fromStdString(s); }

void Paint(QWidget* w, int32_t colour) {
  w->setAutoFillBackground(true);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, WinColorToQColor(colour));
  w->setPalette(pal);
}

QLabel* Label(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QCheckBox* CheckBox(const char* name, const char* text, QWidget* parent) {
  auto* check = new QCheckBox(text, parent);
  check->setObjectName(name);
  return check;
}

TColorButton* ColorButton(const char* name, QWidget* parent) {
  auto* button = new TColorButton(parent);
  button->setObjectName(name);
  return button;
}

// An up-down with its range; it writes `setting` at every change.
QSpinBox* UpDown(const char* name, int low, int high, std::atomic<int>& setting, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(low, high);
  spin->setValue(setting.load());
  QObject::connect(spin, &QSpinBox::valueChanged, spin, [&setting](int value) { setting = value; });
  return spin;
}

}  // namespace

TDlgOpt::TDlgOpt(TSettings& settings, MidiSettings& midi, IMidiOutPorts& ports, QWidget* parent)
    : QDialog(parent), settings_(settings), midi_(midi), ports_(ports) {
  setObjectName("DlgOpt");
  setWindowTitle("Preferences");
  texts_.Add(this, kFormTag, TextKind::Title);

  pgcFilter_ = new TPage95Control(this);
  pgcFilter_->setObjectName("PGCFilter");
  pgcFilter_->SetFlatButtons(true);
  pgcFilter_->SetHotTrack(true);
  pgcFilter_->SetAllowTabShifting(true);
  pgcFilter_->SetRemoveLastTab(true);
  pgcFilter_->SetTabHeight(kTabHeight);
  pgcFilter_->SetTabInactiveColor(kInactiveTab);
  QFont inactive = pgcFilter_->font();
  pgcFilter_->SetTabInactiveFont(inactive, Qt::gray);
  const struct {
    const char* name;
    const char* caption;
    int tag;
    QWidget* (TDlgOpt::*build)();
  } pages[] = {
      {"tabViewAbc", "General          ", 51, &TDlgOpt::BuildGeneralPage},
      {"tabMark", "Editor          ", 52, &TDlgOpt::BuildEditorPage},
      {"tabUnmark", "Midi          ", 53, &TDlgOpt::BuildMidiPage},
  };
  for (const auto& page : pages) {
    auto* sheet = new TTab95Sheet;
    sheet->setObjectName(page.name);
    sheet->SetCaption(page.caption);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(10, 10, 10, 6);
    layout->addWidget((this->*page.build)());
    sheet->SetPageControl(pgcFilter_);
    texts_.Add(sheet, page.tag, TextKind::SheetCaption);
  }
  pgcFilter_->SetActivePage(pgcFilter_->Pages(0));

  auto* panel1 = new QWidget(this);
  panel1->setObjectName("Panel1");
  panel1->setFixedHeight(34);
  auto* bottom = new QHBoxLayout(panel1);
  bottom->setContentsMargins(6, 4, 6, 4);
  bottom->addStretch(1);
  auto* ok = new QPushButton("Ok", panel1);
  ok->setObjectName("BtnCloseOpt");
  ok->setFixedSize(78, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  bottom->addWidget(ok);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(pgcFilter_, 1);
  column->addWidget(panel1);
  resize(489, 339);
}

QWidget* TDlgOpt::BuildGeneralPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* label8 = Label("Label8", "ABC Directory", page);
  texts_.Add(label8, 41);
  grid->addWidget(label8, 0, 0, 1, 2);
  edLibPath_ = new QLineEdit(page);
  edLibPath_->setObjectName("edLibPath");
  edLibPath_->setMinimumWidth(303);
  grid->addWidget(edLibPath_, 1, 0);
  auto* pathButton = new QToolButton(page);
  pathButton->setObjectName("btnPathAbc");
  pathButton->setText("...");
  grid->addWidget(pathButton, 1, 1, Qt::AlignLeft);
  auto* labLang = Label("labLang", "Language", page);
  texts_.Add(labLang, 43);
  grid->addWidget(labLang, 2, 0, 1, 2);
  cbLang_ = new QComboBox(page);
  cbLang_->setObjectName("cbLang");
  grid->addWidget(cbLang_, 3, 0, Qt::AlignLeft);
  auto* associate = new QToolButton(page);
  associate->setObjectName("SpeedButton1");
  associate->setText("Associate ABC Files with Reelquill");
  associate->setMinimumSize(213, 25);
  texts_.Add(associate, 42);
  grid->addWidget(associate, 4, 0, 1, 2, Qt::AlignLeft);
  grid->setRowMinimumHeight(4, 40);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(2, 1);

  connect(pathButton, &QToolButton::clicked, this, &TDlgOpt::OnChangePath);
  connect(edLibPath_, &QLineEdit::textChanged, this, &TDlgOpt::OnLibPathChange);
  connect(cbLang_, &QComboBox::activated, this, &TDlgOpt::OnChangeLang);
  connect(associate, &QToolButton::clicked, this, [this] {
    if (associate_) associate_();
  });
  return page;
}

QWidget* TDlgOpt::BuildEditorPage() {
  auto* page = new QWidget;
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(0, 0, 0, 0);

  auto* left = new QGridLayout;
  auto* label2 = Label("Label2", "Font", page);
  auto* label3 = Label("Label3", "Size", page);
  texts_.Add(label2, 61);
  texts_.Add(label3, 62);
  cbEditFont_ = new QFontComboBox(page);
  cbEditFont_->setObjectName("CBEditFont");
  cbEditFont_->setFontFilters(QFontComboBox::MonospacedFonts);
  cbEditFont_->setEditable(false);
  cbEditSize_ = new QComboBox(page);
  cbEditSize_->setObjectName("CBEditSize");
  cbEditSize_->addItems({"8", "9", "10", "11", "12", "14", "16", "18"});
  left->addWidget(label2, 0, 0);
  left->addWidget(cbEditFont_, 1, 0);
  left->addWidget(label3, 0, 1);
  left->addWidget(cbEditSize_, 1, 1);
  auto* group1 = new QGroupBox("Editor color", page);
  group1->setObjectName("GroupBox1");
  texts_.Add(group1, 63);
  auto* colors = new QGridLayout(group1);
  auto* label6 = Label("Label6", "Background", group1);
  auto* label7 = Label("Label7", "Foreground", group1);
  texts_.Add(label6, 64);
  texts_.Add(label7, 65);
  clbBackground_ = ColorButton("clbBackground", group1);
  clbForeground_ = ColorButton("clbForeground", group1);
  colors->addWidget(label6, 0, 0);
  colors->addWidget(clbBackground_, 0, 1);
  colors->addWidget(label7, 1, 0);
  colors->addWidget(clbForeground_, 1, 1);
  colors->setColumnStretch(2, 1);
  left->addWidget(group1, 2, 0, 1, 2);
  left->setRowStretch(3, 1);
  row->addLayout(left);

  itmColor_ = new QListWidget(page);
  itmColor_->setObjectName("itmColor");
  for (const char* name : kAttributeNames) itmColor_->addItem(name);
  itmColor_->setFixedWidth(120);
  row->addWidget(itmColor_);

  auto* attribute = new QGridLayout;
  auto* label4 = Label("Label4", "Background", page);
  auto* label5 = Label("Label5", "Foreground", page);
  texts_.Add(label4, 66);
  texts_.Add(label5, 67);
  clbItemBK_ = ColorButton("clbItemBK", page);
  clbItemFR_ = ColorButton("clbItemFR", page);
  chkDefBK_ = CheckBox("chkDefBK", "Default", page);
  chkDefFR_ = CheckBox("chkDefFR", "Default", page);
  texts_.Add(chkDefBK_, 68);
  texts_.Add(chkDefFR_, 68);
  chkBold_ = CheckBox("chkBold", "Bold", page);
  chkItalic_ = CheckBox("chkItalic", "Italic", page);
  texts_.Add(chkBold_, 69);
  texts_.Add(chkItalic_, 70);
  attribute->addWidget(label4, 0, 0, 1, 2);
  attribute->addWidget(clbItemBK_, 1, 0);
  attribute->addWidget(chkDefBK_, 1, 1);
  attribute->addWidget(label5, 2, 0, 1, 2);
  attribute->addWidget(clbItemFR_, 3, 0);
  attribute->addWidget(chkDefFR_, 3, 1);
  attribute->addWidget(chkBold_, 4, 0, 1, 2);
  attribute->addWidget(chkItalic_, 5, 0, 1, 2);
  attribute->setRowStretch(6, 1);
  row->addLayout(attribute);

  connect(cbEditFont_, &QFontComboBox::currentFontChanged, this, &TDlgOpt::OnChangeFont);
  connect(cbEditSize_, &QComboBox::activated, this, &TDlgOpt::OnChnageFontSize);
  connect(clbBackground_, &TColorButton::ColorChanged, this, &TDlgOpt::OnChangeBKColor);
  connect(clbForeground_, &TColorButton::ColorChanged, this, &TDlgOpt::OnChangeBKColor);
  connect(itmColor_, &QListWidget::currentRowChanged, this, &TDlgOpt::OnChangeListColor);
  connect(chkDefBK_, &QCheckBox::toggled, this, &TDlgOpt::OnChkDefBK);
  connect(chkDefFR_, &QCheckBox::toggled, this, &TDlgOpt::OnChkDefFR);
  connect(clbItemBK_, &TColorButton::ColorChanged, this, &TDlgOpt::OnChangeItemBK);
  connect(clbItemFR_, &TColorButton::ColorChanged, this, &TDlgOpt::OnChangeItemFR);
  connect(chkBold_, &QCheckBox::toggled, this, &TDlgOpt::OnChkBold);
  connect(chkItalic_, &QCheckBox::toggled, this, &TDlgOpt::OnChkItalic);
  return page;
}

QWidget* TDlgOpt::BuildMidiPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* label1 = Label("Label1", "MIDI Out Device", page);
  texts_.Add(label1, 81);
  lstPort_ = new QComboBox(page);
  lstPort_->setObjectName("LstPort");
  lstPort_->setMinimumWidth(369);
  grid->addWidget(label1, 0, 0, 1, 2);
  grid->addWidget(lstPort_, 1, 0, 1, 2);
  labMidiState_ = new QLabel(page);
  labMidiState_->setObjectName("labMidiState");
  labMidiState_->setWordWrap(true);
  labMidiState_->setStyleSheet("QLabel { color: #a00000; }");
  labMidiState_->hide();
  grid->addWidget(labMidiState_, 2, 0, 1, 2);

  auto* group2 = new QGroupBox("Velocity", page);
  group2->setObjectName("GroupBox2");
  texts_.Add(group2, 82);
  auto* velocity = new QGridLayout(group2);
  const struct {
    const char* label;
    const char* text;
    int tag;
    QSpinBox** spin;
    const char* name;
    std::atomic<int>* setting;
  } velocities[] = {
      {"lbHNote", "High", 83, &upH_, "upH", &midi_.HNote},
      {"lbMNote", "Medium", 84, &upM_, "upM", &midi_.MNote},
      {"lbLNote", "Low", 85, &upL_, "upL", &midi_.LNote},
  };
  int line = 0;
  for (const auto& v : velocities) {
    auto* label = Label(v.label, v.text, group2);
    texts_.Add(label, v.tag);
    *v.spin = UpDown(v.name, 0, 127, *v.setting, group2);
    velocity->addWidget(label, line, 0);
    velocity->addWidget(*v.spin, line++, 1);
  }
  velocity->setRowStretch(line, 1);
  grid->addWidget(group2, 3, 0);

  auto* group3 = new QGroupBox("Grace Note", page);
  group3->setObjectName("GroupBox3");
  texts_.Add(group3, 86);
  auto* grace = new QGridLayout(group3);
  auto* lbAcc = Label("lbAccNote", "Grace Accent", group3);
  auto* lbSGrace = Label("lbSGrace", "Simple grace Div", group3);
  auto* lbMGrace = Label("lbMGrace", "Complex grace Div", group3);
  texts_.Add(lbAcc, 87);
  texts_.Add(lbSGrace, 88);
  texts_.Add(lbMGrace, 89);
  upAcc_ = UpDown("upAcc", 50, 100, midi_.AccNote, group3);
  upSGrace_ = UpDown("upSGrace", 2, 16, midi_.GrcSimple, group3);
  upMGrace_ = UpDown("upMGrace", 2, 16, midi_.GrcMulti, group3);
  grace->addWidget(lbAcc, 0, 0);
  grace->addWidget(upAcc_, 0, 1);
  grace->addWidget(Label("Label10", "%", group3), 0, 2);
  grace->addWidget(lbSGrace, 1, 0);
  grace->addWidget(upSGrace_, 1, 1);
  grace->addWidget(lbMGrace, 2, 0);
  grace->addWidget(upMGrace_, 2, 1);
  chkGraceNote_ = CheckBox("chkGraceNote", "Play Grace Notes", group3);
  chkGraceNote_->setLayoutDirection(Qt::RightToLeft);  // the text left of the box
  texts_.Add(chkGraceNote_, 90);
  grace->addWidget(chkGraceNote_, 3, 0, 1, 3, Qt::AlignLeft);
  grace->setRowStretch(4, 1);
  grid->addWidget(group3, 3, 1);

  auto* group4 = new QGroupBox("Voices", page);
  group4->setObjectName("GroupBox4");
  texts_.Add(group4, 92);
  auto* voices = new QVBoxLayout(group4);
  voices->addWidget(Label("Label12", "Chan   0-127", group4));
  gridPatch_ = new QTableWidget(kPatchRows, 1, group4);
  gridPatch_->setObjectName("gridPatch");
  gridPatch_->horizontalHeader()->hide();
  gridPatch_->horizontalHeader()->setDefaultSectionSize(32);
  gridPatch_->verticalHeader()->setMinimumSectionSize(15);
  gridPatch_->verticalHeader()->setDefaultSectionSize(15);
  gridPatch_->verticalHeader()->setFixedWidth(32);
  gridPatch_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QStringList channels;
  for (int row = 0; row < kPatchRows; ++row) channels << QString::number(row + 2);
  gridPatch_->setVerticalHeaderLabels(channels);
  gridPatch_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  gridPatch_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  gridPatch_->setFixedSize(64 + 2 * gridPatch_->frameWidth(), kPatchRows * 15 + 2 * gridPatch_->frameWidth());
  voices->addWidget(gridPatch_);
  voices->addStretch(1);
  grid->addWidget(group4, 0, 2, 5, 1);

  auto* delay = new QHBoxLayout;
  auto* label9 = Label("Label9", "Soft Synthetizer Delay", page);
  texts_.Add(label9, 91);
  upDelay_ = UpDown("upDelay", 0, 2000, midi_.SyntDelay, page);
  upDelay_->setSingleStep(100);
  // Only the arrows change it, so the delay stays a multiple of 100 ms.
  upDelay_->findChild<QLineEdit*>()->setReadOnly(true);
  delay->addWidget(label9);
  delay->addWidget(upDelay_);
  delay->addWidget(Label("Label11", "ms", page));
  delay->addStretch(1);
  grid->addLayout(delay, 4, 0, 1, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);

  connect(lstPort_, &QComboBox::activated, this, &TDlgOpt::OnChangeMidiDevice);
  connect(chkGraceNote_, &QCheckBox::toggled, this, [this](bool on) { midi_.GraceOn = on ? 1 : 0; });
  connect(gridPatch_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { OnEditPatch(item->row()); });
  return page;
}

void TDlgOpt::SetHighlighter(TSynAbcSyn* highlighter) { highlighter_ = highlighter; }

void TDlgOpt::OnCreate() {
  Paint(this, ColorFrame);
  pgcFilter_->SetTabActiveColor(WinColorToQColor(ColorFrame));
  {
    const QSignalBlocker block(edLibPath_);
    edLibPath_->setText(Q(settings_.AbcLibPath));
  }
  FillDevices();
  ShowMidiState();
  upDelay_->setValue(midi_.SyntDelay);

  {
    const QSignalBlocker block(cbEditFont_);
    cbEditFont_->setCurrentIndex(cbEditFont_->findText(Q(settings_.EditFontName), Qt::MatchFixedString));
  }
  FillFontSizes(Q(settings_.EditFontName));

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

void TDlgOpt::OnChangeFont(const QFont& font) {
  settings_.EditFontName = font.family().toStdString();
  {
    const QSignalBlocker block(cbEditSize_);
    cbEditSize_->clear();
    cbEditSize_->addItems(GetFontSizes(font.family()));
    cbEditSize_->setCurrentIndex(0);
  }
  settings_.EditFontSize = ParseInt(cbEditSize_->currentText().toStdString()).value_or(kDefaultFontSize);
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
