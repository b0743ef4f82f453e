#include "screens/EditEcr.h"

#include <algorithm>

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/MidiKeys.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/WinColor.h"
#include "screens/ScreenColors.h"
#include "screens/SynAbcSyn.h"

namespace rq {
namespace {

const char* const kKeyTypeCaptions[TEditEcr::kKeyTypes] = {
    "5#: B  G#m F#Mix C#Dor",       "4#: E  C#m BMix  F#Dor",  "3#: A  F#m EMix  BDor",
    "2#: D  Bm  AMix  EDor Hp",     "1#: G  Em  DMix  ADor",   "-->> C  Am  GMix  DDor  <<--",
    "1b : F  Dm  CMix  GDor",       "2b: Bb Gm  FMix  CDor",   "3b: Eb Cm  BbMix FDor",
    "4b : Ab Fm  EbMix BbDor",      "5b: Db Bbm AbMix EbDor",
};

// Per key type, each pitch class C .. B as written under that key signature: a note
// the key already alters is written bare, a natural the key alters gets "=".
const char* const kNoteSpellings[TEditEcr::kKeyTypes][12] = {
    {"=C", "C", "=D", "D", "E", "^E", "F", "=G", "G", "=A", "A", "B"},
    {"=C", "C", "=D", "D", "E", "^E", "F", "=G", "G", "A", "^A", "B"},
    {"=C", "C", "D", "^D", "E", "^E", "F", "=G", "G", "A", "^A", "B"},
    {"=C", "C", "D", "^D", "E", "=F", "F", "G", "^G", "A", "^A", "B"},
    {"C", "^C", "D", "^D", "E", "=F", "F", "G", "^G", "A", "^A", "B"},
    {"C", "^C", "D", "_E", "E", "F", "^F", "G", "^G", "A", "_B", "B"},
    {"C", "^C", "D", "_E", "E", "F", "^F", "G", "_A", "A", "B", "=B"},
    {"C", "_D", "D", "E", "=E", "F", "^F", "G", "_A", "A", "B", "=B"},
    {"C", "_D", "D", "E", "=E", "F", "_G", "G", "A", "=A", "B", "=B"},
    {"C", "D", "=D", "E", "=E", "F", "_G", "G", "A", "=A", "B", "=B"},
    {"C", "D", "=D", "E", "=E", "F", "G", "=G", "A", "=A", "B", "=B"},
};

// The pad's symbol buttons; each types its caption.
const char* const kSymbols[] = {"|", ":|", "|:", ":|:", "|1", ":|2", "~", "^", "_", "{}", "[]", "\"\"", "(2", "(3", "(4"};

// A new tune's text after its "X:" number.
const char* const kNewTuneTemplate = "\nT:\nM:4/4\nR:\nK:D\n";
constexpr int kTitleLine = 1;  // the caret waits at the end of "T:"
constexpr int kKeyboardOctaves = 4;
constexpr int kKeyWidth = 15;
constexpr int32_t kRightEdgeColor = kClSilver;

QHBoxLayout* Row(QWidget* parent) {
  auto* row = new QHBoxLayout(parent);
  row->setContentsMargins(3, 2, 3, 2);
  row->setSpacing(2);
  return row;
}

constexpr int kSeparatorWidth = 3;

// The key-type box: where the note tools are narrower than its captions it keeps
// room for their start, which names the key signature and its major and minor keys,
// and ends the caption shown in an ellipsis; its list shows them whole.
class TKeyTypeBox : public QComboBox {
 public:
  explicit TKeyTypeBox(QWidget* parent) : QComboBox(parent) {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize least(fontMetrics().horizontalAdvance(QStringLiteral("5#: B  G#m")), fontMetrics().height());
    setMinimumWidth(style()->sizeFromContents(QStyle::CT_ComboBox, &option, least, this).width());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
  }
};

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// The column (in characters) where the first word that starts right of a column of
// a line starts, or -1 where no word does.
qsizetype NextWordStart(const QString& line, int column) {
  // A line of no more UTF-16 units than column + 1 has no more characters either.
  if (line.size() <= column + 1) return -1;
  const QList<uint> chars = line.toUcs4();
  for (qsizetype c = column + 1; c < chars.size(); ++c) {
    if (!IsBlank(chars[c]) && IsBlank(chars[c - 1])) return c;
  }
  return -1;
}

// How many blanks a smart Tab types at a column (in characters): up to the start of
// the next word of the nearest line above that has a word right of the column, so
// empty lines and lines that end before it are passed over; one blank where no line
// above has one.
int SmartTabBlanks(const QTextBlock& block, int column) {
  for (QTextBlock above = block.previous(); above.isValid(); above = above.previous()) {
    if (const qsizetype word = NextWordStart(above.text(), column); word >= 0) return static_cast<int>(word - column);
  }
  return 1;
}

// The ABC text editor: Enter keeps the line's indent; Tab lines the caret up with
// the next word of the nearest line above that has one, in blanks, and Shift+Tab
// types nothing; a tab in the text is one column wide; a line marks the right edge of
// the text; dragging the vertical scroll bar shows the line that will be at the top.
class TAbcTextEdit : public QPlainTextEdit {
 public:
  explicit TAbcTextEdit(QWidget* parent) : QPlainTextEdit(parent), scrollHint_(new QLabel(this)) {
    scrollHint_->setObjectName("ScrollHint");
    scrollHint_->setFrameShape(QFrame::Box);
    scrollHint_->setMargin(2);
    scrollHint_->setAutoFillBackground(true);
    QPalette p = scrollHint_->palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipText));
    scrollHint_->setPalette(p);
    scrollHint_->hide();
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::sliderPressed, this, [this, bar] { ShowScrollHint(bar->value()); });
    connect(bar, &QScrollBar::sliderMoved, this, &TAbcTextEdit::ShowScrollHint);
    connect(bar, &QScrollBar::sliderReleased, scrollHint_, &QWidget::hide);
    FitTabsToFont();
  }

  // Where the right edge stands in the viewport: after that many blanks of the font.
  int RightEdgeX() const {
    const double column = QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
    return static_cast<int>(contentOffset().x() + document()->documentMargin() + TEditEcr::kRightEdge * column);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPlainTextEdit::paintEvent(event);
    const int x = RightEdgeX();
    if (x < 0 || x >= viewport()->width()) return;
    QPainter painter(viewport());
    painter.setPen(WinColorToQColor(kRightEdgeColor));
    painter.drawLine(x, 0, x, viewport()->height());
  }

  void changeEvent(QEvent* event) override {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitTabsToFont();
  }

  // While the text is writable Tab and Shift+Tab belong to it: neither moves the
  // focus away from what is being typed.
  bool focusNextPrevChild(bool next) override { return isReadOnly() && QPlainTextEdit::focusNextPrevChild(next); }

  void keyPressEvent(QKeyEvent* event) override {
    if (!isReadOnly() && event->key() == Qt::Key_Backtab) return;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!isReadOnly() && mods == Qt::NoModifier) {
      if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QTextCursor cursor = textCursor();
        const QString line = cursor.block().text();
        qsizetype indent = 0;
        while (indent < line.size() && indent < cursor.positionInBlock() && line[indent] == ' ') ++indent;
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.insertBlock();
        cursor.insertText(QString(indent, ' '));
        cursor.endEditBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
      }
      if (event->key() == Qt::Key_Tab) {
        SmartTab();
        return;
      }
    }
    QPlainTextEdit::keyPressEvent(event);
  }

 private:
  // A tab in the text takes one column, as a blank does.
  void FitTabsToFont() { setTabStopDistance(QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '))); }

  // Replaces the selection with the blanks up to the next word of the line above;
  // one undo step.
  void SmartTab() {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int column = static_cast<int>(QStringView(cursor.block().text()).left(cursor.positionInBlock()).toUcs4().size());
    cursor.insertText(QString(SmartTabBlanks(cursor.block(), column), ' '));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
  }

  // Beside the scroll bar, level with its handle: the line a drag puts at the top.
  void ShowScrollHint(int value) {
    const QScrollBar* bar = verticalScrollBar();
    const int line = document()->findBlockByLineNumber(value).blockNumber() + 1;
    scrollHint_->setText(QStringLiteral("Top Line: %1").arg(line));
    scrollHint_->adjustSize();
    const QPoint barTop = bar->mapTo(this, QPoint(0, 0));
    const int range = bar->maximum() - bar->minimum();
    const int travel = std::max(0, bar->height() - scrollHint_->height());
    const int y = range > 0 ? static_cast<int>(int64_t{travel} * (value - bar->minimum()) / range) : 0;
    scrollHint_->move(std::max(0, barTop.x() - scrollHint_->width() - 2), barTop.y() + y);
    scrollHint_->show();
    scrollHint_->raise();
  }

  QLabel* scrollHint_;
};

// A thin bar in the frame colour between groups of the pad's buttons.
QWidget* PadSeparator(QWidget* parent, const char* name) {
  auto* separator = new QWidget(parent);
  separator->setObjectName(QString::fromLatin1(name));
  separator->setFixedWidth(kSeparatorWidth);
  PaintBackground(separator, ColorFrame);
  return separator;
}

// The lines as the editor shows them: each cut after its first kLongestShownLine
// characters, a character of several bytes kept whole or left out.
TLines ShownLines(const TLines& lines) {
  TLines shown;
  shown.reserve(lines.size());
  for (const std::string& line : lines) {
    size_t end = std::min(line.size(), TEditEcr::kLongestShownLine);
    while (end < line.size() && end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) --end;
    shown.emplace_back(line, 0, end);
  }
  return shown;
}

}  // namespace

