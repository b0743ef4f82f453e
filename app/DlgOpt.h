// The preferences dialog: the library folder and the language, the editor's font and
// colours, the MIDI output with its playing parameters and the instruments of
// channels 2 to 16. Every control writes its setting, or the live object it governs,
// at once; there is no Cancel, and the settings file is written when the program quits.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/FormTexts.h"
#include "screens/SynAbcSyn.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

namespace rq {

class IMidiOutPorts;
class TColorButton;
class TPage95Control;
class TZymMidiPlayer;
struct MidiSettings;
struct TSettings;

class TDlgOpt : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFormTag = 40;
  // The first channel's instrument is the player panel's; the grid holds channels 2..16.
  static constexpr int kPatchRows = 15;

  // `ports` lists the MIDI output devices; all three must outlive the dialog.
  TDlgOpt(TSettings& settings, MidiSettings& midi, IMidiOutPorts& ports, QWidget* parent = nullptr);

  // The player whose output and instruments the MIDI page switches (null: none).
  void SetPlayer(TZymMidiPlayer* player) { player_ = player; }
  // The editor's highlighter: attribute changes reach it at once (null: none yet).
  void SetHighlighter(TSynAbcSyn* highlighter);
  // The folder dialog of the "..." button: an empty answer is a cancel.
  void SetFolderChooser(std::function<QString()> choose) { chooseFolder_ = std::move(choose); }
  // What the association button runs.
  void SetAssociate(std::function<void()> associate) { associate_ = std::move(associate); }

  // Fills the controls from the settings, once at start-up; showing the dialog
  // again does not refill them.
  void OnCreate();
  const TFormTexts& Texts() const { return texts_; }

 signals:
  // The editor follows these; the settings already hold the new values.
  void EditorFontChanged(const QString& name, int size);
  void EditorColorsChanged(int32_t background, int32_t foreground);
  void AttributeChanged(int index);

 private:
  QWidget* BuildGeneralPage();
  QWidget* BuildEditorPage();
  QWidget* BuildMidiPage();
  void FillDevices();
  void FillFontSizes(const QString& font);
  void FillLanguages();
  void ShowMidiState();

  void OnChangePath();
  void OnLibPathChange(const QString& text);
  void OnChangeLang(int index);
  void OnChangeFont(const QFont& font);
  void OnChnageFontSize(int index);
  void OnChangeBKColor();
  void OnChangeListColor();
  void OnChkDefBK(bool ticked);
  void OnChkDefFR(bool ticked);
  void OnChangeItemBK(int32_t color);
  void OnChangeItemFR(int32_t color);
  void OnChkBold(bool ticked);
  void OnChkItalic(bool ticked);
  void OnChangeMidiDevice(int index);
  void OnEditPatch(int row);
  // The attribute of the list's current item, changed by `change`, goes to the
  // settings and to the highlighter.
  void ChangeAttribute(const std::function<void(TSynHighlighterAttributes&)>& change);

  TSettings& settings_;
  MidiSettings& midi_;
  IMidiOutPorts& ports_;
  TZymMidiPlayer* player_ = nullptr;
  QPointer<TSynAbcSyn> highlighter_;
  std::function<QString()> chooseFolder_;
  std::function<void()> associate_;
  TFormTexts texts_;
  // The language files offered after "English", in the order of the list.
  std::vector<std::string> langFiles_;
  // True while the attribute controls are being filled from an attribute.
  bool loading_ = false;

  TPage95Control* pgcFilter_ = nullptr;
  QLineEdit* edLibPath_ = nullptr;
  QComboBox* cbLang_ = nullptr;
  QFontComboBox* cbEditFont_ = nullptr;
  QComboBox* cbEditSize_ = nullptr;
  TColorButton* clbBackground_ = nullptr;
  TColorButton* clbForeground_ = nullptr;
  QListWidget* itmColor_ = nullptr;
  TColorButton* clbItemBK_ = nullptr;
  TColorButton* clbItemFR_ = nullptr;
  QCheckBox* chkDefBK_ = nullptr;
  QCheckBox* chkDefFR_ = nullptr;
  QCheckBox* chkBold_ = nullptr;
  QCheckBox* chkItalic_ = nullptr;
  QComboBox* lstPort_ = nullptr;
  QLabel* labMidiState_ = nullptr;
  QSpinBox* upH_ = nullptr;
  QSpinBox* upM_ = nullptr;
  QSpinBox* upL_ = nullptr;
  QSpinBox* upAcc_ = nullptr;
  QSpinBox* upSGrace_ = nullptr;
  QSpinBox* upMGrace_ = nullptr;
  QSpinBox* upDelay_ = nullptr;
  QCheckBox* chkGraceNote_ = nullptr;
  QTableWidget* gridPatch_ = nullptr;
};

}  // namespace rq
