// The score view: the tune parsed last as staff notation, under a title strip with
// its title, rhythm and composer. Rulers set the row width and height, two buttons
// the music font size, two more step through the browser's list.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

class QLabel;
class QToolButton;
class QWidget;

namespace rq {

class TAbcParser;
class ScoreHeader;
class TScoreGrid;
class TScorePage;
class TScoreRuler;

// The settings the view reads at start and writes as the user changes them; they
// must outlive the view.
struct ScoreViewSettings {
  int32_t& HRuler;   // row width
  int32_t& VRuler;   // vertical ruler height; rows are 64 pixels less
  int32_t& ScrZoom;  // music font size
};

// The limits of the rulers; a settings file may hold anything.
inline constexpr int kHRulerMin = 200;
inline constexpr int kHRulerMax = 4000;
inline constexpr int kVRulerMin = 124;
inline constexpr int kVRulerMax = 240;
inline constexpr int kRulerToRowHeight = 64;

class TScoreEcr : public QObject {
  Q_OBJECT

 public:
  explicit TScoreEcr(ScoreViewSettings settings, QObject* parent = nullptr);
  // Frees the view's panel wherever it lives.
  ~TScoreEcr() override;

  // Moves the view's panel into `host` and applies the settings.
  void OnCreate(QWidget* host);

  // Shows the tune the parser holds: its title strip and its rows, scrolled to the
  // top. Returns 0.
  int ShowTune(const TAbcParser& parser);

  // The zoom size becomes `size` moved to an allowed size in the direction of `step`;
  // the beam thickness follows. Also stored in the settings.
  void SetZoom(int size, int step);
  void OnZoomM();
  void OnZoomP();

  int ZoomSize() const { return zoomSize_; }
  int BeamThickness() const { return beamThickness_; }

  QWidget* PanScore() const { return panScore_; }
  TScoreGrid* GridScore() const { return grid_; }
  TScoreRuler* RulerH() const { return rulerH_; }
  TScoreRuler* RulerV() const { return rulerV_; }
  QLabel* NameLabel() const { return stxName_; }
  QLabel* TypeLabel() const { return stxType_; }
  QLabel* ComposerLabel() const { return stxCompos_; }
  // Says that only the start of a tune too long to draw whole is drawn; hidden otherwise.
  QLabel* CutLabel() const { return labCut_; }
  QToolButton* ZoomMinusButton() const { return btnZoomM_; }
  QToolButton* ZoomPlusButton() const { return btnZoomP_; }
  QToolButton* PrevButton() const { return btnPrev_; }
  QToolButton* NextButton() const { return btnNext_; }
  const TScorePage& Page() const { return *page_; }

 signals:
  // The previous and next buttons: the browser's list should move one tune.
  void PrevTune();
  void NextTune();

 private:
  void Build();
  void OnResizeRuler(int width);
  void OnResizeVRuler(int height);

  ScoreViewSettings settings_;
  std::unique_ptr<TScorePage> page_;
  int zoomSize_ = 0;
  int beamThickness_ = 2;
  QPointer<QWidget> panScore_;
  TScoreGrid* grid_ = nullptr;
  TScoreRuler* rulerH_ = nullptr;
  TScoreRuler* rulerV_ = nullptr;
  QWidget* panScrTitre_ = nullptr;
  ScoreHeader* header_ = nullptr;
  QLabel* stxName_ = nullptr;
  QLabel* stxType_ = nullptr;
  QLabel* stxCompos_ = nullptr;
  QLabel* labCut_ = nullptr;
  QToolButton* btnZoomM_ = nullptr;
  QToolButton* btnZoomP_ = nullptr;
  QToolButton* btnPrev_ = nullptr;
  QToolButton* btnNext_ = nullptr;
};

}  // namespace rq
