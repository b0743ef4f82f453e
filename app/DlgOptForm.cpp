// The options dialog's form: its pages and controls, and which handler each control calls.
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
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ColorButton.h"
#include "controls/Page95Control.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

constexpr int kTabHeight = 20;
const QColor kInactiveTab(0xDA, 0xDA, 0xDA);

// The highlighter's attributes in the order of their indexes.
constexpr const char* kAttributeNames[TSynAbcSyn::kAttributeCount] = {
    "Normal Text", "ABC Key", "Key Data", "Master Key Data", "Comment",    "Ident",      "Bar",         "Note",
    "Note Symbol", "Symbol",  "Error",    "Chord",           "Tuplet",     "Tie & Slur", "Grace Note", "Straight",
};

// A control of the form with its name and text; a tag above 0 puts the text in the
// form's translation.
template <class Widget>
Widget* Make(TFormTexts& texts, const char* name, const char* text, int tag, QWidget* parent) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(name);
  if (tag > 0) texts.Add(widget, tag);
  return widget;
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
  pgcFilter_->SetFlatSeperators(false);
  pgcFilter_->SetHotTrack(true);
  pgcFilter_->SetAllowTabShifting(true);
  pgcFilter_->SetTabStop(false);
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
  auto* label8 = Make<QLabel>(texts_, "Label8", "ABC Directory", 41, page);
  grid->addWidget(label8, 0, 0, 1, 2);
  edLibPath_ = new QLineEdit(page);
  edLibPath_->setObjectName("edLibPath");
  edLibPath_->setMinimumWidth(303);
  grid->addWidget(edLibPath_, 1, 0);
  auto* pathButton = new QToolButton(page);
  pathButton->setObjectName("btnPathAbc");
  pathButton->setText("...");
  grid->addWidget(pathButton, 1, 1, Qt::AlignLeft);
  auto* labLang = Make<QLabel>(texts_, "labLang", "Language", 43, page);
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
  auto* label2 = Make<QLabel>(texts_, "Label2", "Font", 61, page);
  auto* label3 = Make<QLabel>(texts_, "Label3", "Size", 62, page);
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
  auto* group1 = Make<QGroupBox>(texts_, "GroupBox1", "Editor color", 63, page);
  auto* colors = new QGridLayout(group1);
  auto* label6 = Make<QLabel>(texts_, "Label6", "Background", 64, group1);
  auto* label7 = Make<QLabel>(texts_, "Label7", "Foreground", 65, group1);
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
  auto* label4 = Make<QLabel>(texts_, "Label4", "Background", 66, page);
  auto* label5 = Make<QLabel>(texts_, "Label5", "Foreground", 67, page);
  clbItemBK_ = ColorButton("clbItemBK", page);
  clbItemFR_ = ColorButton("clbItemFR", page);
  chkDefBK_ = Make<QCheckBox>(texts_, "chkDefBK", "Default", 68, page);
  chkDefFR_ = Make<QCheckBox>(texts_, "chkDefFR", "Default", 68, page);
  chkBold_ = Make<QCheckBox>(texts_, "chkBold", "Bold", 69, page);
  chkItalic_ = Make<QCheckBox>(texts_, "chkItalic", "Italic", 70, page);
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
  auto* label1 = Make<QLabel>(texts_, "Label1", "MIDI Out Device", 81, page);
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

  // The up-downs of the two groups, each with its label and range.
  struct UpDownRow {
    const char* label;
    const char* text;
    int tag;
    QSpinBox** spin;
    const char* name;
    int low, high;
    std::atomic<int>* setting;
  };
  const auto addRows = [this](QGridLayout* layout, QWidget* group, std::initializer_list<UpDownRow> rows) {
    int line = 0;
    for (const UpDownRow& r : rows) {
      layout->addWidget(Make<QLabel>(texts_, r.label, r.text, r.tag, group), line, 0);
      *r.spin = UpDown(r.name, r.low, r.high, *r.setting, group);
      layout->addWidget(*r.spin, line++, 1);
    }
  };
  auto* group2 = Make<QGroupBox>(texts_, "GroupBox2", "Velocity", 82, page);
  auto* velocity = new QGridLayout(group2);
  addRows(velocity, group2,
          {{"lbHNote", "High", 83, &upH_, "upH", 0, 127, &midi_.HNote},
           {"lbMNote", "Medium", 84, &upM_, "upM", 0, 127, &midi_.MNote},
           {"lbLNote", "Low", 85, &upL_, "upL", 0, 127, &midi_.LNote}});
  velocity->setRowStretch(3, 1);
  grid->addWidget(group2, 3, 0);

  auto* group3 = Make<QGroupBox>(texts_, "GroupBox3", "Grace Note", 86, page);
  auto* grace = new QGridLayout(group3);
  addRows(grace, group3,
          {{"lbAccNote", "Grace Accent", 87, &upAcc_, "upAcc", 50, 100, &midi_.AccNote},
           {"lbSGrace", "Simple grace Div", 88, &upSGrace_, "upSGrace", 2, 16, &midi_.GrcSimple},
           {"lbMGrace", "Complex grace Div", 89, &upMGrace_, "upMGrace", 2, 16, &midi_.GrcMulti}});
  grace->addWidget(Make<QLabel>(texts_, "Label10", "%", 0, group3), 0, 2);
  chkGraceNote_ = Make<QCheckBox>(texts_, "chkGraceNote", "Play Grace Notes", 90, group3);
  chkGraceNote_->setLayoutDirection(Qt::RightToLeft);  // the text left of the box
  grace->addWidget(chkGraceNote_, 3, 0, 1, 3, Qt::AlignLeft);
  grace->setRowStretch(4, 1);
  grid->addWidget(group3, 3, 1);

  auto* group4 = Make<QGroupBox>(texts_, "GroupBox4", "Voices", 92, page);
  auto* voices = new QVBoxLayout(group4);
  voices->addWidget(Make<QLabel>(texts_, "Label12", "Chan   0-127", 0, group4));
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
  auto* label9 = Make<QLabel>(texts_, "Label9", "Soft Synthetizer Delay", 91, page);
  upDelay_ = UpDown("upDelay", 0, 2000, midi_.SyntDelay, page);
  upDelay_->setSingleStep(100);
  // Only the arrows change it, so the delay stays a multiple of 100 ms.
  upDelay_->findChild<QLineEdit*>()->setReadOnly(true);
  delay->addWidget(label9);
  delay->addWidget(upDelay_);
  delay->addWidget(Make<QLabel>(texts_, "Label11", "ms", 0, page));
  delay->addStretch(1);
  grid->addLayout(delay, 4, 0, 1, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);

  connect(lstPort_, &QComboBox::activated, this, &TDlgOpt::OnChangeMidiDevice);
  connect(chkGraceNote_, &QCheckBox::toggled, this, [this](bool on) { midi_.GraceOn = on ? 1 : 0; });
  connect(gridPatch_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { OnEditPatch(item->row()); });
  return page;
}

}  // namespace rq
