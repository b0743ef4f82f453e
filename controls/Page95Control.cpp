// The page control: pages, paging, hints, the built-in tab drawing and the page order
// around tear-offs.
#include "controls/Page95Control.h"

#include <QApplication>
#include <QPainter>
#include <QTabBar>
#include <QToolTip>
#include <algorithm>

#include "controls/FloatingForm.h"

namespace rq {

TPage95Control::TPage95Control(QWidget* parent) : TCustomTab95Control(parent) {}

TPage95Control::~TPage95Control() {
  for (const auto& sheet : floating_) {
    if (sheet && sheet->FloatingForm()) delete sheet->FloatingForm();
  }
  // The sheets go while the control is whole, so removing their tabs never reaches a
  // half-destroyed control.
  while (count() > 0) {
    QWidget* page = widget(0);
    if (auto* sheet = qobject_cast<TTab95Sheet*>(page)) sheet->pageControl_ = nullptr;
    delete page;
  }
}

TTab95Sheet* TPage95Control::Pages(int index) const { return qobject_cast<TTab95Sheet*>(widget(index)); }

void TPage95Control::SetActivePage(TTab95Sheet* page) {
  if (!page) {
    ActivateTab(-1);
    return;
  }
  if (page->PageControl() != this) return;
  ActivateTab(indexOf(page));
}

void TPage95Control::ActivateTab(int index) {
  TTab95Sheet* old = ActivePage();
  const QWidget* focus = QApplication::focusWidget();
  const bool hadFocus = old && focus && old->isAncestorOf(focus);
  TCustomTab95Control::ActivateTab(index);
  TTab95Sheet* now = ActivePage();
  if (!hadFocus || now == old) return;
  if (!now) {
    setFocus();
    return;
  }
  // The focus follows the page: to the new page's first control that takes it.
  for (QWidget* w = now->nextInFocusChain(); w && w != now; w = w->nextInFocusChain()) {
    if (now->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(now) && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  now->setFocus();
}

TTab95Sheet* TPage95Control::FindNextPage(const TTab95Sheet* from, bool forward, bool checkTabVisible) const {
  const int n = PageCount();
  if (n == 0) return nullptr;
  int i = from ? indexOf(const_cast<TTab95Sheet*>(from)) : -1;
  if (i < 0) i = forward ? n - 1 : 0;
  for (int k = 0; k < n; ++k) {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    TTab95Sheet* sheet = Pages(i);
    if (sheet && (!checkTabVisible || sheet->TabVisible())) return sheet;
  }
  return nullptr;
}

void TPage95Control::SelectNextPage(bool forward) {
  // Edit mode disables the control to keep the edited tune's page in place.
  if (!isEnabled()) return;
  TTab95Sheet* next = FindNextPage(ActivePage(), forward, true);
  if (!next || next == ActivePage() || !CanChange()) return;
  ActivateTab(indexOf(next));
  Change();
}

void TPage95Control::UpdateHint(int index) {
  QToolTip::hideText();
  QString hint;
  if (TTab95Sheet* page = Pages(index)) {
    hint = page->TabHint().trimmed();
  } else if (index == -1 && ActivePage()) {
    hint = ActivePage()->toolTip().trimmed();
  }
  setToolTip(hint);
}

void TPage95Control::ShiftTab(int from, int to) {
  if (TTab95Sheet* page = Pages(from)) page->SetPageIndex(to);
}

int TPage95Control::TabImageIndex(int index) const {
  const TTab95Sheet* page = Pages(index);
  return page ? page->ImageIndex() : -1;
}

void TPage95Control::InsertPage(TTab95Sheet* page) {
  const int index = addTab(page, page->Caption());
  setTabVisible(index, page->TabVisible());
}

void TPage95Control::RemovePage(TTab95Sheet* page) {
  const int index = indexOf(page);
  if (index >= 0) removeTab(index);
}

void TPage95Control::SheetFloated(TTab95Sheet* page) {
  floating_.erase(std::remove(floating_.begin(), floating_.end(), nullptr), floating_.end());
  floating_.emplace_back(page);
  // The search starts from no page, so the first page with a visible tab is chosen.
  TTab95Sheet* next = FindNextPage(nullptr, true, true);
  if (next && CanChange()) {
    ActivateTab(indexOf(next));
    Change();
  }
  emit OnFloatChange(page, fsFloating);
}

void TPage95Control::SheetDocked(TTab95Sheet* page) {
  floating_.erase(std::remove(floating_.begin(), floating_.end(), page), floating_.end());
  std::vector<TTab95Sheet*> order;
  for (int i = 0; i < PageCount(); ++i) {
    if (TTab95Sheet* sheet = Pages(i)) order.push_back(sheet);
  }
  // Stable, so sheets with equal static indexes keep the order they had.
  std::stable_sort(order.begin(), order.end(), [](const TTab95Sheet* a, const TTab95Sheet* b) {
    return a->StaticPageIndex() < b->StaticPageIndex();
  });
  for (int i = 0; i < static_cast<int>(order.size()); ++i) order[i]->SetPageIndex(i);
  emit OnFloatChange(page, fsDocked);
}

void TPage95Control::DrawTab(QPainter& canvas, const QString& caption, int index, const QRect& rect) {
  if (OnDrawTab()) {
    OnDrawTab()(*this, canvas, caption, index, rect);
  } else {
    DrawTabFace(canvas, caption, index, rect);
  }
  // The final 1-pixel frame in the canvas brush as it then stands.
  if (canvas.brush().style() == Qt::NoBrush) return;
  const QColor c = canvas.brush().color();
  canvas.fillRect(rect.left(), rect.top(), rect.width(), 1, c);
  canvas.fillRect(rect.left(), rect.bottom(), rect.width(), 1, c);
  canvas.fillRect(rect.left(), rect.top(), 1, rect.height(), c);
  canvas.fillRect(rect.right(), rect.top(), 1, rect.height(), c);
}

void TPage95Control::DrawTabFace(QPainter& canvas, const QString& caption, int index, const QRect& rect) {
  const bool selected = index == TabIndex();
  const TTab95Sheet* page = Pages(index);
  const QColor brush = selected ? TabActiveColor() : TabInactiveColor();
  const QFont font = selected ? this->font() : TabInactiveFont();
  QColor textColor = selected ? FontColor() : TabInactiveFontColor();
  int xShift = selected ? 1 : 0;
  int yShift = 0;
  if (HotTrack() && index == HotTab()) textColor = palette().color(QPalette::Highlight);
  canvas.setBrush(brush);
  canvas.setFont(font);
  canvas.fillRect(rect, brush);

  QRect text = rect;
  const bool vertical = VerticalTabs();
  const int image = page ? page->ImageIndex() : -1;
  if (Images() && image != -1) {
    const int iw = Images()->Width();
    const int ih = Images()->Height();
    int x = 0;
    int y = 0;
    if (!vertical) {
      xShift = selected ? 1 : 0;
      yShift = selected ? -1 : 1;
      x = rect.left() + 5 + xShift;
      y = rect.height() / 2 - ih / 2 + rect.top() + yShift;
      text.setLeft(x + 5 + iw);
    } else {
      xShift = selected ? -1 : 1;
      yShift = selected ? 1 : 0;
      x = rect.width() / 2 - iw / 2 + rect.left() + xShift;
      y = rect.top() + 5 + yShift;
      text.setTop(y + 5 + ih);
    }
    canvas.drawPixmap(x, y, Images()->Image(image));
  } else if (!vertical) {
    text.setLeft(text.left() + 5 + xShift);
  } else {
    text.setTop(text.top() + 5 + yShift);
  }

  const bool disabled = page && !page->isEnabledTo(this);
  if (TextRotation() == trVertical) {
    DrawRotatedText(canvas, caption, disabled, xShift, text, textColor);
    return;
  }
  text.translate(0, yShift);
  const int flags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignLeft | Qt::TextExpandTabs | Qt::TextShowMnemonic;
  if (disabled) {
    canvas.setPen(palette().color(QPalette::Light));
    canvas.drawText(text.translated(1, 1), flags, caption);
    canvas.setPen(palette().color(QPalette::Dark));
  } else {
    canvas.setPen(textColor);
  }
  canvas.drawText(text, flags, caption);
}

void TPage95Control::DrawRotatedText(QPainter& canvas, const QString& caption, bool disabled, int xShift,
                                     const QRect& rect, const QColor& color) {
  const QFontMetrics fm(canvas.font());
  const int h = fm.height();
  const int w = fm.horizontalAdvance(caption);
  // Reading upward beside tabs on the top or left, downward on the bottom or right.
  const bool up = TabPosition() == tpTopLeft;
  const int x = up ? rect.width() / 2 - h / 2 + rect.left() + xShift : h / 2 + rect.width() / 2 + rect.left() + xShift;
  const int y = up ? w + rect.top() : rect.top();
  const auto drawAt = [&](int px, int py, const QRect& clip, const QColor& c) {
    canvas.save();
    canvas.setClipRect(clip, Qt::IntersectClip);
    canvas.translate(px, py);
    canvas.rotate(up ? -90 : 90);
    canvas.setPen(c);
    canvas.drawText(0, fm.ascent(), caption);
    canvas.restore();
  };
  if (disabled) {
    drawAt(x + 1, y + 1, rect.translated(1, 1), palette().color(QPalette::Light));
    drawAt(x, y, rect, palette().color(QPalette::Dark));
  } else {
    drawAt(x, y, rect, color);
  }
}

}  // namespace rq
