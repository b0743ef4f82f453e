#include "screens/PlayerEcr.h"

#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "controls/ElidedLabel.h"
#include "controls/Knob.h"
#include "library/AbcSet.h"
#include "library/FileAbc.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/Cp1252.h"
#include "screens/DlgSelPatch.h"
#include "screens/MeasureGrid.h"
#include "screens/TuneBrowser.h"

namespace rq {
namespace {

constexpr int kPlayTimerMs = 100;
constexpr int kKnobSide = 40;
// A track bar position this far into a column shows the next column first.
constexpr int kTrackSnap = 8;
constexpr const char* kNoTune = "No tune ...";
constexpr const char* kSetEnd = "  ||";
constexpr const char* kNoOutput = "No MIDI output: choose one in Preferences";

size_t DigestOf(const TLines& lines) {
  size_t digest = lines.size();
  for (const std::string& line : lines) digest = digest * 31 + std::hash<std::string>{}(line);
  return digest;
}

QToolButton* PanelButton(QWidget* parent, const char* name, const char* text) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(QString::fromLatin1(text));
  // The keyboard stays with the browser's list while the panel is used.
  button->setFocusPolicy(Qt::NoFocus);
  button->setMinimumWidth(44);
  return button;
}

}  // namespace

TPlayerEcr::TPlayerEcr(TZymMidiPlayer& player, TAbcMidi& converter, const TAbcParser& parser,
                       MidiSettings& settings, QObject* parent)
    : QObject(parent),
      player_(player),
      converter_(converter),
      parser_(parser),
      settings_(settings),
      setParser_(std::make_unique<TAbcParser>()) {
  Build();
}

TPlayerEcr::~TPlayerEcr() {
  // Nothing the timer thread runs may reach the panel once it is gone.
  player_.SetOnStop(nullptr);
  player_.Stop(false);
  delete playerPan_;
}

// ---- building -----------------------------------------------------------------

