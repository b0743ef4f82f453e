// What the player panel and the score view ask of the tune browser.
#pragma once

namespace rq {

// The browser's list seen from the screens that follow it. The score view's
// previous and next buttons and the player's PREV and NEXT move through the list;
// the player gives the keyboard focus back to the grid the user left.
class ITuneBrowser {
 public:
  virtual ~ITuneBrowser() = default;
  // One tune up or down the list, shown (the score and the panel hear of it when the
  // open-files controller shows it).
  virtual void ShowPrevTune() = 0;
  virtual void ShowNextTune() = 0;
  // One tune up or down the list, shown and played.
  virtual void PlayPrevTune() = 0;
  virtual void PlayNextTune() = 0;
  // Focuses the list or set grid that last lost the focus; false when there is none
  // or it cannot take the focus.
  virtual bool FocusLastExitGrid() = 0;
};

}  // namespace rq