TEditEcr::TEditEcr(TAbcParser& parser, QObject* parent) : QObject(parent), parser_(parser) {
  setObjectName("EditEcr");
}

TEditEcr::~TEditEcr() {
  delete panEdit_.data();
  delete dbgMemo_.data();
}

const char* TEditEcr::KeyTypeCaption(int keyType) {
  return keyType >= 0 && keyType < kKeyTypes ? kKeyTypeCaptions[keyType] : "";
}

QString TEditEcr::NoteSpelling(int note, int keyType) {
  if (note < kLowestNote || keyType < 0 || keyType >= kKeyTypes) return {};
  const int d = note - kLowestNote;
  QString spelling = QString::fromLatin1(kNoteSpellings[keyType][d % 12]);
  switch (d / 12) {
    case 0: return spelling + ',';
    case 2: return spelling.toLower();
    case 3: return spelling.toLower() + '\'';
    default: return spelling;
  }
}

// ---- building -------------------------------------------------------------------

void TEditEcr::OnCreate(QWidget* editHost, QWidget* logHost) {
  panEdit_ = new QWidget;
  panEdit_->setObjectName("PanEdit");
  auto* column = new QVBoxLayout(panEdit_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  panPad_ = BuildPad();
  column->addWidget(panPad_);

  // Over the text while a line of the tune is too long to show whole.
  labLongLine_ = new QLabel(panEdit_);
  labLongLine_->setObjectName("LabLongLine");
  labLongLine_->setWordWrap(true);
  labLongLine_->setMargin(4);
  PaintBackground(labLongLine_, ColorRhythmCell);
  labLongLine_->hide();
  column->addWidget(labLongLine_);

  abcEditor_ = new TAbcTextEdit(panEdit_);
  abcEditor_->setObjectName("AbcEditor");
  abcEditor_->setFrameShape(QFrame::NoFrame);
  abcEditor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  abcEditor_->setReadOnly(true);
  abcHigh_ = new TSynAbcSyn(abcEditor_->document());
  abcHigh_->setObjectName("AbcHigh");
  connect(abcEditor_, &QPlainTextEdit::textChanged, this, &TEditEcr::OnChange);
  column->addWidget(abcEditor_, 1);

  // The tune code: kept up to date, never shown.
  auto* panCode = new QWidget(panEdit_);
  panCode->setObjectName("PanCode");
  QHBoxLayout* codeRow = Row(panCode);
  codeRow->addWidget(new QLabel("Code Zym-Breathnach", panCode));
  labCode_ = new QLabel(panCode);
  labCode_->setObjectName("LabCode");
  codeRow->addWidget(labCode_);
  panCode->hide();
  column->addWidget(panCode);

  dbgMemo_ = new QPlainTextEdit;
  dbgMemo_->setObjectName("DBGMemo");
  dbgMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  dbgMemo_->setReadOnly(true);

  SetColours(ColorPane, 0);
  if (editHost && editHost->layout()) editHost->layout()->addWidget(panEdit_);
  if (logHost && logHost->layout()) logHost->layout()->addWidget(dbgMemo_);
  LastNote = -1;
  Modified = false;
}

QWidget* TEditEcr::BuildPad() {
  auto* pad = new QWidget(panEdit_);
  pad->setObjectName("PanPad");
  PaintBackground(pad, ColorFrame);
  auto* column = new QVBoxLayout(pad);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* tool = new QWidget(pad);
  tool->setObjectName("PanTool");
  PaintBackground(tool, ColorPane);
  tool->setFixedHeight(kPadHeight);
  QHBoxLayout* row = Row(tool);
  QToolButton* undo = PadButton(tool, "Undo", "BtnUndo");
  connect(undo, &QToolButton::clicked, this, &TEditEcr::OnUndo);
  QToolButton* redo = PadButton(tool, "Redo", "BtnRedo");
  connect(redo, &QToolButton::clicked, this, &TEditEcr::OnRedo);
  btnTools_ = PadButton(tool, "Tools", "btnTools");
  btnTools_->setCheckable(true);
  connect(btnTools_, &QToolButton::toggled, this, &TEditEcr::OnShowTools);
  row->addWidget(PadSeparator(tool, "SepSymbols"));
  row->addWidget(BuildSymbolBar(tool), 1);
  auto* valid = new QWidget(tool);
  valid->setObjectName("PanValid");
  PaintBackground(valid, ColorPane);
  QHBoxLayout* validRow = Row(valid);
  validRow->setContentsMargins(0, 0, 0, 0);
  // Copy Tune stays in reach while the browser's tool row is hidden by the edit.
  btnCopyTune_ = PadButton(valid, "Copy Tune", "BtnCopyTune");
  SetCopyTuneAction(copyTuneAction_);
  btnValidEdit_ = PadButton(valid, "Ok", "BtnValidEdit");
  connect(btnValidEdit_, &QToolButton::clicked, this, &TEditEcr::OnValidEdit);
  btnCancel_ = PadButton(valid, " Cancel", "BtnCancel");
  connect(btnCancel_, &QToolButton::clicked, this, &TEditEcr::OnCancelEdit);
  textTags_.insert(textTags_.end(), {{undo, kFirstTextTag},
                                     {redo, kFirstTextTag + 1},
                                     {btnTools_, kFirstTextTag + 2},
                                     {btnValidEdit_, kFirstTextTag + 3},
                                     {btnCancel_, kFirstTextTag + 4}});
  row->addWidget(PadSeparator(tool, "SepValid"));
  row->addWidget(valid);
  column->addWidget(tool);

  panNoteTools_ = BuildNoteTools(pad);
  panNoteTools_->hide();
  column->addWidget(panNoteTools_);
  pad->setFixedHeight(kPadHeight);
  pad->hide();
  return pad;
}

// The symbol buttons sit on a tool bar that takes the room the pad's other buttons
// leave: where that is too little for them all, it shows those that fit and hands
// out the others from its arrow, so that Copy Tune, Ok and Cancel stay whole.
QToolBar* TEditEcr::BuildSymbolBar(QWidget* parent) {
  auto* bar = new QToolBar(parent);
  bar->setObjectName("PanSymbols");
  bar->setBackgroundRole(QPalette::Window);  // a tool bar fills in the button colour
  PaintBackground(bar, ColorPane);
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->layout()->setContentsMargins(0, 0, 0, 0);
  bar->layout()->setSpacing(2);
  for (const char* symbol : kSymbols) {
    QAction* action = bar->addAction(QString::fromLatin1(symbol));
    connect(action, &QAction::triggered, this, [this, action] { InsertString(action->text()); });
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::NoFocus);
    symbolButtons_.push_back(button);
  }
  return bar;
}

