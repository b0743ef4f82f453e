#include "score/screens/ScoreEcr.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "notation/AbcParser.h"
#include "platform/Cp1252.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"
#include "score/ScoreZoom.h"
#include "score/screens/ScoreGrid.h"
#include "score/screens/ScoreRuler.h"

namespace rq {
namespace {

constexpr int kRulerThickness = 22;
constexpr int kVRulerThickness = 14;

QString Display(const std::string& bytes) { return QString::fromStdString(DisplayUtf8(bytes)); }

QLabel* TitleLabel(QWidget* parent, const char* name, int cellHeight) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(PainterCanvas::QtFont({kNumberFace, cellHeight, true}, nullptr));
  return label;
}

QToolButton* RulerButton(QWidget* parent, const char* name, const char* text, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(QString::fromLatin1(text));
  button->setToolTip(QString::fromLatin1(hint));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

// The horizontal ruler and the title strip above the rows, as wide as the rows and
// moved sideways with them when they scroll; the view cuts them at its own width.
class ScoreHeader : public QWidget {
 public:
  ScoreHeader(QWidget* ruler, QWidget* titles, QWidget* parent) : QWidget(parent), ruler_(ruler), titles_(titles) {
    ruler_->setParent(this);
    titles_->setParent(this);
    titles_->installEventFilter(this);
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Place();
  }
  void SetLeftOffset(int offset) {
    offset_ = offset;
    Place();
  }
  QSize sizeHint() const override {
    return {ruler_->width(), ruler_->height() + titles_->sizeHint().height()};
  }
  QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

 protected:
  void resizeEvent(QResizeEvent* /*event*/) override { Place(); }
  // The title strip asks for another height when its font or texts change.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == titles_ && event->type() == QEvent::LayoutRequest) {
      updateGeometry();
      Place();
    }
    return false;
  }

 private:
  void Place() {
    ruler_->move(-offset_, 0);
    titles_->setGeometry(-offset_, ruler_->height(), titles_->width(), titles_->sizeHint().height());
  }

  QWidget* ruler_;
  QWidget* titles_;
  int offset_ = 0;
};

TScoreEcr::TScoreEcr(ScoreViewSettings settings, QObject* parent)
    : QObject(parent), settings_(settings), page_(std::make_unique<TScorePage>()) {
  Build();
}

TScoreEcr::~TScoreEcr() { delete panScore_; }

