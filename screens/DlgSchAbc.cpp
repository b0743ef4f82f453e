#include "screens/DlgSchAbc.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/ScreenFit.h"
#include "platform/WinColor.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int kWidth = 360;
constexpr int kDropDownLines = 12;
constexpr int kDefaultDigits = 6;

QComboBox* HistoryBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(kDropDownLines);
  return box;
}

}  // namespace

bool AddToHistory(QStringList& history, const QString& text) {
  if (history.contains(text)) return false;
  history.prepend(text);
  while (history.size() > TDlgSearchAbc::kHistoryMax) history.removeLast();
  return true;
}

TDlgSearchAbc::TDlgSearchAbc(ISearchTarget& target, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), target_(target) {
  setObjectName("DlgSearchAbc");
  setWindowTitle("Search ...");
  textTags_.push_back({this, kFormTag});
  resize(kWidth, sizeHint().height());
  KeepOnScreen(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* panFilter = new QWidget(this);
  panFilter->setObjectName("PanFilter");
  PaintBackground(panFilter, ColorFrame);
  layout->addWidget(panFilter);
  auto* column = new QVBoxLayout(panFilter);

  tabBottom_ = new QTabBar(panFilter);
  tabBottom_->setObjectName("TabBottom");
  tabBottom_->addTab(" Text Search");
  tabBottom_->addTab(" Tune Signature Search   ");
  textTags_.push_back({tabBottom_, kFormTag + 1});
  tabBottom_->setStyleSheet(
      QString("QTabBar::tab:selected { background: %1; }").arg(WinColorToQColor(ColorFrame).name()));
  connect(tabBottom_, &QTabBar::currentChanged, this, &TDlgSearchAbc::OnChangeTab);
  column->addWidget(tabBottom_);
  panText_ = BuildTextPage();
  panSign_ = BuildSignaturePage();
  column->addWidget(panText_);
  column->addWidget(panSign_);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  btnSearch_ = new QToolButton(panFilter);
  btnSearch_->setObjectName("btnSearch");
  btnSearch_->setText("Search ...");
  connect(btnSearch_, &QToolButton::clicked, this, &TDlgSearchAbc::OnClickOK);
  btnClose_ = new QToolButton(panFilter);
  btnClose_->setObjectName("btnClose");
  btnClose_->setText("Close");
  textTags_.push_back({btnSearch_, kFormTag + 2});
  textTags_.push_back({btnClose_, kFormTag + 3});
  connect(btnClose_, &QToolButton::clicked, this, &TDlgSearchAbc::OnCancel);
  bottom->addWidget(btnSearch_);
  bottom->addWidget(btnClose_);
  column->addLayout(bottom);

  {
    const QSignalBlocker quiet(tabBottom_);
    tabBottom_->setCurrentIndex(0);
  }
  panSign_->hide();
}

QWidget* TDlgSearchAbc::BuildTextPage() {
  auto* page = new QWidget;
  page->setObjectName("PanText");
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  row->addWidget(Tagged(new QLabel("Text", page), kFormTag + 4));
  cbText_ = HistoryBox(page);
  cbText_->setObjectName("CBText");
  cbText_->installEventFilter(this);
  row->addWidget(cbText_, 1);
  layout->addLayout(row);
  caseSensitive_ = new QListWidget(page);
  caseSensitive_->setObjectName("ckCase");
  auto* item = new QListWidgetItem("Case sensitive", caseSensitive_);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  caseSensitive_->setFixedHeight(caseSensitive_->sizeHintForRow(0) + 6);
  textTags_.push_back({caseSensitive_, kFormTag + 5});
  layout->addWidget(caseSensitive_);
  return page;
}

QWidget* TDlgSearchAbc::BuildSignaturePage() {
  auto* page = new QWidget;
  page->setObjectName("PanSign");
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  row->addWidget(Tagged(new QLabel("Abc ..", page), kFormTag + 6));
  cbTextAbc_ = HistoryBox(page);
  cbTextAbc_->setObjectName("CBTextAbc");
  cbTextAbc_->installEventFilter(this);
  row->addWidget(cbTextAbc_, 1);
  layout->addLayout(row);
  meterButtons_ = ButtonRow(page, {"2/2", "2/4", "3/4", "4/4", "6/8", "9/8", "12/8"}, meter_, "Meter",
                            kFormTag + 7, &TDlgSearchAbc::OnMeter);
  digitButtons_ = ButtonRow(page, {"3", "4", "5", "6", "7", "8"}, QString::number(digits_), "Digits ",
                            kFormTag + 8, &TDlgSearchAbc::OnDigits);
  return page;
}

// A row of buttons of which one is down, with its label; a click runs the handler
// with the button's caption, which is therefore never translated (the label is).
QButtonGroup* TDlgSearchAbc::ButtonRow(QWidget* page, const QStringList& captions, const QString& down,
                                       const QString& label, int labelTag,
                                       void (TDlgSearchAbc::*handler)(const QString&)) {
  auto* group = new QButtonGroup(page);
  group->setExclusive(true);
  auto* row = new QHBoxLayout;
  for (const QString& caption : captions) {
    auto* button = new QToolButton(page);
    button->setText(caption);
    button->setCheckable(true);
    button->setChecked(caption == down);
    group->addButton(button);
    row->addWidget(button);
  }
  row->addWidget(Tagged(new QLabel(label, page), labelTag));
  row->addStretch(1);
  static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
  connect(group, &QButtonGroup::buttonClicked, this,
          [this, handler](QAbstractButton* button) { (this->*handler)(button->text()); });
  return group;
}

QWidget* TDlgSearchAbc::Tagged(QWidget* widget, int tag) {
  textTags_.push_back({widget, tag});
  return widget;
}

void TDlgSearchAbc::ShowUnder(QWidget* anchor) {
  if (anchor) MoveOnScreen(this, anchor->mapToGlobal(QPoint(0, anchor->height() + 1)));
  show();
  raise();
  activateWindow();
}

void TDlgSearchAbc::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (cbTextAbc_->count() > 0) cbTextAbc_->setCurrentIndex(0);
  cbText_->setEditText(QString());
  (panText_->isHidden() ? cbTextAbc_ : cbText_)->setFocus();
}