QWidget* TEditEcr::BuildNoteTools(QWidget* parent) {
  auto* tools = new QWidget(parent);
  tools->setObjectName("PanNoteTools");
  PaintBackground(tools, ColorPane);
  tools->setFixedHeight(kNoteToolsHeight);
  QHBoxLayout* row = Row(tools);
  midKeys_ = new TMIDIKeys(tools);
  midKeys_->setObjectName("MidKeys");
  midKeys_->SetBaseOctave(kLowestNote / 12);
  midKeys_->SetNoteWidth(kKeyWidth);
  midKeys_->setFixedWidth(kKeyboardOctaves * 7 * kKeyWidth);
  midKeys_->SetOnNoteOn([this](TKeys&, int note, int) { OnNoteOn(note); });
  midKeys_->SetOnNoteOff([this](TKeys&, int, int) { OnNoteOff(); });
  row->addWidget(midKeys_);
  lbCodeNote_ = new QLabel(tools);
  lbCodeNote_->setObjectName("lbCodeNote");
  lbCodeNote_->setAlignment(Qt::AlignCenter);
  lbCodeNote_->setToolTip("Insert Note");
  lbCodeNote_->setFixedWidth(48);
  lbCodeNote_->setStyleSheet("QLabel { background: yellow; font-weight: bold; }");
  lbCodeNote_->installEventFilter(this);
  row->addWidget(lbCodeNote_);
  QToolButton* insert = PadButton(tools, "Insert", "btnInsertNote");
  insert->setToolTip("Insert");
  textTags_.push_back({insert, kFirstTextTag + 5});
  connect(insert, &QToolButton::clicked, this, &TEditEcr::OnInsertNote);
  cbKeyType_ = new TKeyTypeBox(tools);
  cbKeyType_->setObjectName("cbKeyType");
  cbKeyType_->setFocusPolicy(Qt::NoFocus);
  for (const char* caption : kKeyTypeCaptions) cbKeyType_->addItem(QString::fromLatin1(caption));
  cbKeyType_->setCurrentIndex(kDefaultKeyType);
  row->addWidget(cbKeyType_);
  row->addStretch(1);
  return tools;
}

