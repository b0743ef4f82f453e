#include "app/BrowserLinks.h"

#include "app/AppContext.h"
#include "app/MainEcr.h"
#include "library/FileAbc.h"
#include "midi/AbcToMidi.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"

namespace rq {

int32_t TBrowserHost::ShowTune(TAbcFile* file, int32_t row) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->ShowTune(file, row) : kCtrlRefused;
}

void TBrowserHost::SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) {
  if (TCtrlFile* control = app_.FileControl()) control->SetViewMode(file, mode, filterOn);
}

int32_t TBrowserHost::TuneToTrash(TAbcFile* file, int32_t row) {
  TCtrlFile* control = app_.FileControl();
  TAbcFile* trash = control ? control->Trash() : nullptr;
  if (!file || !trash || !file->GetRec(row)) return kCtrlRefused;
  if (file != trash) {
    TLines lines;
    file->CopyTuneLines(row, lines, true);
    trash->AddTunes(lines, true, 0);
  }
  return file->DeleteTune(row, true) == 0 ? kCtrlOk : kCtrlRefused;
}

bool TBrowserHost::IsTrash(const TAbcFile* file) const {
  const TCtrlFile* control = app_.FileControl();
  return control && file && control->Trash() == file;
}

void TBrowserHost::ExpandList(bool expand) {
  if (TMainEcr* main = app_.MainEcr()) main->ShowBottomArea(!expand);
}

void TBrowserPlayer::PrepareTune() {
  TZymMidiPlayer* player = app_.MidiPlayer();
  if (!player || !app_.AbcMidi() || !app_.TuneParser()) return;
  // Nothing is converted into the container while the timer thread can read it.
  player->Stop();
  player->RefillContainer([this](TMidiContainer& container) {
    app_.AbcMidi()->Convert(app_.TuneParser()->Elements(), &container);
  });
  ready_ = true;
}

void TBrowserPlayer::Play() {
  TZymMidiPlayer* player = app_.MidiPlayer();
  if (!player || !ready_) return;
  if (player->Playing()) player->Stop();
  player->Start();
}

void TBrowserPlayer::StopPlay(int mode) {
  TZymMidiPlayer* player = app_.MidiPlayer();
  if (!player) return;
  if (mode == 1) {
    player->Stop();
  } else {
    player->Pause(true);
  }
}

bool TBrowserPlayer::IsPlaying() const {
  const TZymMidiPlayer* player = app_.MidiPlayer();
  return player && player->Playing();
}

}  // namespace rq
