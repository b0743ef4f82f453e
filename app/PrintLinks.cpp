#include "app/PrintLinks.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "controls/WindowOrder.h"
#include "score/screens/PageScoreEcr.h"

namespace rq {

TTunePrinter::TTunePrinter(TAppContext& app) : app_(app) {}

TTunePrinter::~TTunePrinter() = default;

QPrinter& TTunePrinter::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QStringList names = QPrinterInfo::availablePrinterNames();
    const int32_t index = app_.Settings().PrinterIndex;
    if (index >= 0 && index < names.size()) printer_->setPrinterName(names[index]);
    printer_->setPageLayout(DefaultPageLayout());
  }
  return *printer_;
}

bool TTunePrinter::ExecPrintDialog() {
  TPageScoreEcr* pages = app_.PageScoreEcr();
  if (!pages || pages->Printing()) return false;
  if (app_.Options().printDialog) return app_.Options().printDialog(Printer());
  return app_.ResLib() && app_.ResLib()->ExecPrintDialog(app_.MainEcr(), Printer());
}

void TTunePrinter::PrintTune(const TLines& lines) {
  TPageScoreEcr* pages = app_.PageScoreEcr();
  if (!pages || pages->Printing()) return;
  PrintOutcome outcome;
  {
    const BusyCursor busy;
    outcome = pages->PrintTune(Printer(), lines);
  }
  Report(outcome);
}

void TTunePrinter::PrintTunes(TAbcPrint& list, bool all) {
  TPageScoreEcr* pages = app_.PageScoreEcr();
  if (!pages || pages->Printing()) return;
  PrintOutcome outcome;
  {
    const BusyCursor busy;
    outcome = pages->PrintTunes(Printer(), list, all);
  }
  Report(outcome);
}

void TTunePrinter::PreviewTunes(TAbcPrint& list, bool all) {
  if (TPageScoreEcr* pages = app_.PageScoreEcr()) pages->PreviewTunes(list, all);
}

void TTunePrinter::Report(const PrintOutcome& outcome) {
  if (!outcome.Ok()) {
    app_.UserInterface().MessageDlg(outcome.Error, MsgDlgType::Error, mbOK, 0);
  } else if (outcome.Pages == 0) {
    app_.UserInterface().MessageDlg("There is no tune to print.", MsgDlgType::Information, mbOK, 0);
  }
}

TAbcPrint* TTunePrinter::PrintList() const { return app_.FileControl() ? app_.FileControl()->PrintList() : nullptr; }

TAbcFile* TTunePrinter::DragFile() const { return app_.FileControl() ? app_.FileControl()->DragFile() : nullptr; }

void TTunePrinter::DropTunes() {
  if (TCtrlFile* control = app_.FileControl()) control->DropOnFile(control->PrintList());
}

void TTunePrinter::ClearDrag() {
  if (app_.FileControl()) app_.FileControl()->CancelDrag();
}

void TTunePrinter::PrinterSetup() {
  const QStringList names = QPrinterInfo::availablePrinterNames();
  if (app_.PageScoreEcr() && app_.PageScoreEcr()->Printing()) return;
  if (names.isEmpty()) {
    app_.UserInterface().MessageDlg("There is no printer to set up.", MsgDlgType::Information, mbOK, 0);
    return;
  }
  QPrinter& printer = Printer();
  QPrintDialog dialog(&printer, app_.MainEcr());
  dialog.setWindowTitle("Printer Setup");
  dialog.setOptions({});
  if (ExecAbove(dialog) != QDialog::Accepted) return;
  const qsizetype index = names.indexOf(printer.printerName());
  if (index >= 0) app_.Settings().PrinterIndex = static_cast<int32_t>(index);
}

}  // namespace rq