// A pad button never takes the focus: what it types goes where the caret is.
QToolButton* TEditEcr::PadButton(QWidget* parent, const QString& text, const char* name) {
  auto* button = new QToolButton(parent);
  if (*name) button->setObjectName(QString::fromLatin1(name));
  button->setText(text);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  if (auto* row = qobject_cast<QHBoxLayout*>(parent->layout())) row->addWidget(button);
  return button;
}

void TEditEcr::SetCopyTuneAction(QAction* action) {
  copyTuneAction_ = action;
  if (!btnCopyTune_) return;
  if (action) btnCopyTune_->setDefaultAction(action);
  btnCopyTune_->setVisible(action != nullptr);
}

QString EditorFontFamily(const QString& name) {
  const bool courier = name.compare("courier", Qt::CaseInsensitive) == 0 ||
                       name.compare("courier new", Qt::CaseInsensitive) == 0;
  return courier ? QStringLiteral("Liberation Mono") : name;
}

void TEditEcr::SetEditorFont(const QString& name, int size) {
  if (!abcEditor_) return;
  QFont font(EditorFontFamily(name), size > 0 ? size : 10);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  abcEditor_->setFont(font);
}

void TEditEcr::SetColours(int32_t background, int32_t foreground) {
  if (!abcEditor_) return;
  QPalette p = abcEditor_->palette();
  if (const QColor bg = WinColorToQColor(background); bg.isValid()) p.setColor(QPalette::Base, bg);
  if (const QColor fg = WinColorToQColor(foreground); fg.isValid()) p.setColor(QPalette::Text, fg);
  // The selection keeps its colour when the editor loses the focus; its text stays in
  // the text colour, which reads on the light selection.
  p.setColor(QPalette::Highlight, WinColorToQColor(kClActiveCaption));
  p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
  abcEditor_->setPalette(p);
}

