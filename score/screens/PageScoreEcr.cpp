// The preview draws one slider unit as one pixel at zoom 1, the printer as 5 × page
// width / 2100 device pixels: the same rows, other metrics.
#include "score/screens/PageScoreEcr.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <algorithm>
#include <functional>

#include "score/PainterCanvas.h"
#include "score/screens/PrintGlyphs.h"

namespace rq {
namespace {

constexpr int kToolRowHeight = 40;
// The sheet with its scroll bar, and the print list beside it.
constexpr int kPanelWidth = 460;
constexpr int kListWidth = 260;
// Where the sheet lies in its scroll box.
constexpr QPoint kSheetOffset{8, 5};
// The sheet after zooming out below 1: two pixels more each way than at the start.
constexpr QSize kResetSheet{422, 596};
const QColor kLight(0xE3, 0xE3, 0xE3);  // the scroll box and the left margin's frame
const QColor kBand(0xF0, 0xF0, 0xF0);   // the border around the rows

// The sheet's own widget: it paints what the preview gives it.
class SheetWidget : public QWidget {
 public:
  SheetWidget(std::function<void(QPainter&)> paint, QWidget* parent) : QWidget(parent), paint_(std::move(paint)) {
    setObjectName("PanPage");
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    paint_(painter);
  }

 private:
  std::function<void(QPainter&)> paint_;
};

int Scaled(int value, float zoom) { return static_cast<int>(static_cast<float>(value) * zoom); }

// A size scaled by num/den, rounded as a proportional resize rounds.
QSize ScaleSize(QSize size, int num, int den) {
  return {(size.width() * num + den / 2) / den, (size.height() * num + den / 2) / den};
}

// A labelled slider: the caption above, in a smaller font.
QWidget* SliderBox(const QString& caption, SettingRange range, QLabel*& label, QSlider*& slider) {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  label = new QLabel(caption, box);
  QFont small = label->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  label->setFont(small);
  label->setAlignment(Qt::AlignHCenter);
  slider = new QSlider(Qt::Horizontal, box);
  slider->setRange(range.Min, range.Max);
  slider->setSingleStep(1);
  slider->setFixedWidth(100);
  slider->setFocusPolicy(Qt::NoFocus);
  column->addWidget(label);
  column->addWidget(slider);
  return box;
}

// One of the tool bar's sliders. The bar shows the slider itself; while the bar has no
// room for it, the bar's arrow hands out a copy under the same caption, which moves
// the slider and follows it.
class SliderAction : public QWidgetAction {
 public:
  SliderAction(const char* name, const char* caption, SettingRange range, QObject* parent)
      : QWidgetAction(parent), range_(range) {
    box_ = SliderBox(QString::fromLatin1(caption), range, label_, slider_);
    slider_->setObjectName(QString::fromLatin1(name));
  }
  ~SliderAction() override { delete box_.data(); }
  QSlider* Slider() const { return slider_; }
  QLabel* Label() const { return label_; }

 protected:
  QWidget* createWidget(QWidget* parent) override {
    if (qobject_cast<QToolBar*>(parent)) {
      box_->setParent(parent);
      return box_;
    }
    QLabel* label = nullptr;
    QSlider* slider = nullptr;
    auto* copy = new QWidget(parent);
    auto* layout = new QVBoxLayout(copy);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->addWidget(SliderBox(label_->text(), range_, label, slider));
    slider->setValue(slider_->value());
    connect(slider, &QSlider::valueChanged, slider_, &QSlider::setValue);
    connect(slider_, &QSlider::valueChanged, slider, &QSlider::setValue);
    return copy;
  }
  void deleteWidget(QWidget* widget) override {
    widget->hide();
    if (widget != box_) widget->deleteLater();
  }