void TPlayerEcr::Build() {
  playerPan_ = new QWidget;
  playerPan_->setObjectName("PlayerPan");
  auto* row = new QHBoxLayout(playerPan_);
  row->setContentsMargins(2, 2, 2, 2);
  // Tight enough that at the window's least width the measure grid keeps a few
  // columns beside the position display.
  row->setSpacing(4);

  btnRew_ = PanelButton(playerPan_, "JvTransparentButton3", "REW");
  btnPlay_ = PanelButton(playerPan_, "JvTransparentButton1", "PLAY");
  btnStop_ = PanelButton(playerPan_, "JvTransparentButton2", "STOP");
  for (QToolButton* b : {btnRew_, btnPlay_, btnStop_}) row->addWidget(b);

  lcdTime_ = new QLabel(playerPan_);
  lcdTime_->setObjectName("LCDTime");
  QFont mono(QStringLiteral("Courier New"));
  mono.setStyleHint(QFont::Monospace);
  mono.setPixelSize(13);
  mono.setBold(true);
  lcdTime_->setFont(mono);
  // The widest text it shows, and its padding on both sides.
  lcdTime_->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QStringLiteral("00/00  000 : 00 : 000")) + 8);
  lcdTime_->setAlignment(Qt::AlignCenter);
  lcdTime_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  lcdTime_->setText(QString::fromStdString(DescribePosition(0, 4, 4, {}).text));
  lcdTime_->setStyleSheet(QStringLiteral("background: black; color: #40FF40; padding: 2px;"));
  row->addWidget(lcdTime_);

  auto* middle = new QVBoxLayout;
  middle->setSpacing(1);
  // A long name (a set's, a long title) ends in an ellipsis rather than widening the panel.
  labTuneName_ = new TElidedLabel(QString::fromLatin1(kNoTune), playerPan_);
  labTuneName_->setObjectName("LabTuneName");
  labTuneName_->setTextFormat(Qt::PlainText);
  middle->addWidget(labTuneName_);
  grid_ = new TMeasureGrid(playerPan_);
  grid_->setObjectName("GridMesure");
  middle->addWidget(grid_);
  trackBar_ = new QScrollBar(Qt::Horizontal, playerPan_);
  trackBar_->setObjectName("RGB01");
  trackBar_->setSingleStep(1);
  middle->addWidget(trackBar_);
  row->addLayout(middle, 1);

  row->addWidget(BuildKnob(playerPan_, {"KnobPitch", "LabPitch", "PITCH"}, -63, 63, knobPitch_, labPitch_));
  row->addWidget(BuildKnob(playerPan_, {"KnobSpeed", "LabSpeed", "SPEED"}, 0, 200, knobSpeed_, labSpeed_));
  row->addWidget(BuildKnob(playerPan_, {"KnobVolume", "LabVolume", "VOLUME"}, 1, 100, knobVolume_, labVolume_));

  auto* right = new QGridLayout;
  right->setSpacing(2);
  btnLoop_ = PanelButton(playerPan_, "JvSwitch1", "LOOP");
  btnLoop_->setCheckable(true);
  btnPatch_ = PanelButton(playerPan_, "BtnPatch", "PATCH");
  btnPrev_ = PanelButton(playerPan_, "BtnPrev", "PREV");
  btnNext_ = PanelButton(playerPan_, "BtnNext", "NEXT");
  right->addWidget(btnLoop_, 0, 0);
  right->addWidget(btnPatch_, 0, 1);
  right->addWidget(btnPrev_, 1, 0);
  right->addWidget(btnNext_, 1, 1);
  row->addLayout(right);

  playTimer_ = new QTimer(this);
  playTimer_->setObjectName("PlayTimer");
  playTimer_->setInterval(kPlayTimerMs);

  connect(playTimer_, &QTimer::timeout, this, &TPlayerEcr::OnPlayTimer);
  connect(btnRew_, &QToolButton::clicked, this, &TPlayerEcr::OnClickRew);
  connect(btnPlay_, &QToolButton::clicked, this, &TPlayerEcr::OnClickPlay);
  connect(btnStop_, &QToolButton::clicked, this, &TPlayerEcr::OnClickStop);
  connect(btnLoop_, &QToolButton::clicked, this, &TPlayerEcr::OnClickLoop);
  connect(btnPrev_, &QToolButton::clicked, this, &TPlayerEcr::OnPlayPrev);
  connect(btnNext_, &QToolButton::clicked, this, &TPlayerEcr::OnPlayNext);
  connect(btnPatch_, &QToolButton::clicked, this, &TPlayerEcr::OnClickPatch);
  connect(knobPitch_, &TKnob::Changed, this, [this] {
    labPitch_->setNum(knobPitch_->Position());
    player_.SetPitch(knobPitch_->Position());
  });
  connect(knobSpeed_, &TKnob::Changed, this, [this] {
    labSpeed_->setNum(knobSpeed_->Position());
    player_.SetSpeed(knobSpeed_->Position());
  });
  connect(knobVolume_, &TKnob::Changed, this, [this] {
    labVolume_->setNum(knobVolume_->Position());
    player_.SetVolume(knobVolume_->Position());
  });
  connect(grid_, &TMeasureGrid::MouseDown, this, [this](Qt::MouseButton b, int c) { OnGridMouseDown(b, c); });
  connect(grid_, &TMeasureGrid::MouseMove, this, &TPlayerEcr::OnGridMouseMove);
  connect(grid_, &TMeasureGrid::MouseUp, this, [this](Qt::MouseButton b, int c) { OnGridMouseUp(b, c); });
  connect(grid_, &TMeasureGrid::DoubleClick, this, &TPlayerEcr::OnGridDoubleClick);
  connect(grid_, &TMeasureGrid::Resized, this, &TPlayerEcr::UpdateTrackBar);
  // The bar follows the grid without moving it back: its range may end short of a column.
  connect(grid_, &TMeasureGrid::TopLeftChanged, this, [this] {
    const QSignalBlocker quiet(trackBar_);
    trackBar_->setValue(grid_->LeftCol() * TMeasureGrid::kColWidth);
  });
  connect(trackBar_, &QScrollBar::valueChanged, this, &TPlayerEcr::OnTrackBarMoved);
}

QWidget* TPlayerEcr::BuildKnob(QWidget* parent, const KnobNames& names, int min, int max, TKnob*& knob,
                               QLabel*& label) {
  auto* box = new QWidget(parent);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* title = new QLabel(QString::fromLatin1(names.caption), box);
  QFont small = title->font();
  small.setPixelSize(9);
  title->setFont(small);
  title->setAlignment(Qt::AlignHCenter);
  knob = new TKnob(box);
  knob->setObjectName(QString::fromLatin1(names.knob));
  knob->setFixedSize(kKnobSide, kKnobSide);
  knob->SetBtnBitMap(TKnob::MakeFace(kKnobSide));
  knob->SetParams(std::clamp(0, min, max), min, max);
  label = new QLabel(box);
  label->setObjectName(QString::fromLatin1(names.label));
  label->setAlignment(Qt::AlignHCenter);
  label->setToolTip(QStringLiteral("Click: +1, right click: -1"));
  label->installEventFilter(this);
  column->addWidget(title);
  column->addWidget(knob, 0, Qt::AlignHCenter);
  column->addWidget(label);
  return box;
}