// ---- the text ----------------------------------------------------------------

void TEditEcr::LoadText(const QString& text) {
  loading_ = true;
  abcEditor_->setPlainText(text);
  loading_ = false;
}

void TEditEcr::ShowTune(const TLines& lines, uint32_t code, bool keepLog) {
  if (!abcEditor_) return;
  shownEncoding_ = BytesEncoding(lines);
  const auto longest = std::max_element(lines.begin(), lines.end(),
                                        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  if (longest == lines.end() || longest->size() <= kLongestShownLine) {
    longLineNote_.clear();
    LoadText(DecodeTune(lines));
  } else {
    longLineNote_ = QString("Line %1 of this tune holds %2 characters, too many to show: the editor shows the "
                            "first %3 of each line, and the tune cannot be edited here.")
                        .arg(longest - lines.begin() + 1)
                        .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(longest->size())))
                        .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(kLongestShownLine)));
    LoadText(DecodeTune(ShownLines(lines)));
  }
  labLongLine_->setText(longLineNote_);
  labLongLine_->setVisible(!longLineNote_.isEmpty());
  labCode_->setText(QString("%1").arg(code, 8, 16, QChar('0')).toUpper());
  if (!keepLog && dbgMemo_) dbgMemo_->clear();
}

// Block by block: the document's plain text would turn no-break spaces into blanks.
QStringList TEditEcr::BlockTexts() const {
  QStringList texts;
  for (QTextBlock block = abcEditor_->document()->begin(); block.isValid(); block = block.next()) {
    texts << block.text();
  }
  return texts;
}

