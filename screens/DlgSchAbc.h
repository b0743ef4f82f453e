// The search dialog: a text search or a tune-signature search (notes in a meter over
// a number of code digits) in the browser's current list, with the texts searched
// kept in two histories for as long as the program runs.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "screens/TextTags.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QTabBar;
class QToolButton;

namespace rq {

// Who runs the searches: the tune browser.
class ISearchTarget {
 public:
  virtual ~ISearchTarget() = default;
  virtual void SearchText(const QString& text, bool matchCase) = 0;
  virtual void SearchAbc(const QString& notes, const QString& meter, int digits) = 0;
};

// The history rule: a text equal to an item (case-sensitive) changes nothing;
// another goes first and the list keeps its 20 newest. True when the text was new.
bool AddToHistory(QStringList& history, const QString& text);

class TDlgSearchAbc : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHistoryMax = 20;
  // The dialog's title in a language file's [Cmpstring]; its other texts follow.
  static constexpr int kFormTag = 100;

  explicit TDlgSearchAbc(ISearchTarget& target, QWidget* parent = nullptr);

  // Shows the dialog with its top-left corner one pixel below `anchor`'s bottom-left
  // corner (its button in the browser), moved left or up as far as it takes to keep
  // it on the screen; null leaves it where it is.
  void ShowUnder(QWidget* anchor);

  QString Meter() const { return meter_; }
  int Digits() const { return digits_; }

  // The handlers of the dialog's controls.
  void OnClickOK();
  void OnCancel();
  void OnChangeTab(int index);
  void OnMeter(const QString& caption);
  void OnDigits(const QString& caption);

  QTabBar* TabBottom() const { return tabBottom_; }
  QComboBox* CBText() const { return cbText_; }
  QComboBox* CBTextAbc() const { return cbTextAbc_; }
  QWidget* PanText() const { return panText_; }
  QWidget* PanSign() const { return panSign_; }
  QButtonGroup* MeterButtons() const { return meterButtons_; }
  QButtonGroup* DigitButtons() const { return digitButtons_; }
  // The "Case sensitive" item: ticked, the text search matches case.
  QListWidgetItem* CaseSensitive() const;
  QToolButton* BtnSearch() const { return btnSearch_; }
  // The title, tabs, labels and buttons a language file replaces.
  const TextTags& Texts() const { return textTags_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildTextPage();
  QWidget* BuildSignaturePage();
  QButtonGroup* ButtonRow(QWidget* page, const QStringList& captions, const QString& down, const QString& label,
                          int labelTag, void (TDlgSearchAbc::*handler)(const QString&));
  // Registers a widget's text for translation.
  QWidget* Tagged(QWidget* widget, int tag);
  // The history rule on a combo box's items with its current text.
  static bool AddHistory(QComboBox& box);
  void AddTextHistory();
  void AddSignatureHistory();

  ISearchTarget& target_;
  QString meter_ = QStringLiteral("4/4");
  int digits_ = 6;
  QTabBar* tabBottom_ = nullptr;
  QWidget* panText_ = nullptr;
  QWidget* panSign_ = nullptr;
  QComboBox* cbText_ = nullptr;
  QListWidget* caseSensitive_ = nullptr;
  QComboBox* cbTextAbc_ = nullptr;
  QButtonGroup* meterButtons_ = nullptr;
  QButtonGroup* digitButtons_ = nullptr;
  QToolButton* btnSearch_ = nullptr;
  QToolButton* btnClose_ = nullptr;
  TextTags textTags_;
};

}  // namespace rq