void TPlayerEcr::OnCreate(QWidget* host) {
  if (host && host->layout()) host->layout()->addWidget(playerPan_);
  loop_.Clear();
  tuneChanged_ = false;
  tuneReady_ = false;
  columns_ = 32;
  // A hand-edited settings file may hold anything: the values reach the labels and
  // the player only through the knobs, which keep them in their ranges (and the
  // player writes the kept values back into the settings).
  knobSpeed_->SetPosition(settings_.MidiSpeed);
  knobPitch_->SetPosition(settings_.MidiPitch);
  knobVolume_->SetPosition(settings_.MidiVolume);
  ShowColumns();
}

// ---- the tune ------------------------------------------------------------------

// Showing another tune marks the prepared one changed; showing the prepared tune
// again, unedited, takes that back, so STOP still pauses it and the loop stays.
void TPlayerEcr::OnTuneShown(const TAbcFile* file, const TLines& lines) {
  shownFile_ = file;
  shownDigest_ = DigestOf(lines);
  tuneChanged_ = editedSincePrepared_ || !tuneReady_ || shownFile_ != preparedFile_ ||
                 shownDigest_ != preparedDigest_;
}

void TPlayerEcr::OnFileClosing(const TAbcFile* file) {
  if (shownFile_ == file) shownFile_ = nullptr;
  if (preparedFile_ == file) preparedFile_ = nullptr;
}

void TPlayerEcr::MarkTuneChanged() {
  tuneChanged_ = true;
  editedSincePrepared_ = true;
}

QString TPlayerEcr::FileLabel(const TAbcFile* file) const {
  const QString name = file ? QFileInfo(QString::fromStdString(file->FileName)).fileName() : QString();
  return QStringLiteral("   [") + name + QStringLiteral("]");
}

void TPlayerEcr::Convert(const TAbcParser& parser, const QString& title) {
  // The timer thread must never read a container being refilled, and the grid and
  // display describe this conversion's results, whatever the converter does later.
  player_.Stop(false);
  playTimer_->stop();
  player_.RefillContainer([&](TMidiContainer& container) { converter_.Convert(parser.Elements(), &container); });
  timing_ = {converter_.PickupTicks(), converter_.TotalTicks(), converter_.MeasureTicks()};
  preparedTitle_ = title;
  labTuneName_->setText(title);
  ClearLoop();
  tuneReady_ = true;
  tuneChanged_ = false;
  editedSincePrepared_ = false;
}

void TPlayerEcr::PrepareTune() {
  Convert(parser_, QString::fromStdString(DisplayUtf8(parser_.Title())) + FileLabel(shownFile_));
  preparedFile_ = shownFile_;
  preparedDigest_ = shownDigest_;
}

void TPlayerEcr::PrepareSet(const TAbcFile& file, const TSetAbc& set) {
  TLines lines;
  for (const TSetEntry& entry : set.Entries()) {
    for (int32_t n = 0; n < std::max(entry.repeat, 1); ++n) {
      file.CopyRecMusic(entry.tune, lines);
      lines.emplace_back(kSetEnd);
    }
  }
  setParser_->Parse(lines);
  Convert(*setParser_,
          QStringLiteral("[ SET ]  ") + QString::fromStdString(DisplayUtf8(set.Name())) + FileLabel(&file));
  // A set is never the tune on screen: the next tune shown is played as itself.
  preparedFile_ = nullptr;
  preparedDigest_ = 0;
}

// ---- playing -------------------------------------------------------------------

void TPlayerEcr::Play() {
  if (!settings_.MidiReady) {
    // Where the user looks for the tune playing: the reason it does not.
    labTuneName_->setText(QString::fromLatin1(kNoOutput));
    return;
  }
  // A pause left from before (STOP) would make the new start skip every tick.
  if (player_.Playing()) player_.Stop(false);
  if (tuneChanged_) PrepareTune();
  if (!tuneReady_) return;
  labTuneName_->setText(preparedTitle_);
  columns_ = ColumnCount(timing_);
  currentColumn_ = 0;
  ShowColumns();
  grid_->SetLeftCol(0);
  UpdateTrackBar();
  const int number = ++playNumber_;
  // The notice comes on the timer thread: it is posted, numbered, to this thread.
  player_.SetOnStop([this, number] {
    QMetaObject::invokeMethod(this, "OnPlayerStop", Qt::QueuedConnection, Q_ARG(int, number));
  });
  player_.Start();
  if (player_.Playing()) playTimer_->start();
}

void TPlayerEcr::OnPlayerStop(int playNumber) {
  if (playNumber == playNumber_) playTimer_->stop();
}

void TPlayerEcr::StopPlay(int mode) {
  if (!tuneChanged_ && mode != 1) {
    player_.Pause(true);
  } else {
    player_.Stop(false);
  }
  playTimer_->stop();
}

