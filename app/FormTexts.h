// The texts of one form that a language file replaces: the objects the form
// registered with their translation keys, in the order it registered them.
#pragma once

#include <QPointer>
#include <vector>

#include "platform/IniFile.h"

class QAction;
class QObject;

namespace rq {

// What a translation sets on an object.
enum class TextKind {
  Auto,          // deduced from the object's class when it is added
  Title,         // the form's own window title
  SheetCaption,  // a page control sheet's caption, with two blanks on each side
  TabTexts,      // a tab bar's tab texts, from comma text
  Label,         // a label's caption, or caption "/" hint
  StaticText,    // a label's text whole, slashes included
  CheckBox,      // a check box's text
  ToolButton,    // a tool button's text (a push button's when given explicitly)
  GroupBox,      // a group box's title
  CheckList,     // a list of unchecked checkable items, from comma text
  Action,        // an action's caption and hint, from [Actionstring]
};

// A form keeps one and adds its texts as it builds itself. Translation walks the
// registered objects rather than the widget tree: a sheet torn off into a floating
// window is no longer the form's child, and a form may hold another form's widgets.
class TFormTexts {
 public:
  // Registers object under tag. Auto takes the kind from the object's class (a
  // top-level widget of no other kind is a form, its window title); an object whose
  // kind cannot be told (a push button) is not registered unless its kind is given.
  void Add(QObject* object, int tag, TextKind kind = TextKind::Auto);
  // Applies the language file to every object still alive, in registration order:
  // [Cmpstring] by tag, [Actionstring] for actions with a tag above 0. An empty
  // value leaves the texts as they are; without a language file nothing happens.
  void Translate(const IniFile* lang) const;

 private:
  struct Entry {
    QPointer<QObject> object;
    int tag;
    TextKind kind;
  };
  std::vector<Entry> entries_;
};

// [Actionstring]: the caption and hint of an action with a tag above 0.
void TranslateAction(QAction* action, int tag, const IniFile& lang);

}  // namespace rq