 private:
  SettingRange range_;
  QPointer<QWidget> box_;
  QLabel* label_ = nullptr;
  QSlider* slider_ = nullptr;
};

// A tool button of the bar: its action's icon alone.
void StyleToolButton(QWidget* button, const char* name) {
  if (!button) return;
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedSize(31, 30);
  if (auto* tool = qobject_cast<QToolButton*>(button)) tool->setIconSize(QSize(24, 24));
}

}  // namespace

// The sheet's parts at the current zoom, in sheet pixels.
struct TPageScoreEcr::Geometry {
  int border = 0;
  int glut = 0;
  QRect grid;  // where the rows go
  int rowHeight = 1;
  int fontHeight = 1;
};

TPageScoreEcr::TPageScoreEcr(PageSettingsRefs settings, QObject* parent) : QObject(parent), settings_(settings) {
  Build();
}

TPageScoreEcr::~TPageScoreEcr() { delete panPreview_.data(); }

void TPageScoreEcr::Build() {
  panPreview_ = new QWidget;
  panPreview_->setObjectName("PanPreview");
  panPreview_->setMinimumWidth(200);
  auto* layout = new QVBoxLayout(panPreview_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // A tool bar: narrower than its tools, it shows those that fit and hands the
  // others out from its arrow, the sliders as sliders. The zoom and page buttons
  // come with their actions.
  bar_ = new QToolBar(panPreview_);
  bar_->setObjectName("Panel7");
  bar_->setFixedHeight(kToolRowHeight);
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->layout()->setContentsMargins(4, 2, 4, 2);
  bar_->layout()->setSpacing(2);
  trckFont_ = AddSlider("trckFont", "Font Size", kPageFontRange, lbFtSize_);
  trckRow_ = AddSlider("trckRow", "Line Height", kPageRowRange, lbLine_);
  trckMargin_ = AddSlider("trckMargin", "Border Size", kPageBorderRange, lbMargin_);
  trckGlut_ = AddSlider("trckGlut", "Left Margin", kPageLeftRange, lbGlut_);
  layout->addWidget(bar_);
  connect(trckFont_, &QSlider::valueChanged, this, &TPageScoreEcr::OnChangeFont);
  connect(trckRow_, &QSlider::valueChanged, this, &TPageScoreEcr::OnChangeRow);
  connect(trckMargin_, &QSlider::valueChanged, this, &TPageScoreEcr::OnChageMargin);
  connect(trckGlut_, &QSlider::valueChanged, this, &TPageScoreEcr::OnChangeGlut);

  scrPrev_ = new QScrollArea(panPreview_);
  scrPrev_->setObjectName("ScrPrev");
  scrPrev_->setFrameShape(QFrame::NoFrame);
  scrPrev_->setWidgetResizable(false);
  QPalette palette = scrPrev_->palette();
  palette.setColor(QPalette::Window, kLight);
  scrPrev_->setPalette(palette);
  scrPrev_->setBackgroundRole(QPalette::Window);
  auto* holder = new QWidget;
  holder->setAutoFillBackground(false);
  sheetWidget_ = new SheetWidget([this](QPainter& painter) { PaintSheet(painter); }, holder);
  sheetWidget_->move(kSheetOffset);
  scrPrev_->setWidget(holder);
  layout->addWidget(scrPrev_, 1);
  SheetChanged();
}

QSlider* TPageScoreEcr::AddSlider(const char* name, const char* caption, SettingRange range, QLabel*& label) {
  auto* action = new SliderAction(name, caption, range, bar_);
  bar_->addAction(action);
  if (!firstSlider_) firstSlider_ = action;
  label = action->Label();
  return action->Slider();
}

void TPageScoreEcr::SetActions(const PreviewActions& actions) {
  GiveGlyph(actions.zoomMinus, PrintGlyph::ZoomMinus);
  GiveGlyph(actions.zoomPlus, PrintGlyph::ZoomPlus);
  GiveGlyph(actions.pageMinus, PrintGlyph::PagePrev);
  GiveGlyph(actions.pagePlus, PrintGlyph::PageNext);
  // The zoom buttons go before the sliders, the page buttons after them.
  const struct {
    QAction* action;
    const char* name;
    QAction* before;
  } tools[] = {{actions.zoomMinus, "btnZoomM", firstSlider_},
               {actions.zoomPlus, "BtnZoomP", firstSlider_},
               {actions.pageMinus, "btnPageM", nullptr},
               {actions.pagePlus, "BtnPageP", nullptr}};
  for (const auto& tool : tools) {
    if (!tool.action) continue;
    bar_->insertAction(tool.before, tool.action);
    StyleToolButton(bar_->widgetForAction(tool.action), tool.name);
  }
}

void TPageScoreEcr::OnCreate(QWidget* host) {
  if (host) {
    if (auto* split = host->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly)) {
      split->insertWidget(0, panPreview_);
      split->setStretchFactor(0, 0);
      split->setStretchFactor(1, 1);
      split->setSizes({kPanelWidth, kListWidth});
    } else if (host->layout()) {
      host->layout()->addWidget(panPreview_);
    }
  }
  const PageSettings s =
      ClampPageSettings({settings_.PfSize, settings_.PfRow, settings_.PfBorder, settings_.PfMargin});
  settings_.PfSize = s.FontSize;
  settings_.PfRow = s.RowHeight;
  settings_.PfBorder = s.Border;
  settings_.PfMargin = s.LeftMargin;
  const std::pair<QSlider*, int32_t> values[] = {
      {trckFont_, s.FontSize}, {trckRow_, s.RowHeight}, {trckMargin_, s.Border}, {trckGlut_, s.LeftMargin}};
  for (const auto& [slider, value] : values) {
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
  }
  PlacePage();
  SheetChanged();
}

PageSettings TPageScoreEcr::Settings() const {
  return {trckFont_->value(), trckRow_->value(), trckMargin_->value(), trckGlut_->value()};
}

TPageScoreEcr::Geometry TPageScoreEcr::SheetGeometry() const {
  const PageSettings s = Settings();
  Geometry g;
  g.border = Scaled(s.Border, zoom_);
  g.glut = Scaled(s.LeftMargin, zoom_);
  g.grid = QRect(g.border + g.glut, g.border, std::max(1, sheet_.width() - 2 * g.border - g.glut),
                 std::max(0, sheet_.height() - 2 * g.border));
  g.rowHeight = std::max(1, Scaled(s.RowHeight, zoom_));
  g.fontHeight = std::max(1, Scaled(s.FontSize, zoom_));
  return g;
}

const PagePlan& TPageScoreEcr::Plan() {
  const Geometry g = SheetGeometry();
  const PlanKey key{g.rowHeight, g.grid.width(), g.grid.height(), g.fontHeight, rowsShown_};
  if (key == planKey_) return plan_;
  // Measured on an image: fonts are set in pixels, so the widths are the sheet's.
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  PainterCanvas canvas(painter, {kMusicFace, g.fontHeight, false});
  TDrawCtxt ctx = PageContext(canvas, g.fontHeight);
  plan_ = PlanPages(rows_, PageRowRooms(ctx, rows_, g.rowHeight, g.grid.width()), g.rowHeight, g.grid.height());
  planKey_ = key;
  return plan_;
}

// ---- sliders, zoom and pages ----------------------------------------------------

void TPageScoreEcr::OnChangeFont(int value) {
  settings_.PfSize = value;
  PlacePage();
}

void TPageScoreEcr::OnChangeRow(int value) {
  settings_.PfRow = value;
  PlacePage();
}

void TPageScoreEcr::OnChageMargin(int value) {
  settings_.PfBorder = value;
  PlacePage();
}

void TPageScoreEcr::OnChangeGlut(int value) {
  settings_.PfMargin = value;
  PlacePage();
}

void TPageScoreEcr::PlacePage() {
  const PagePlan& plan = Plan();
  const size_t page = static_cast<size_t>(currentPage_ - 1);
  pageTopRow_ = page < plan.size() && !plan[page].empty() ? static_cast<int>(plan[page].front().Index)
                                                          : static_cast<int>(rows_.size());
  sheetWidget_->update();
}

void TPageScoreEcr::OnZoomP() {
  if (zoom_ < kPreviewZoomMax) {
    zoom_ = zoom_ * 3 / 2;
    sheet_ = ScaleSize(sheet_, 3, 2);
  }
  SheetChanged();
}

void TPageScoreEcr::OnZoomM() {
  zoom_ = zoom_ * 2 / 3;
  if (zoom_ < 1.0f) {
    zoom_ = 1.0f;
    sheet_ = kResetSheet;
  } else {
    sheet_ = ScaleSize(sheet_, 2, 3);
  }
  SheetChanged();
}

void TPageScoreEcr::OnPagePlus() {
  ++currentPage_;
  PlacePage();
}

void TPageScoreEcr::OnPageMoins() {
  currentPage_ = std::max(1, currentPage_ - 1);
  PlacePage();
}

void TPageScoreEcr::SheetChanged() {
  sheetWidget_->resize(sheet_);
  sheetWidget_->parentWidget()->resize(sheet_ + QSize(2 * kSheetOffset.x(), 2 * kSheetOffset.y()));
  PlacePage();
}

// ---- painting -------------------------------------------------------------------

void TPageScoreEcr::PaintSheet(QPainter& painter) {
  const Geometry g = SheetGeometry();
  const QRect page(QPoint(0, 0), sheet_);
  painter.fillRect(page, kBand);
  painter.fillRect(QRect(g.border, g.border, sheet_.width() - 2 * g.border, g.grid.height()), Qt::white);
  if (g.glut > 1) {
    painter.setPen(kLight);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(g.border, g.border, g.glut - 1, g.grid.height() - 1));
  }
  {
    painter.save();
    painter.setClipRect(g.grid);
    PainterCanvas canvas(painter, {kMusicFace, g.fontHeight, false});
    TDrawCtxt ctx = PageContext(canvas, g.fontHeight);
    const PagePlan& plan = Plan();
    const size_t page = static_cast<size_t>(currentPage_ - 1);
    if (page < plan.size()) {
      for (const PlacedRow& placed : plan[page]) {
        const int top = g.grid.top() + placed.Top;
        const RowRect cell{g.grid.left(), top, g.grid.left() + g.grid.width(), top + g.rowHeight};
        PaintPageRow(painter, ctx, *rows_[placed.Index], cell, kPreviewTitleFonts);
      }
    }
    painter.restore();
  }
  PaintFooter(painter, sheet_.width() * 5 / 100, sheet_.height() - sheet_.height() * 5 / 100,
              std::max(8, g.fontHeight / 5));
}