void TPlayerEcr::OnClickPlay() {
  // A changed tune is played anew, never resumed.
  if (player_.Paused() && !tuneChanged_) {
    player_.Pause(false);
    playTimer_->start();
    return;
  }
  if (!player_.Playing() || tuneChanged_) Play();
}

void TPlayerEcr::OnClickLoop() {
  player_.SetLoopOn(!player_.LoopOn());
  btnLoop_->setChecked(player_.LoopOn());
}

void TPlayerEcr::OnPlayPrev() {
  if (browser_) browser_->PlayPrevTune();
}

void TPlayerEcr::OnPlayNext() {
  if (browser_) browser_->PlayNextTune();
}

void TPlayerEcr::OnClickPatch() {
  if (!patchDialog_) return;
  if (patchDialog_->isVisible()) {
    patchDialog_->hide();
  } else {
    patchDialog_->ShowUnder(btnPatch_);
  }
}

void TPlayerEcr::OnPlayTimer() {
  int num = 0;
  int den = 0;
  player_.GetMeter(num, den);
  const MidiTick position = player_.PositionTicks() - settings_.SyntDelay.load();
  if (position < 0) return;
  const PositionDisplay shown = DescribePosition(position, num, den, timing_);
  lcdTime_->setText(QString::fromStdString(shown.text));
  if (shown.column == currentColumn_) return;
  currentColumn_ = shown.column;
  grid_->SetCurrentColumn(currentColumn_);
  grid_->ScrollToColumn(currentColumn_);
}

// ---- the measure grid and its track bar ------------------------------------------

void TPlayerEcr::ShowColumns() {
  grid_->SetColumns(columns_);
  grid_->SetHasPickup(timing_.HasPickup());
  grid_->SetCurrentColumn(currentColumn_);
  grid_->SetLoop(loop_.First(), loop_.Last());
}

void TPlayerEcr::ClearLoop() {
  loop_.Clear();
  player_.SetLoop(-1, -1);
  grid_->SetLoop(-1, -1);
}

void TPlayerEcr::UpdateTrackBar() {
  const int range = columns_ * TMeasureGrid::kColWidth;
  trackBar_->setPageStep(grid_->width());
  trackBar_->setRange(0, std::max(0, range - grid_->width()));
  trackBar_->setValue(grid_->LeftCol() * TMeasureGrid::kColWidth);
}

void TPlayerEcr::OnTrackBarMoved(int position) {
  const int column = position / TMeasureGrid::kColWidth + (position % TMeasureGrid::kColWidth >= kTrackSnap ? 1 : 0);
  grid_->SetLeftCol(column);
}

void TPlayerEcr::OnGridMouseDown(int button, int column) {
  if (button == Qt::RightButton) {
    ClearLoop();
    return;
  }
  loop_.Press(column);
  resumeAfterGrid_ = player_.Playing() && !player_.Paused();
  if (resumeAfterGrid_) {
    player_.Pause(true);
    playTimer_->stop();
  }
}

void TPlayerEcr::OnGridMouseMove(int column) {
  if (!loop_.Drag(column, columns_ - 1)) return;
  player_.SetLoop(loop_.StartTick(timing_), loop_.EndTick(timing_));
  grid_->SetLoop(loop_.First(), loop_.Last());
}

void TPlayerEcr::OnGridMouseUp(int button, int column) {
  if (button == Qt::RightButton) {
    FocusLastExitGrid();
    return;
  }
  const bool marked = column >= 0 && column == loop_.Anchor() && !loop_.Dragging();
  if (marked) {
    currentColumn_ = column;
    grid_->SetCurrentColumn(column);
  }
  if (resumeAfterGrid_) {
    resumeAfterGrid_ = false;
    player_.Seek(ColumnStartTick(currentColumn_, timing_));
    player_.Pause(false);
    playTimer_->start();
  } else if (marked && player_.Paused()) {
    // A paused tune resumes where the user points.
    player_.Seek(ColumnStartTick(currentColumn_, timing_));
  }
  FocusLastExitGrid();
}

void TPlayerEcr::OnGridDoubleClick(int column) {
  if (column >= 0) currentColumn_ = column;
  grid_->SetCurrentColumn(currentColumn_);
  ClearLoop();
}

void TPlayerEcr::FocusLastExitGrid() {
  if (browser_) browser_->FocusLastExitGrid();
}

// ---- knob labels -------------------------------------------------------------------

void TPlayerEcr::AdjustKnob(TKnob* knob, bool up) { knob->SetPosition(knob->Position() + (up ? 1 : -1)); }

bool TPlayerEcr::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && (watched == labSpeed_ || watched == labPitch_)) {
    const bool up = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    AdjustKnob(watched == labSpeed_ ? knobSpeed_ : knobPitch_, up);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace rq
