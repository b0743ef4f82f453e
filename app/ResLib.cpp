#include "app/ResLib.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <iterator>
#include <vector>

#include "app/Actions.h"
#include "controls/WindowOrder.h"
#include "midi/Instruments.h"
#include "midi/ZymMidi.h"
#include "platform/Numbers.h"
#include "platform/RegisterFile.h"

namespace rq {
namespace {

// The images of each list in their order (resources/images/NAME.png).
constexpr const char* kFileImages[] = {"file_trash", "file_filer", "file_tunes"};
constexpr const char* kMarkImages[] = {"mark_box",     "mark_ticked",  "mark_new",     "view_list",
                                       "view_unused4", "view_unused5", "view_unused6", "view_found"};
// In the order of ActionImage.
constexpr const char* kActionImages[] = {"act_open",        "act_new",       "act_save",       "act_close",
                                         "act_clipboard",   "act_merge_folder", "act_clear_trash", "act_tune_midi",
                                         "act_set_midi",    "act_print_list", "act_preferences"};
static_assert(std::size(kActionImages) == static_cast<size_t>(ActionImage::Count));
constexpr int kProgramIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

QString Q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon IconOf(MsgDlgType type) {
  switch (type) {
    case MsgDlgType::Warning: return QMessageBox::Warning;
    case MsgDlgType::Error: return QMessageBox::Critical;
    case MsgDlgType::Information: return QMessageBox::Information;
    case MsgDlgType::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

const char* TitleOf(MsgDlgType type) {
  switch (type) {
    case MsgDlgType::Warning: return "Warning";
    case MsgDlgType::Error: return "Error";
    case MsgDlgType::Information: return "Information";
    case MsgDlgType::Confirmation: return "Confirm";
  }
  return "";
}

QMessageBox::ButtonRole RoleOf(int32_t result) {
  switch (result) {
    case mrOk:
    case mrYes:
    case mrAll:
    case mrYesToAll: return QMessageBox::YesRole;
    case mrNo:
    case mrNoToAll: return QMessageBox::NoRole;
    case mrCancel:
    case mrAbort: return QMessageBox::RejectRole;
    default: return QMessageBox::ActionRole;
  }
}

}  // namespace

TResLib::TResLib(TSettings& settings, MidiSettings& midi, QObject* parent)
    : QObject(parent), settings_(settings), midi_(midi), listPatch_(new QListWidget) {
  LoadImages(img20x20_, kFileImages);
  LoadImages(imgBmp_, kMarkImages);
  LoadImages(img32x32_, kActionImages);
  listPatch_->setObjectName("ListPatch");
  // Four columns: the names run down each column and on into the next.
  listPatch_->setFlow(QListView::TopToBottom);
  listPatch_->setWrapping(true);
  listPatch_->setResizeMode(QListView::Adjust);
  listPatch_->setUniformItemSizes(true);
  listPatch_->setGridSize(QSize(156, 16));
  for (const std::string_view name : kInstrumentNames) {
    listPatch_->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  }
}

TResLib::~TResLib() { delete listPatch_; }

void TResLib::SelectCurrentPatch() {
  listPatch_->setCurrentRow(ClampTo(midi_.MidiPatch[0].load(), 0, 127));
}

void TResLib::LoadLanguage() {
  messages_ = TMessages();
  language_ = OpenLanguageFile(settings_.LangFileName);
  if (language_) ApplyLanguageMessages(*language_, messages_);
}

void TResLib::ApplyActionStrings(const QList<QAction*>& actions) const {
  if (!language_) return;
  for (QAction* action : actions) TranslateAction(action, action->property(kTagProperty).toInt(), *language_);
}

void TResLib::LoadImages(TImageList& list, std::span<const char* const> names) {
  for (const char* name : names) list.Add(QPixmap(QStringLiteral(":/images/%1.png").arg(QLatin1String(name))));
}

int32_t TResLib::MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons,
                            int32_t /*helpContext*/) {
  QMessageBox box(IconOf(type), TitleOf(type), Q(text), QMessageBox::NoButton, nullptr);
  std::vector<std::pair<QAbstractButton*, int32_t>> results;
  for (const DialogButton& b : DialogButtonOrder()) {
    if ((buttons & b.button) == 0) continue;
    results.emplace_back(box.addButton(Q(messages_.ButtonCaption(b.result)), RoleOf(b.result)), b.result);
  }
  if (results.empty()) results.emplace_back(box.addButton(Q(messages_.ButtonCaption(mrOk)), QMessageBox::YesRole), mrOk);
  // Never under the welcome box or a tool window: the user must see and answer it.
  ExecAbove(box);
  for (const auto& [button, result] : results) {
    if (box.clickedButton() == button) return result;
  }
  // Closed without a button (Escape or the close box): Abort where it is offered, so a
  // question about saving never reads a closed box as "go on without saving".
  if (buttons & mbAbort) return mrAbort;
  return mrCancel;
}

void TResLib::SetProgressBar(QProgressBar* bar, QWidget* panel) {
  progress_ = bar;
  progressPanel_ = panel;
}

void TResLib::ShowProgress(int32_t maximum) {
  if (!progress_) return;
  progress_->setMaximum(std::max(maximum, 0));
  progress_->setValue(0);
  if (progressPanel_) progressPanel_->show();
  lastProgressPaint_ = 0;
}

void TResLib::SetProgress(int32_t position) {
  if (!progress_) return;
  progress_->setValue(ClampTo(position, 0, progress_->maximum()));
  // Long work runs on the window thread: let the bar repaint now and then, without
  // taking the user's input, so the window shows it is working.
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastProgressPaint_ >= 100) {
    lastProgressPaint_ = now;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void TResLib::HideProgress() {
  if (progressPanel_) progressPanel_->hide();
}

std::string TResLib::LibraryFolder() const {
  if (!settings_.AbcLibPath.empty() && QFileInfo(Q(settings_.AbcLibPath)).isDir()) return settings_.AbcLibPath;
  return QDir::homePath().toStdString();
}

namespace {

// A file dialog's one chosen path, empty when it was cancelled.
QString ExecFileDialog(QFileDialog& dialog) {
  if (ExecAbove(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QString ExecSaveFileDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
  QFileDialog dialog(parent, title, start, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  return ExecFileDialog(dialog);
}

}  // namespace

QString TResLib::ExecOpenDialog(QWidget* parent) const {
  QFileDialog dialog(parent, "Open Abc File", Q(LibraryFolder()), "ABC files (*.abc)");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return ExecFileDialog(dialog);
}

QString TResLib::ExecSaveDialog(QWidget* parent, const QString& title, const QString& start) const {
  return ExecSaveFileDialog(parent, title, start, "ABC files (*.abc)");
}

QString TResLib::ExecSaveMidiDialog(QWidget* parent, const QString& title, const QString& start) const {
  return ExecSaveFileDialog(parent, title, start, "MIDI files (*.mid)");
}

QString TResLib::ExecSelectDir(QWidget* parent) const {
  QFileDialog dialog(parent, QString(), Q(LibraryFolder()));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return ExecFileDialog(dialog);
}

bool TResLib::ExecPrintSetup(QWidget* parent, QPrinter& printer) const {
  QPageSetupDialog dialog(&printer, parent);
  return ExecAbove(dialog) == QDialog::Accepted;
}

bool TResLib::ExecPrintDialog(QWidget* parent, QPrinter& printer) const {
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return ExecAbove(dialog) == QDialog::Accepted;
}

std::string_view TResLib::PatchName(int program) {
  return kInstrumentNames[static_cast<size_t>(ClampTo(program, 0, 127))];
}

void TResLib::OnSetGenPref() {
  if (dlgOpt_) ExecAbove(*dlgOpt_);
}

std::span<const int> TResLib::ProgramIconSizes() { return kProgramIconSizes; }

QString TResLib::ProgramIconResource(int size) { return QStringLiteral(":/images/reelquill_%1.png").arg(size); }

QIcon TResLib::ProgramIcon() {
  QIcon icon;
  for (const int size : kProgramIconSizes) icon.addFile(ProgramIconResource(size), QSize(size, size));
  return icon;
}

void TResLib::RegisterFileType(IUserInterface& ui) {
  try {
    TRegisterFile association;
    association.SetFileExtension(".abc");
    association.AppName = "Reelquill";
    association.MimeType = "text/vnd.abc";
    association.TypeComment = "ABC music notation";
    association.OpenWith = QCoreApplication::applicationFilePath().toStdString();
    for (const int size : kProgramIconSizes) {
      QFile png(ProgramIconResource(size));
      if (png.open(QIODevice::ReadOnly)) association.Icons.push_back({size, png.readAll().toStdString()});
    }
    association.Unregister();
    association.Register();
  } catch (const std::exception& e) {
    ui.MessageDlg(std::string("Reelquill except\nER: ") + e.what() + "\n\nException Raised In: main.Register",
                  MsgDlgType::Error, mbOK, 0);
  }
}

void TResLib::OnClickPatch(int row, TZymMidiPlayer* player) {
  const int program = ClampTo(row, 0, 127);
  if (player) player->SetPatch(0, program);
  midi_.MidiPatch[0] = program;
}

// ---- tune-edit mode ----------------------------------------------------------

void TResLib::EnterEditMode() {
  if (EditMode) return;
  EditMode = true;
  if (actions_) actions_->SetEditLocked(true);
  emit EditModeChanged(true);
}

void TResLib::LeaveEditMode() {
  if (!EditMode) return;
  EditMode = false;
  if (actions_) actions_->SetEditLocked(false);
  emit EditModeChanged(false);
}

}  // namespace rq
