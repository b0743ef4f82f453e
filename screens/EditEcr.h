// The ABC editor: the text of the tune shown in the browser, read-only until an
// edit starts. While a tune is edited every change is parsed at once, so the score
// and the player follow the typing; a pad types common ABC symbols, and a piano
// keyboard sounds a note and spells it for a chosen key signature.
#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ByteText.h"
#include "screens/TextTags.h"
#include "screens/TuneText.h"

class QAction;
class QComboBox;
class QLabel;
class QToolBar;
class QToolButton;
class QWidget;

namespace rq {

class TAbcParser;
class TMIDIKeys;
class TSynAbcSyn;
class TZymMidiPlayer;

// What an edit works on (TEditEcr::EditMode).
inline constexpr int kEditCurrentTune = 0;
inline constexpr int kEditNewTune = 1;

// Who stores or drops an edit: the browser.
class IEditTarget {
 public:
  virtual ~IEditTarget() = default;
  // Ok: stores the editor's text (mode 0 the current tune, 1 a new tune); false when
  // the text is refused, and the edit goes on.
  virtual bool EndEdit(int mode) = 0;
  virtual void CancelEdit() = 0;
};

// The family the editor draws a stored font name with: the Windows "Courier" names
// become the free monospaced font that stands in for them.
QString EditorFontFamily(const QString& name);

class TEditEcr : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPadHeight = 37;
  static constexpr int kNoteToolsHeight = 44;
  static constexpr int kKeyTypes = 11;
  static constexpr int kDefaultKeyType = 7;
  static constexpr int kLowestNote = 48;  // the keyboard's first key
  static constexpr int kNoteVelocity = 100;
  static constexpr int kRightEdge = 500;  // the column the right edge marks
  // The most characters of one line the editor shows: beyond some millions of pixels
  // a line's glyphs are drawn over each other, and its layout takes gigabytes.
  static constexpr size_t kLongestShownLine = 10000;
  // The pad's first text in a language file's [Cmpstring]; the others follow.
  static constexpr int kFirstTextTag = 110;

  // `parser` is the shared one: every change of the text is parsed into it.
  explicit TEditEcr(TAbcParser& parser, QObject* parent = nullptr);
  // Frees the panels wherever they were moved.
  ~TEditEcr() override;

  // Builds the panels and moves the editor into `editHost` and the log into
  // `logHost` (either may be null).
  void OnCreate(QWidget* editHost, QWidget* logHost);
  // The player the keyboard sounds on (may be null).
  void SetPlayer(TZymMidiPlayer* player) { player_ = player; }
  void SetTarget(IEditTarget* target) { target_ = target; }
  // The browser's Copy Tune, which gets a button on the pad beside Ok (none: no button).
  void SetCopyTuneAction(QAction* action);
  // The font from the settings; a Courier name takes the free monospaced font.
  void SetEditorFont(const QString& name, int size);
  // Windows colour values.
  void SetColours(int32_t background, int32_t foreground);

  // The tune the open-files controller shows: its text, read-only, and its code.
  // The log is emptied unless `keepLog`.
  void ShowTune(const TLines& lines, uint32_t code, bool keepLog);
  // Makes the editor writable and shows the pad. Mode 0 edits the text shown, mode
  // 1 starts a new tune from the template, numbered `newTuneNumber`. An edit is
  // written back in the tune's own encoding; a new tune, or a tune of ASCII only,
  // takes `fileEncoding`.
  void StartEdit(int mode, TextEncoding fileEncoding, int64_t newTuneNumber = 1);
  bool Editing() const { return editing_; }
  // Why the tune shown cannot be edited here (a line too long to show whole); empty
  // when it can.
  const QString& WhyNotEditable() const { return longLineNote_; }

  // Ok: the browser stores the text, its lines without trailing blanks; false when
  // it refused it (the edit goes on).
  bool OnValidEdit();
  void OnCancelEdit();
  // Every change of the text while editing: parsed, then the score and player follow.
  void OnChange();
  // Types a text into the editor, character by character, as if typed.
  void InsertString(const QString& text);
  void OnUndo();
  void OnRedo();
  // The note tools are shown exactly while "Tools" is down.
  void OnShowTools(bool down);
  void OnNoteOn(int note);
  void OnNoteOff();
  void OnInsertNote();

