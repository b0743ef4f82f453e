// The player panel: transport buttons, the position display, the measure grid with
// its loop, knobs for pitch, speed and volume, loop switch, previous and next, and
// the instrument pop-up. It converts the tune on screen (or a set) into the shared
// player's container and drives the player.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstddef>
#include <memory>

#include "platform/ByteText.h"
#include "screens/DlgSelPatch.h"
#include "screens/PlayerDisplay.h"

class QLabel;
class QScrollBar;
class QTimer;
class QToolButton;
class QWidget;

namespace rq {

class ITuneBrowser;
class TAbcFile;
class TAbcMidi;
class TAbcParser;
class TKnob;
class TMeasureGrid;
class TSetAbc;
class TZymMidiPlayer;
struct MidiSettings;

// Threads: everything runs on the window thread except the player's end-of-tune
// notice, which arrives on the timer thread and is posted here with the number of
// the play it belongs to; a notice from an earlier play is ignored.
class TPlayerEcr : public QObject {
  Q_OBJECT

 public:
  // `parser` is the shared parser that holds the tune on screen. All four must
  // outlive the panel.
  TPlayerEcr(TZymMidiPlayer& player, TAbcMidi& converter, const TAbcParser& parser,
             MidiSettings& settings, QObject* parent = nullptr);
  // Stops the player and clears its stop notice, then frees the panel wherever it lives.
  ~TPlayerEcr() override;

  // Moves the panel into `host`, sets the knobs from the settings (limited to their
  // ranges, and written back) and sends speed, pitch and volume to the player.
  void OnCreate(QWidget* host);
  // The list that PREV and NEXT move through and that gets the focus back (may be null).
  void SetBrowser(ITuneBrowser* browser) { browser_ = browser; }
  // The pop-up that PATCH opens and closes (may be null).
  void SetPatchDialog(TDlgSelPatch* dialog) { patchDialog_ = dialog; }

  // The open-files controller showed a tune (the shared parser holds it now): PLAY
  // plays it when it is not the tune prepared.
  void OnTuneShown(const TAbcFile* file, const TLines& lines);
  // The file is about to be freed: the panel lets go of it.
  void OnFileClosing(const TAbcFile* file);
  // The editor changed the tune: the next play converts it again.
  void MarkTuneChanged();

  // Stops the player, then converts the tune the shared parser holds into its
  // container and keeps the tune's pickup, length and bar length.
  void PrepareTune();
  // The same for a set of `file`: every entry's tune as often as its repeat count,
  // each followed by a "  ||" line, read as one tune.
  void PrepareSet(const TAbcFile& file, const TSetAbc& set);
  // Plays what is prepared from the start (converting the tune first when it
  // changed); nothing without a prepared tune. Without a MIDI output nothing plays
  // and the tune's name gives way to the reason.
  void Play();
  // Mode 0 pauses an unchanged tune (PLAY resumes it); mode 1, or a changed tune, stops.
  void StopPlay(int mode);

  // The buttons.
  void OnClickPlay();
  void OnClickStop() { StopPlay(0); }
  void OnClickRew() { Play(); }
  void OnClickLoop();
  void OnPlayPrev();
  void OnPlayNext();
  void OnClickPatch();
  // The position display, every 100 ms while playing.
  void OnPlayTimer();

  bool TuneReady() const { return tuneReady_; }
  bool TuneChanged() const { return tuneChanged_; }
  const TuneTiming& Timing() const { return timing_; }
  int Columns() const { return columns_; }
  int CurrentColumn() const { return currentColumn_; }
  const LoopSelection& Loop() const { return loop_; }

