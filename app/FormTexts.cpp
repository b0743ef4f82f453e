// A form's registered texts and how a language file replaces them.
#include "app/FormTexts.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QToolButton>
#include <optional>
#include <string>

#include "app/Actions.h"
#include "app/Language.h"
#include "controls/Tab95Sheet.h"
#include "platform/CommaText.h"

namespace rq {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList CommaItems(const std::string& value) {
  QStringList items;
  for (const std::string& item : SplitCommaText(value)) items << Q(item);
  return items;
}

std::optional<TextKind> KindOf(const QObject* o) {
  // A sheet is checked first: one that is torn off or not yet placed is a window too.
  if (qobject_cast<const TTab95Sheet*>(o)) return TextKind::SheetCaption;
  if (qobject_cast<const QTabBar*>(o)) return TextKind::TabTexts;
  if (qobject_cast<const QLabel*>(o)) return TextKind::Label;
  if (qobject_cast<const QCheckBox*>(o)) return TextKind::CheckBox;
  if (qobject_cast<const QToolButton*>(o)) return TextKind::ToolButton;
  if (qobject_cast<const QGroupBox*>(o)) return TextKind::GroupBox;
  if (qobject_cast<const QListWidget*>(o)) return TextKind::CheckList;
  if (qobject_cast<const QAction*>(o)) return TextKind::Action;
  if (const auto* w = qobject_cast<const QWidget*>(o); w && w->isWindow()) return TextKind::Title;
  return std::nullopt;
}

void SetLabel(QLabel& label, const std::string& value) {
  const auto ch = SplitCaptionHint(value);
  if (!ch) return;
  label.setText(Q(ch->caption));
  if (ch->hint) label.setToolTip(Q(*ch->hint));
}

void SetCheckList(QListWidget& list, const std::string& value) {
  list.clear();
  for (const QString& text : CommaItems(value)) {
    auto* item = new QListWidgetItem(text, &list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

void SetTabTexts(QTabBar& tabs, const std::string& value) {
  const QStringList items = CommaItems(value);
  for (int i = 0; i < tabs.count() && i < items.size(); ++i) tabs.setTabText(i, items[i]);
}

// A [Cmpstring] value on an object of its kind; an object of another class is left alone.
void ApplyText(QObject* o, TextKind kind, const std::string& value) {
  switch (kind) {
    case TextKind::Title:
      if (auto* w = qobject_cast<QWidget*>(o)) w->setWindowTitle(Q(value));
      break;
    case TextKind::SheetCaption:
      if (auto* sheet = qobject_cast<TTab95Sheet*>(o)) sheet->SetCaption(Q("  " + value + "  "));
      break;
    case TextKind::TabTexts:
      if (auto* tabs = qobject_cast<QTabBar*>(o)) SetTabTexts(*tabs, value);
      break;
    case TextKind::Label:
      if (auto* label = qobject_cast<QLabel*>(o)) SetLabel(*label, value);
      break;
    case TextKind::StaticText:
      if (auto* label = qobject_cast<QLabel*>(o)) label->setText(Q(value));
      break;
    case TextKind::CheckBox:
      if (auto* check = qobject_cast<QCheckBox*>(o)) check->setText(Q(value));
      break;
    case TextKind::ToolButton:
      if (auto* button = qobject_cast<QAbstractButton*>(o)) button->setText(ButtonCaption(Q(value)));
      break;
    case TextKind::GroupBox:
      if (auto* group = qobject_cast<QGroupBox*>(o)) group->setTitle(Q(value));
      break;
    case TextKind::CheckList:
      if (auto* list = qobject_cast<QListWidget*>(o)) SetCheckList(*list, value);
      break;
    case TextKind::Auto:
    case TextKind::Action: break;
  }
}

}  // namespace

void TFormTexts::Add(QObject* object, int tag, TextKind kind) {
  if (!object) return;
  if (kind == TextKind::Auto) {
    const auto deduced = KindOf(object);
    if (!deduced) return;
    kind = *deduced;
  }
  entries_.push_back({object, tag, kind});
}

void TFormTexts::Translate(const IniFile* lang) const {
  if (!lang) return;
  for (const Entry& e : entries_) {
    if (!e.object) continue;
    if (e.kind == TextKind::Action) {
      if (auto* action = qobject_cast<QAction*>(e.object)) TranslateAction(action, e.tag, *lang);
      continue;
    }
    const std::string value = lang->ReadString("Cmpstring", std::to_string(e.tag), "");
    if (!value.empty()) ApplyText(e.object, e.kind, value);
  }
}

void TranslateAction(QAction* action, int tag, const IniFile& lang) {
  if (tag <= 0) return;
  const auto ch = SplitCaptionHint(lang.ReadString("Actionstring", std::to_string(tag), ""));
  if (!ch) return;
  SetActionCaption(action, Q(ch->caption));
  if (ch->hint) {
    action->setToolTip(Q(*ch->hint));
    action->setStatusTip(Q(*ch->hint));
  }
}

}  // namespace rq
