#include "app/ResLib.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <vector>

#include "controls/Tab95Sheet.h"
#include "midi/Instruments.h"
#include "midi/ZymMidi.h"
#include "platform/CommaText.h"
#include "platform/Numbers.h"

namespace rq {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList CommaItems(const std::string& value) {
  QStringList items;
  for (const std::string& item : SplitCommaText(value)) items << Q(item);
  return items;
}

// Widgets made by the program's forms have a tag or a name; Qt's own inner widgets
// (scroll buttons of a tab bar, viewports) have neither and are never translated.
bool Translatable(const QWidget* w) {
  if (w->property(kTagProperty).isValid()) return true;
  const QString name = w->objectName();
  return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

std::string ValueForTag(const IniFile& lang, const QObject* o) {
  return lang.ReadString("Cmpstring", std::to_string(o->property(kTagProperty).toInt()), "");
}

void ApplyToWidget(QWidget* w, const std::string& value) {
  if (auto* sheet = qobject_cast<TTab95Sheet*>(w)) {
    sheet->SetCaption(Q("  " + value + "  "));
  } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
    const QStringList items = CommaItems(value);
    for (int i = 0; i < tabs->count() && i < items.size(); ++i) tabs->setTabText(i, items[i]);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    if (label->property(kStaticTextProperty).toBool()) {
      label->setText(Q(value));
    } else if (const auto ch = SplitCaptionHint(value)) {
      label->setText(Q(ch->caption));
      if (ch->hint) label->setToolTip(Q(*ch->hint));
    }
  } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
    check->setText(Q(value));
  } else if (auto* speed = qobject_cast<QToolButton*>(w)) {
    speed->setText(Q(value));
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(Q(value));
  } else if (auto* list = qobject_cast<QListWidget*>(w)) {
    list->clear();
    for (const QString& text : CommaItems(value)) {
      auto* item = new QListWidgetItem(text, list);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  }
}

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

void TranslateForm(QWidget* form, const IniFile* lang) {
  if (!form || !lang) return;
  if (const std::string title = ValueForTag(*lang, form); !title.empty()) form->setWindowTitle(Q(title));
  for (QWidget* w : form->findChildren<QWidget*>()) {
    if (!Translatable(w)) continue;
    if (const std::string value = ValueForTag(*lang, w); !value.empty()) ApplyToWidget(w, value);
  }
}

TResLib::TResLib(TSettings& settings, MidiSettings& midi, QObject* parent)
    : QObject(parent), settings_(settings), midi_(midi) {}

void TResLib::LoadLanguage() {
  messages_ = TMessages();
  language_ = OpenLanguageFile(settings_.LangFileName);
  if (language_) ApplyLanguageMessages(*language_, messages_);
}

void TResLib::ApplyActionStrings(const QList<QAction*>& actions) const {
  if (!language_) return;
  for (QAction* action : actions) {
    const int tag = action->property(kTagProperty).toInt();
    if (tag <= 0) continue;
    const auto ch = SplitCaptionHint(language_->ReadString("Actionstring", std::to_string(tag), ""));
    if (!ch) continue;
    action->setText(Q(ch->caption));
    if (ch->hint) {
      action->setToolTip(Q(*ch->hint));
      action->setStatusTip(Q(*ch->hint));
    }
  }
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
  box.exec();
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

QString TResLib::ExecOpenDialog(QWidget* parent) const {
  return QFileDialog::getOpenFileName(parent, "Open Abc File", Q(settings_.AbcLibPath), "ABC files (*.abc)");
}

QString TResLib::ExecSaveDialog(QWidget* parent, const QString& title, const QString& fileName) const {
  const QString start = fileName.isEmpty() ? Q(settings_.AbcLibPath) : fileName;
  // The caller settles the extension first and then asks about an existing file itself.
  return QFileDialog::getSaveFileName(parent, title, start, "ABC files (*.abc)", nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

QString TResLib::ExecSaveMidiDialog(QWidget* parent, const QString& title, const QString& fileName) const {
  QString name = QFileDialog::getSaveFileName(parent, title, fileName, "MIDI files (*.mid)");
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += ".mid";
  return name;
}

QString TResLib::ExecSelectDir(QWidget* parent) const {
  return QFileDialog::getExistingDirectory(parent, QString(), Q(settings_.AbcLibPath));
}

bool TResLib::ExecPrintSetup(QWidget* parent, QPrinter& printer) const {
  QPageSetupDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool TResLib::ExecPrintDialog(QWidget* parent, QPrinter& printer) const {
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return dialog.exec() == QDialog::Accepted;
}

std::string_view TResLib::PatchName(int program) {
  return kInstrumentNames[static_cast<size_t>(ClampTo(program, 0, 127))];
}

void TResLib::OnClickPatch(int row, TZymMidiPlayer* player) {
  const int program = ClampTo(row, 0, 127);
  if (player) player->SetPatch(0, program);
  midi_.MidiPatch[0] = program;
}

}  // namespace rq