TLines TEditEcr::Lines() const {
  TextEncoding encoding = encoding_;
  return EncodeLines(BlockTexts(), encoding);
}

QString TEditEcr::Text() const { return BlockTexts().join('\n'); }

// ---- editing -------------------------------------------------------------------

void TEditEcr::StartEdit(int mode, TextEncoding fileEncoding, int64_t newTuneNumber) {
  Modified = false;
  EditMode = mode;
  encoding_ = mode == 1 ? fileEncoding : shownEncoding_.value_or(fileEncoding);
  if (mode == 1) {
    LoadText("X:" + QString::number(newTuneNumber) + QString::fromLatin1(kNewTuneTemplate));
    QTextCursor cursor(abcEditor_->document()->findBlockByNumber(kTitleLine));
    cursor.movePosition(QTextCursor::EndOfBlock);
    abcEditor_->setTextCursor(cursor);
  }
  panPad_->show();
  abcEditor_->setReadOnly(false);
  editing_ = true;
  abcEditor_->setFocus();
}

void TEditEcr::EndEditing() {
  Modified = false;
  editing_ = false;
  abcEditor_->setReadOnly(true);
  panPad_->hide();
}

// Blanks at a line's end are nothing the tune needs; a line of blanks becomes empty.
void TEditEcr::TrimTrailingBlanks() {
  QTextCursor cursor(abcEditor_->document());
  cursor.beginEditBlock();
  for (QTextBlock block = abcEditor_->document()->begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    if (end == text.size()) continue;
    cursor.setPosition(block.position() + static_cast<int>(end));
    cursor.setPosition(block.position() + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  cursor.endEditBlock();
}

bool TEditEcr::OnValidEdit() {
  if (!editing_) return true;
  TrimTrailingBlanks();
  if (target_ && !target_->EndEdit(EditMode)) return false;
  EndEditing();
  return true;
}

void TEditEcr::OnCancelEdit() {
  if (!editing_) return;
  EndEditing();
  if (target_) target_->CancelEdit();
}

void TEditEcr::OnChange() {
  if (loading_ || !editing_) return;
  Modified = true;
  parser_.Parse(Lines());
  if (dbgMemo_) dbgMemo_->clear();
  emit TuneParsed();
}

void TEditEcr::InsertString(const QString& text) {
  abcEditor_->setFocus();
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(abcEditor_, &press);
  }
}

void TEditEcr::OnUndo() { abcEditor_->undo(); }

void TEditEcr::OnRedo() { abcEditor_->redo(); }

// ---- note tools -------------------------------------------------------------------

void TEditEcr::OnShowTools(bool down) {
  panNoteTools_->setVisible(down);
  panPad_->setFixedHeight(kPadHeight + (down ? panNoteTools_->height() : 0));
}

void TEditEcr::OnNoteOn(int note) {
  abcEditor_->setFocus();
  LastNote = note;
  if (player_) player_->NoteOn(0, note, kNoteVelocity);
  lbCodeNote_->setText(NoteSpelling(note, cbKeyType_->currentIndex()));
}

// The note last sounded stops, whichever key was released.
void TEditEcr::OnNoteOff() {
  abcEditor_->setFocus();
  if (LastNote > 0 && player_) player_->NoteOff(0, LastNote);
  LastNote = -1;
}

void TEditEcr::OnInsertNote() {
  abcEditor_->setFocus();
  if (!lbCodeNote_->text().isEmpty()) InsertString(lbCodeNote_->text());
}

bool TEditEcr::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbCodeNote_ &&
      (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)) {
    OnInsertNote();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace rq
