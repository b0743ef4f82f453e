// The page preview and printing: the rows of a job (a title row per tune, then its
// staff rows) shown on a sheet of paper with zoom and page steps, and printed on a
// printer or into a PDF file page by page with a footer line. Four sliders set the
// music font size, the row height, the border and the left margin of both.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <cstdint>

#include "platform/ByteText.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"

class QAction;
class QLabel;
class QPrinter;
class QScrollArea;
class QSlider;
class QToolBar;
class QToolButton;

namespace rq {

class TAbcFile;

// The settings the preview reads at start and writes as the sliders move; they must
// outlive the preview.
struct PageSettingsRefs {
  int32_t& PfSize;
  int32_t& PfRow;
  int32_t& PfBorder;
  int32_t& PfMargin;
};

struct PreviewActions {
  QAction* zoomMinus = nullptr;
  QAction* zoomPlus = nullptr;
  QAction* pageMinus = nullptr;
  QAction* pagePlus = nullptr;
};

// The preview's zoom steps: 1, 1.5, 2.25 and 3.375.
inline constexpr float kPreviewZoomMax = 3.375f;
// The sheet at zoom 1: A4 at two pixels per millimetre.
inline constexpr QSize kPreviewSheet{420, 594};

class TPageScoreEcr : public QObject {
  Q_OBJECT

 public:
  explicit TPageScoreEcr(PageSettingsRefs settings, QObject* parent = nullptr);
  // Frees the preview's panel wherever it lives.
  ~TPageScoreEcr() override;

  // The tool buttons carry these actions (each may be null).
  void SetActions(const PreviewActions& actions);
  // Moves the preview into `host` (before the splitter's other panel when it holds
  // one); the sliders take the settings, brought into their ranges and written back.
  void OnCreate(QWidget* host);

  // Shows the rows of the list's tunes (all, or the marked ones) from the first page.
  // False, changing nothing, while a job prints.
  bool PreviewTunes(const TAbcFile& list, bool all);
  // Print jobs on the printer, or into the PDF file it names: the rows are the job's
  // own and its metrics come from the printer's page. The preview then shows what was
  // printed, from its first page. Refused (an outcome with an error) while a job prints;
  // while one prints, pending events other than the user's are handled after each page.
  PrintOutcome PrintTunes(QPrinter& printer, const TAbcFile& list, bool all);
  PrintOutcome PrintTune(QPrinter& printer, const TLines& lines);
  bool Printing() const { return printing_; }

  void OnZoomP();
  void OnZoomM();
  void OnPagePlus();
  void OnPageMoins();

  // What the preview shows.
  float Zoom() const { return zoom_; }
  int CurrentPage() const { return currentPage_; }
  int PageTopRow() const { return pageTopRow_; }
  // The rows of each page as the current sheet places them, as printing does.
  const PagePlan& Plan();
  const PageRows& Rows() const { return rows_; }
  QSize SheetSize() const { return sheet_; }
  // The current slider values.
  PageSettings Settings() const;

  QWidget* PanPreview() const { return panPreview_; }
  // The tool bar: zoom, the four sliders, pages.
  QToolBar* ToolBar() const { return bar_; }
  QWidget* Sheet() const { return sheetWidget_; }
  QSlider* FontSlider() const { return trckFont_; }
  QSlider* RowSlider() const { return trckRow_; }
  QSlider* BorderSlider() const { return trckMargin_; }
  QSlider* LeftSlider() const { return trckGlut_; }
  // The sliders' labels, which a language file translates.
  QLabel* FontLabel() const { return lbFtSize_; }
  QLabel* RowLabel() const { return lbLine_; }
  QLabel* BorderLabel() const { return lbMargin_; }
  QLabel* LeftLabel() const { return lbGlut_; }

 signals:
  // A page of the job under way has been printed.
  void PagePrinted(int page);

 private:
  struct Geometry;
  Geometry SheetGeometry() const;
  void Build();
  QSlider* AddSlider(const char* name, const char* caption, SettingRange range, QLabel*& label);
  void OnChangeFont(int value);
  void OnChangeRow(int value);
  void OnChageMargin(int value);
  void OnChangeGlut(int value);
  // The first row of the current page follows a new page height.
  void PlacePage();
  void SheetChanged();
  void PaintSheet(QPainter& painter);
  PrintOutcome Print(QPrinter& printer, PageRows rows);
  void ShowRows(PageRows rows);

  PageSettingsRefs settings_;
  TPageRowBuilder builder_;
  PageRows rows_;
  float zoom_ = 1.0f;
  QSize sheet_ = kPreviewSheet;
  int currentPage_ = 1;
  int pageTopRow_ = 0;
  bool printing_ = false;
  // The plan for the sheet and rows it was made for.
  struct PlanKey {
    int rowHeight = 0, width = 0, height = 0, fontHeight = 0, rows = -1;
    bool operator==(const PlanKey&) const = default;
  };
  PagePlan plan_;
  PlanKey planKey_;
  int rowsShown_ = 0;  // counts the row lists shown, so a new one is planned again

  QPointer<QWidget> panPreview_;
  QScrollArea* scrPrev_ = nullptr;
  QWidget* sheetWidget_ = nullptr;
  QToolBar* bar_ = nullptr;
  QAction* firstSlider_ = nullptr;  // the zoom buttons go before it
  QSlider* trckFont_ = nullptr;
  QSlider* trckRow_ = nullptr;
  QSlider* trckMargin_ = nullptr;
  QSlider* trckGlut_ = nullptr;
  QLabel* lbFtSize_ = nullptr;
  QLabel* lbLine_ = nullptr;
  QLabel* lbMargin_ = nullptr;
  QLabel* lbGlut_ = nullptr;
};

}  // namespace rq