  QWidget* PlayerPan() const { return playerPan_; }
  QToolButton* RewButton() const { return btnRew_; }
  QToolButton* PlayButton() const { return btnPlay_; }
  QToolButton* StopButton() const { return btnStop_; }
  QToolButton* LoopSwitch() const { return btnLoop_; }
  QToolButton* PrevButton() const { return btnPrev_; }
  QToolButton* NextButton() const { return btnNext_; }
  QToolButton* PatchButton() const { return btnPatch_; }
  QLabel* LCDTime() const { return lcdTime_; }
  QLabel* TuneName() const { return labTuneName_; }
  TKnob* KnobPitch() const { return knobPitch_; }
  TKnob* KnobSpeed() const { return knobSpeed_; }
  TKnob* KnobVolume() const { return knobVolume_; }
  QLabel* LabPitch() const { return labPitch_; }
  QLabel* LabSpeed() const { return labSpeed_; }
  QLabel* LabVolume() const { return labVolume_; }
  TMeasureGrid* GridMesure() const { return grid_; }
  QScrollBar* TrackBar() const { return trackBar_; }
  QTimer* PlayTimer() const { return playTimer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Q_INVOKABLE void OnPlayerStop(int playNumber);

  struct KnobNames {
    const char* knob;
    const char* label;
    const char* caption;
  };
  void Build();
  QWidget* BuildKnob(QWidget* parent, const KnobNames& names, int min, int max, TKnob*& knob, QLabel*& label);
  // Converts `parser`'s tune into the player's container with the player stopped.
  void Convert(const TAbcParser& parser, const QString& title);
  void ClearLoop();
  void ShowColumns();
  void UpdateTrackBar();
  void OnTrackBarMoved(int position);
  void OnGridMouseDown(int button, int column);
  void OnGridMouseMove(int column);
  void OnGridMouseUp(int button, int column);
  void OnGridDoubleClick(int column);
  // Left button +1, any other -1 on the knob, which keeps its range.
  void AdjustKnob(TKnob* knob, bool up);
  void FocusLastExitGrid();
  QString FileLabel(const TAbcFile* file) const;

  TZymMidiPlayer& player_;
  TAbcMidi& converter_;
  const TAbcParser& parser_;
  MidiSettings& settings_;
  std::unique_ptr<TAbcParser> setParser_;  // reads sets, so the tune on screen stays in the shared parser
  ITuneBrowser* browser_ = nullptr;
  QPointer<TDlgSelPatch> patchDialog_;

  // The tune on screen and the tune prepared: a file and a digest of its text.
  const TAbcFile* shownFile_ = nullptr;
  size_t shownDigest_ = 0;
  const TAbcFile* preparedFile_ = nullptr;
  size_t preparedDigest_ = 0;
  bool tuneChanged_ = false;
  bool editedSincePrepared_ = false;  // the editor changed the tune since it was prepared
  bool tuneReady_ = false;
  QString preparedTitle_;
  TuneTiming timing_;
  int columns_ = 32;
  int currentColumn_ = 0;
  LoopSelection loop_;
  bool resumeAfterGrid_ = false;  // a press on the grid paused a playing tune
  int playNumber_ = 0;

  QPointer<QWidget> playerPan_;
  QTimer* playTimer_ = nullptr;
  QToolButton* btnRew_ = nullptr;
  QToolButton* btnPlay_ = nullptr;
  QToolButton* btnStop_ = nullptr;
  QToolButton* btnLoop_ = nullptr;
  QToolButton* btnPrev_ = nullptr;
  QToolButton* btnNext_ = nullptr;
  QToolButton* btnPatch_ = nullptr;
  QLabel* lcdTime_ = nullptr;
  QLabel* labTuneName_ = nullptr;
  TKnob* knobPitch_ = nullptr;
  TKnob* knobSpeed_ = nullptr;
  TKnob* knobVolume_ = nullptr;
  QLabel* labPitch_ = nullptr;
  QLabel* labSpeed_ = nullptr;
  QLabel* labVolume_ = nullptr;
  TMeasureGrid* grid_ = nullptr;
  QScrollBar* trackBar_ = nullptr;
};

}  // namespace rq