void TScoreEcr::Build() {
  panScore_ = new QWidget;
  panScore_->setObjectName("PanScore");
  auto* layout = new QVBoxLayout(panScore_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // The horizontal ruler, its length the row width, holding the buttons.
  rulerH_ = new TScoreRuler(Qt::Horizontal, kRulerThickness, panScore_);
  rulerH_->setObjectName("PanRulerH");
  rulerH_->SetRange(kHRulerMin, kHRulerMax);
  auto* buttons = new QHBoxLayout(rulerH_);
  buttons->setContentsMargins(2, 0, TScoreRuler::kGrip + 2, 0);
  buttons->setSpacing(1);
  btnZoomM_ = RulerButton(rulerH_, "btnZoomM", "-", "Zoom (-)");
  btnZoomP_ = RulerButton(rulerH_, "btnZoomP", "+", "Zoom (+)");
  btnPrev_ = RulerButton(rulerH_, "btnPrev", "<", "Previous");
  btnNext_ = RulerButton(rulerH_, "btnNext", ">", "Next");
  for (QToolButton* b : {btnZoomM_, btnZoomP_, btnPrev_, btnNext_}) buttons->addWidget(b);
  buttons->addStretch(1);

  // The title strip, as wide as the rows.
  panScrTitre_ = new QWidget(panScore_);
  panScrTitre_->setObjectName("PanScrTitre");
  panScrTitre_->setAutoFillBackground(true);
  QPalette white = panScrTitre_->palette();
  white.setColor(QPalette::Window, Qt::white);
  panScrTitre_->setPalette(white);
  auto* titles = new QHBoxLayout(panScrTitre_);
  titles->setContentsMargins(10, 2, 10, 2);
  stxName_ = TitleLabel(panScrTitre_, "stxName", 19);
  stxType_ = TitleLabel(panScrTitre_, "stxType", 15);
  stxCompos_ = TitleLabel(panScrTitre_, "stxCompos", 16);
  titles->addWidget(stxName_);
  titles->addSpacing(12);
  titles->addWidget(stxType_);
  titles->addStretch(1);
  titles->addWidget(stxCompos_);
  header_ = new ScoreHeader(rulerH_, panScrTitre_, panScore_);
  header_->setObjectName("PanScoreHeader");
  auto* headerRow = new QHBoxLayout;
  headerRow->addSpacing(kVRulerThickness);
  headerRow->addWidget(header_, 1);
  layout->addLayout(headerRow);

  labCut_ = new QLabel(panScore_);
  labCut_->setObjectName("LabCut");
  labCut_->setWordWrap(true);
  labCut_->setMargin(4);
  labCut_->hide();
  layout->addWidget(labCut_);

  // The vertical ruler beside the rows: its length sets their height.
  // A view shorter than the ruler cuts it rather than grow for it.
  auto* rulerClip = new QWidget(panScore_);
  rulerClip->setObjectName("PanRulerVClip");
  rulerClip->setFixedWidth(kVRulerThickness);
  rulerClip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  rulerV_ = new TScoreRuler(Qt::Vertical, kVRulerThickness, rulerClip);
  rulerV_->setObjectName("PanRulerV");
  rulerV_->SetRange(kVRulerMin, kVRulerMax);
  grid_ = new TScoreGrid(panScore_);
  grid_->setObjectName("GridScore");
  auto* body = new QHBoxLayout;
  body->addWidget(rulerClip);
  body->addWidget(grid_, 1);
  layout->addLayout(body, 1);

  connect(btnZoomM_, &QToolButton::clicked, this, &TScoreEcr::OnZoomM);
  connect(btnZoomP_, &QToolButton::clicked, this, &TScoreEcr::OnZoomP);
  connect(btnPrev_, &QToolButton::clicked, this, &TScoreEcr::PrevTune);
  connect(btnNext_, &QToolButton::clicked, this, &TScoreEcr::NextTune);
  connect(rulerH_, &TScoreRuler::LengthChanged, this, &TScoreEcr::OnResizeRuler);
  connect(rulerV_, &TScoreRuler::LengthChanged, this, &TScoreEcr::OnResizeVRuler);
  connect(grid_, &TScoreGrid::ScrolledAcross, header_, &ScoreHeader::SetLeftOffset);
}

void TScoreEcr::OnCreate(QWidget* host) {
  if (host && host->layout()) host->layout()->addWidget(panScore_);
  grid_->SetPage(page_.get());
  // Settings are limited here, where they are read: nothing out of range reaches the drawing.
  rulerH_->SetLength(settings_.HRuler);
  OnResizeRuler(rulerH_->Length());
  rulerV_->SetLength(settings_.VRuler);
  OnResizeVRuler(rulerV_->Length());
  stxName_->clear();
  stxType_->clear();
  stxCompos_->clear();
  SetZoom(settings_.ScrZoom, +1);
}

void TScoreEcr::SetZoom(int size, int step) {
  const int s = StepScoreZoom(size, step);
  settings_.ScrZoom = s;
  zoomSize_ = s;
  beamThickness_ = BeamThicknessFor(s);
  grid_->SetFontSize(s);
  grid_->SetBeamThickness(beamThickness_);
}

void TScoreEcr::OnZoomM() { SetZoom(zoomSize_ - 1, -1); }

void TScoreEcr::OnZoomP() { SetZoom(zoomSize_ + 1, +1); }

int TScoreEcr::ShowTune(const TAbcParser& parser) {
  grid_->SetTopRow(0);
  stxName_->setText(Display(parser.Title()));
  stxCompos_->setText(Display(parser.Composer()));
  stxType_->setText(parser.Rhythm().empty() ? QString() : "(" + Display(parser.Rhythm()) + ")");
  page_->Build(parser.Elements());
  grid_->SetPage(page_.get());
  if (parser.Cut()) {
    const auto elements = parser.Elements();
    const auto notes =
        std::count_if(elements.begin(), elements.end(), [](const TAbc* e) { return e->Kind == kAbcNote; });
    labCut_->setText(QString("This tune is too long to draw whole: only its first %1 notes are drawn and played.")
                         .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(notes))));
  }
  labCut_->setVisible(parser.Cut());
  return 0;
}

void TScoreEcr::OnResizeRuler(int width) {
  width = std::clamp(width, kHRulerMin, kHRulerMax);
  grid_->SetColWidth(width);
  panScrTitre_->setFixedWidth(width);
  header_->updateGeometry();
  settings_.HRuler = width;
}

void TScoreEcr::OnResizeVRuler(int height) {
  height = std::clamp(height, kVRulerMin, kVRulerMax);
  grid_->SetRowHeight(height - kRulerToRowHeight);
  settings_.VRuler = height;
}

}  // namespace rq