// ---- jobs -----------------------------------------------------------------------

bool TPageScoreEcr::PreviewTunes(const TAbcFile& list, bool all) {
  if (printing_) return false;
  builder_.AddList(list, all);
  ShowRows(builder_.Take());
  return true;
}

PrintOutcome TPageScoreEcr::PrintTunes(QPrinter& printer, const TAbcFile& list, bool all) {
  if (printing_) return {0, "Another print job is under way."};
  builder_.AddList(list, all);
  return Print(printer, builder_.Take());
}

PrintOutcome TPageScoreEcr::PrintTune(QPrinter& printer, const TLines& lines) {
  if (printing_) return {0, "Another print job is under way."};
  builder_.AddTune(lines);
  return Print(printer, builder_.Take());
}

PrintOutcome TPageScoreEcr::Print(QPrinter& printer, PageRows rows) {
  printing_ = true;
  const auto done = qScopeGuard([this] { printing_ = false; });
  const PageSettings settings = Settings();
  // The window keeps painting between pages; what the user does waits for the end.
  const PageHook pageDone = [this](int page) {
    emit PagePrinted(page);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  PrintOutcome outcome;
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    const std::string path = printer.outputFileName().toStdString();
    if (path.empty() && !rows.empty()) {
      outcome.Error = "No file was named to print into.";
    } else {
      outcome = PrintPagesToPdf(path, rows, settings, printer.pageLayout(), pageDone);
    }
  } else {
    outcome = PrintPages(printer, rows, settings, pageDone);
    if (!outcome.Ok()) outcome.Error = "Cannot print on \"" + printer.printerName().toStdString() + "\": " + outcome.Error;
  }
  ShowRows(std::move(rows));
  return outcome;
}

void TPageScoreEcr::ShowRows(PageRows rows) {
  rows_ = std::move(rows);
  ++rowsShown_;
  currentPage_ = 1;
  pageTopRow_ = 0;
  sheetWidget_->update();
}

}  // namespace rq