void TDlgSearchAbc::OnChangeTab(int index) {
  panSign_->setVisible(index == 1);
  panText_->setVisible(index == 0);
}

void TDlgSearchAbc::OnMeter(const QString& caption) { meter_ = caption; }

void TDlgSearchAbc::OnDigits(const QString& caption) {
  bool ok = false;
  const int digits = caption.toInt(&ok);
  digits_ = ok ? digits : kDefaultDigits;
}

QListWidgetItem* TDlgSearchAbc::CaseSensitive() const { return caseSensitive_->item(0); }

bool TDlgSearchAbc::AddHistory(QComboBox& box) {
  const QString text = box.currentText();
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  if (!AddToHistory(items, text)) return false;
  const QSignalBlocker quiet(&box);
  box.clear();
  box.addItems(items);
  box.setEditText(text);
  return true;
}

void TDlgSearchAbc::AddTextHistory() { AddHistory(*cbText_); }

// A new signature also records whatever the text field holds.
void TDlgSearchAbc::AddSignatureHistory() {
  if (AddHistory(*cbTextAbc_)) AddHistory(*cbText_);
}

void TDlgSearchAbc::OnClickOK() {
  if (!panText_->isHidden()) {
    AddTextHistory();
    target_.SearchText(cbText_->currentText(), CaseSensitive()->checkState() == Qt::Checked);
    return;
  }
  AddSignatureHistory();
  target_.SearchAbc(cbTextAbc_->currentText(), meter_, digits_);
}

void TDlgSearchAbc::OnCancel() { hide(); }

// Enter searches and Esc hides, in either combo box.
bool TDlgSearchAbc::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == cbText_ || watched == cbTextAbc_) && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: OnClickOK(); return true;
      case Qt::Key_Escape: OnCancel(); return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace rq
