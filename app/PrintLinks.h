// Printing's links to the rest of the program: the open-files controller's printer
// (the print dialog, the jobs on the page preview's printing, what goes wrong told to
// the user) and the print list screen's view of the controller.
#pragma once

#include <memory>

#include "app/CtrlFile.h"
#include "score/PagePrint.h"
#include "score/screens/PrintListEcr.h"

class QPrinter;

namespace rq {

class TAppContext;

class TTunePrinter : public ITunePrinter, public IPrintListHost {
 public:
  explicit TTunePrinter(TAppContext& app);
  ~TTunePrinter() override;
  TTunePrinter(const TTunePrinter&) = delete;
  TTunePrinter& operator=(const TTunePrinter&) = delete;

  // ITunePrinter. No dialog opens and no job starts while a job prints.
  bool ExecPrintDialog() override;
  void PrintTune(const TLines& lines) override;
  void PrintTunes(TAbcPrint& list, bool all) override;
  void PreviewTunes(TAbcPrint& list, bool all) override;

  // IPrintListHost
  TAbcPrint* PrintList() const override;
  TAbcFile* DragFile() const override;
  void DropTunes() override;
  void ClearDrag() override;

  // With printers installed, the user picks one; its place among them is kept in the
  // settings and the jobs go to it. Nothing happens without a printer.
  void PrinterSetup();
  // The printer the jobs go to: the one the settings name, until the user picks
  // another; pages are A4 without margins until the user says otherwise.
  QPrinter& Printer();

 private:
  // A job that failed or printed nothing is said so; a printed one needs no word.
  void Report(const PrintOutcome& outcome);

  TAppContext& app_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace rq
