// The resource module: what every screen shares. The messages and the message
// dialog with translated buttons, the progress bar, the language file applied to
// actions and forms, the shared file dialogs, the instrument names, and the
// program-wide state of edit mode.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>
#include <span>
#include <string>

#include "app/FormTexts.h"
#include "controls/ImageList.h"
#include "app/Language.h"
#include "app/Settings.h"
#include "notation/AbcDef.h"
#include "library/UserInterface.h"
#include "platform/ByteText.h"

class QAction;
class QPrinter;
class QProgressBar;
class QWidget;

namespace rq {

class TActions;
class TZymMidiPlayer;

// Actions carry their translation key as the dynamic property "tag".
inline constexpr const char* kTagProperty = "tag";

class TResLib : public QObject, public IUserInterface {
  Q_OBJECT

 public:
  // `settings` and `midi` are the program's settings; both must outlive the module.
  TResLib(TSettings& settings, MidiSettings& midi, QObject* parent = nullptr);
  // Frees the instrument list unless its pop-up took it along.
  ~TResLib() override;

  // Reads the language file of the "lang" setting: messages and button captions now,
  // actions and forms when they are given. A missing file keeps the English texts.
  void LoadLanguage();
  const IniFile* LanguageFile() const { return language_ ? &*language_ : nullptr; }
  // [Actionstring]: caption and hint of each action whose tag is above 0.
  void ApplyActionStrings(const QList<QAction*>& actions) const;
  // The language file applied to a form's registered texts.
  void TranslateForm(const TFormTexts& texts) const { texts.Translate(LanguageFile()); }

  // IUserInterface
  int32_t MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons,
                     int32_t helpContext) override;
  void ShowProgress(int32_t maximum) override;
  void SetProgress(int32_t position) override;
  void HideProgress() override;
  const TMessages& Messages() const override { return messages_; }
  TMessages& Messages() { return messages_; }

  // The main window's progress bar and the panel that holds it.
  void SetProgressBar(QProgressBar* bar, QWidget* panel);

  // The library folder of the settings when it names a folder, else the home folder:
  // where the open and folder dialogs start and new files are offered for saving.
  std::string LibraryFolder() const;
  // The shared dialogs; each returns an empty string when the user cancels. The save
  // dialogs start at the path given and ask nothing about an existing file: the
  // caller settles the extension first and then asks itself.
  QString ExecOpenDialog(QWidget* parent) const;
  QString ExecSaveDialog(QWidget* parent, const QString& title, const QString& start) const;
  QString ExecSaveMidiDialog(QWidget* parent, const QString& title, const QString& start) const;
  QString ExecSelectDir(QWidget* parent) const;

  // Printing: the printer setup and the print dialog (printing to a file offered).
  bool ExecPrintSetup(QWidget* parent, QPrinter& printer) const;
  bool ExecPrintDialog(QWidget* parent, QPrinter& printer) const;

  // The lookup lists, shared with the notation layer.
  static int FindRhythm(std::string_view name) { return rq::FindRhythm(name); }
  static std::string GetRhythmName(int index) { return rq::GetRhythmName(index); }
  static int GetKeySharps(std::string_view key) { return rq::GetKeySharps(key); }
  static std::string NormalizeKeyName(std::string_view key) { return rq::NormalizeKeyName(key); }
  // The name of a General MIDI program, clamped to 0..127.
  static std::string_view PatchName(int program);

  // A click on the instrument list: the program goes to the first channel and is kept
  // in the MIDI settings.
  void OnClickPatch(int row, TZymMidiPlayer* player);
  // The 128 instrument names in four columns, item i being program i; the instrument
  // pop-up shows it.
  QListWidget* ListPatch() const { return listPatch_; }
  // Selects the first channel's instrument in the list.
  void SelectCurrentPatch();

  TSettings& Settings() { return settings_; }

  // The Preferences action shows the options dialog modally.
  void SetOptionsDialog(QDialog* dialog) { dlgOpt_ = dialog; }
  void OnSetGenPref();
  // The program's icon, drawn in the hicolor theme's sizes (resources/images).
  static std::span<const int> ProgramIconSizes();
  static QString ProgramIconResource(int size);
  static QIcon ProgramIcon();
  // Associates ".abc" files with the running program on the user's desktop (under
  // the XDG folders), with the program's icon; a failure is shown through `ui`,
  // what was written stays.
  static void RegisterFileType(IUserInterface& ui);

  // The image lists, drawn for the program (resources/images): the file tabs' kinds
  // (trash, filer, tune file); the tune row's boxes and the view tabs (box, ticked
  // box, new tune, all tunes, three unused places, search result); the actions' icons.
  TImageList* Img20x20() { return &img20x20_; }
  TImageList* ImgBmp() { return &imgBmp_; }
  TImageList* Img32x32() { return &img32x32_; }

  // Tune-edit mode: while one tune is edited, every command that would change the
  // file, the view or the tune shown is locked (TActions::SetEditLocked) and the
  // main window follows EditModeChanged. The browser calls the two in pairs; a
  // second call of either does nothing.
  void SetActions(TActions* actions) { actions_ = actions; }
  void EnterEditMode();
  void LeaveEditMode();

  bool EditMode = false;
  // The list or set grid that last lost the keyboard focus; the player panel gives
  // the focus back to it.
  QPointer<QWidget> LastExitGrid;
  int32_t SavedEditWidth = 0;
  TLines ScratchList;

 signals:
  // Edit mode began (true) or ended; the actions are locked or given back already.
  void EditModeChanged(bool editing);

 private:
  static void LoadImages(TImageList& list, std::span<const char* const> names);

  TSettings& settings_;
  MidiSettings& midi_;
  TActions* actions_ = nullptr;
  TMessages messages_;
  std::optional<IniFile> language_;
  TImageList img20x20_{20, 20};
  TImageList imgBmp_{13, 13};
  TImageList img32x32_{32, 32};
  QPointer<QProgressBar> progress_;
  QPointer<QWidget> progressPanel_;
  qint64 lastProgressPaint_ = 0;
  QPointer<QListWidget> listPatch_;
  QPointer<QDialog> dlgOpt_;
};

}  // namespace rq