  // The text as the file stores it: lines in the edit's encoding (UTF-8 when a
  // character has no Windows-1252 byte).
  TLines Lines() const;
  // The text as it reads: the lines joined with "\n".
  QString Text() const;

  // The ABC spelling of a keyboard note in a key type (0 five sharps .. 10 five
  // flats), octave marks added; empty below the keyboard or for another key type.
  static QString NoteSpelling(int note, int keyType);
  static const char* KeyTypeCaption(int keyType);

  QWidget* PanEdit() const { return panEdit_; }
  QWidget* PanPad() const { return panPad_; }
  QWidget* PanNoteTools() const { return panNoteTools_; }
  QPlainTextEdit* AbcEditor() const { return abcEditor_; }
  TSynAbcSyn* AbcHigh() const { return abcHigh_; }
  QPlainTextEdit* DBGMemo() const { return dbgMemo_; }
  QLabel* LabCode() const { return labCode_; }
  QLabel* LabLongLine() const { return labLongLine_; }
  TMIDIKeys* MidKeys() const { return midKeys_; }
  QLabel* LbCodeNote() const { return lbCodeNote_; }
  QComboBox* CbKeyType() const { return cbKeyType_; }
  QToolButton* BtnTools() const { return btnTools_; }
  QToolButton* BtnValidEdit() const { return btnValidEdit_; }
  QToolButton* BtnCancel() const { return btnCancel_; }
  QToolButton* BtnCopyTune() const { return btnCopyTune_; }
  const std::vector<QToolButton*>& SymbolButtons() const { return symbolButtons_; }
  // The pad's buttons a language file replaces (the symbols are typed as they read).
  const TextTags& Texts() const { return textTags_; }

  int32_t LastNote = -1;
  bool Modified = false;
  int EditMode = 0;

 signals:
  // The edited text was parsed into the shared parser.
  void TuneParsed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPad();
  QToolBar* BuildSymbolBar(QWidget* parent);
  QWidget* BuildNoteTools(QWidget* parent);
  QStringList BlockTexts() const;
  QToolButton* PadButton(QWidget* parent, const QString& text, const char* name);
  // Replaces the whole text without it counting as an edit.
  void LoadText(const QString& text);
  void TrimTrailingBlanks();
  void EndEditing();

  TAbcParser& parser_;
  TZymMidiPlayer* player_ = nullptr;
  IEditTarget* target_ = nullptr;
  // The encoding the shown tune's bytes show (none for ASCII only), and the edit's.
  std::optional<TextEncoding> shownEncoding_;
  TextEncoding encoding_ = TextEncoding::Cp1252;
  // Says which line of the tune shown is cut and why; empty when none is.
  QString longLineNote_;
  bool editing_ = false;
  bool loading_ = false;

  QPointer<QWidget> panEdit_;
  QPointer<QPlainTextEdit> dbgMemo_;
  QWidget* panPad_ = nullptr;
  QWidget* panNoteTools_ = nullptr;
  QPlainTextEdit* abcEditor_ = nullptr;
  TSynAbcSyn* abcHigh_ = nullptr;
  QLabel* labCode_ = nullptr;
  QLabel* labLongLine_ = nullptr;
  TMIDIKeys* midKeys_ = nullptr;
  QLabel* lbCodeNote_ = nullptr;
  QComboBox* cbKeyType_ = nullptr;
  QToolButton* btnTools_ = nullptr;
  QToolButton* btnValidEdit_ = nullptr;
  QToolButton* btnCancel_ = nullptr;
  QToolButton* btnCopyTune_ = nullptr;
  QPointer<QAction> copyTuneAction_;
  std::vector<QToolButton*> symbolButtons_;
  TextTags textTags_;
};

}  // namespace rq
