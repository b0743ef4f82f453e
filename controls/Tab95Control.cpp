// The tab control: tab row geometry, owner drawing of frames, hot tracking, tab
// shifting and the user's selection paths.
#include "controls/Tab95Control.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QTabBar>
#include <algorithm>
#include <optional>

namespace rq {

// The tab row: lays tabs out at the control's sizes, hands painting and the mouse to
// the control, and keeps Qt from changing the tab behind the control's back (wheel,
// arrow keys, mnemonics).
class TTab95Bar : public QTabBar {
 public:
  explicit TTab95Bar(TCustomTab95Control& owner) : QTabBar(&owner), owner_(owner) {
    setMouseTracking(true);
    setDrawBase(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    setExpanding(false);
  }

 protected:
  QSize tabSizeHint(int index) const override {
    return owner_.PaintsOwnTabs() ? owner_.TabSize(index) : QTabBar::tabSizeHint(index);
  }
  QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

  void paintEvent(QPaintEvent* event) override {
    if (!owner_.PaintsOwnTabs()) {
      QTabBar::paintEvent(event);
      return;
    }
    QPainter painter(this);
    owner_.PaintTabs(painter);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTabBar::mousePressEvent(event);
      return;
    }
    const int tab = rect().contains(event->position().toPoint()) ? tabAt(event->position().toPoint()) : -1;
    owner_.SelectByUser(tab);
    owner_.BeginShift(tab);
    event->accept();
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const int tab = rect().contains(event->position().toPoint()) ? tabAt(event->position().toPoint()) : -1;
    owner_.TrackHotTab(tab);
    owner_.TrackShift(tab, event->buttons() & Qt::LeftButton);
    event->accept();
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTabBar::mouseReleaseEvent(event);
      return;
    }
    const int tab = rect().contains(event->position().toPoint()) ? tabAt(event->position().toPoint()) : -1;
    owner_.EndShift(tab);
    event->accept();
  }

  void leaveEvent(QEvent* event) override {
    owner_.TrackHotTab(-1);
    QTabBar::leaveEvent(event);
  }

  void wheelEvent(QWheelEvent* event) override { event->ignore(); }

  void keyPressEvent(QKeyEvent* event) override {
    const bool vertical = owner_.VerticalTabs();
    const int back = vertical ? Qt::Key_Up : Qt::Key_Left;
    const int ahead = vertical ? Qt::Key_Down : Qt::Key_Right;
    if (event->modifiers() == Qt::NoModifier && (event->key() == back || event->key() == ahead)) {
      const int step = event->key() == ahead ? 1 : -1;
      for (int i = currentIndex() + step; i >= 0 && i < count(); i += step) {
        if (isTabVisible(i)) {
          owner_.SelectByUser(i);
          break;
        }
      }
      event->accept();
      return;
    }
    QWidget::keyPressEvent(event);
  }

  bool event(QEvent* event) override {
    if (event->type() == QEvent::Shortcut) {
      const auto key = static_cast<QShortcutEvent*>(event)->key();
      for (int i = 0; i < count(); ++i) {
        if (isTabVisible(i) && QKeySequence::mnemonic(tabText(i)) == key) {
          owner_.SelectByUser(i);
          return true;
        }
      }
    }
    return QTabBar::event(event);
  }

 private:
  TCustomTab95Control& owner_;
};

// Ctrl+Tab and Ctrl+Shift+Tab for every window: one application-wide filter takes the
// keys before any widget or shortcut and hands each press to exactly one page control
// of the window it was pressed in. (Window-wide shortcuts of two page controls in one
// window would be handed successive presses in turn.)
class TCtrlTabPaging : public QObject {
 public:
  // Installs the filter once per application object.
  static void Install() {
    static QPointer<TCtrlTabPaging> paging;
    if (paging || !QCoreApplication::instance()) return;
    paging = new TCtrlTabPaging(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(paging);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The override keeps the key from shortcuts; the press itself then pages.
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    const auto forward = PagingDirection(*static_cast<QKeyEvent*>(event));
    auto* focus = qobject_cast<QWidget*>(watched);
    if (!forward || !focus) return false;
    TCustomTab95Control* target = Target(focus);
    if (!target) return false;
    if (event->type() == QEvent::KeyPress) target->SelectNextPage(*forward);
    event->accept();
    return true;
  }

 private:
  using QObject::QObject;

  // Ctrl+Tab pages forward, Ctrl+Shift+Tab back; nullopt for any other key.
  static std::optional<bool> PagingDirection(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Tab && mods == Qt::ControlModifier) return true;
    const bool back = key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab;
    if (back && mods == (Qt::ControlModifier | Qt::ShiftModifier)) return false;
    return std::nullopt;
  }

  static bool Pageable(const TCustomTab95Control* c) { return c->isVisible() && c->isEnabled(); }

  // The page control that holds the focus (the innermost one), else the window's
  // default one, else the window's first; only shown, enabled controls count.
  static TCustomTab95Control* Target(QWidget* focus) {
    for (QWidget* w = focus; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
      if (auto* c = qobject_cast<TCustomTab95Control*>(w); c && Pageable(c)) return c;
    }
    QWidget* window = focus->window();
    QList<TCustomTab95Control*> controls;
    for (TCustomTab95Control* c : window->findChildren<TCustomTab95Control*>()) {
      // Windows of their own parented to this one (floating sheets) page by themselves.
      if (c->window() == window && Pageable(c)) controls << c;
    }
    for (TCustomTab95Control* c : controls) {
      if (c->DefaultForCtrlTab()) return c;
    }
    return controls.isEmpty() ? nullptr : controls.first();
  }
};

namespace {

// Extra room around a tab's content: 2 on each end along the row, 2 for the lift of
// the selected tab across it.
constexpr int kTabEnds = 4;
constexpr int kLift = 2;

// A painter fills a font's unset attributes from the widget's font (bold for the
// selected tab); the inactive font keeps its own.
QFont FullyResolved(const QFont& font) {
  QFont f(font);
  f.setFamilies(font.families().isEmpty() ? QStringList{font.family()} : font.families());
  f.setWeight(font.weight());
  f.setItalic(font.italic());
  f.setUnderline(font.underline());
  f.setStrikeOut(font.strikeOut());
  if (font.pixelSize() > 0) {
    f.setPixelSize(font.pixelSize());
  } else {
    f.setPointSizeF(font.pointSizeF());
  }
  return f;
}

}  // namespace

TCustomTab95Control::TCustomTab95Control(QWidget* parent)
    : QTabWidget(parent), tabInactiveFont_(FullyResolved(QApplication::font())) {
  setTabBar(new TTab95Bar(*this));
  resize(289, 193);
  TCtrlTabPaging::Install();
  RecreateTabs();
}

TCustomTab95Control::~TCustomTab95Control() = default;

TTab95Bar* TCustomTab95Control::Bar() const { return static_cast<TTab95Bar*>(tabBar()); }

void TCustomTab95Control::SetMultiLine(bool on) {
  if (on == multiLine_) return;
  multiLine_ = on;
  if (!on) scrollOpposite_ = false;
  RecreateTabs();
}

void TCustomTab95Control::SetScrollOpposite(bool on) {
  if (on == scrollOpposite_) return;
  scrollOpposite_ = on;
  if (on) multiLine_ = true;
  RecreateTabs();
}

void TCustomTab95Control::SetMultiSelect(bool on) {
  if (on == multiSelect_) return;
  multiSelect_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetUseMSDrawing(bool on) {
  if (on == useMSDrawing_) return;
  useMSDrawing_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetFocusButtons(bool on) {
  if (on == focusButtons_) return;
  focusButtons_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetTextRotation(TTextRotation rotation) {
  if (rotation == textRotation_) return;
  textRotation_ = rotation;
  RecreateTabs();
}

void TCustomTab95Control::SetFlatButtons(bool on) {
  if (on == flatButtons_) return;
  flatButtons_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetFlatSeperators(bool on) {
  flatSeperators_ = on;
  Bar()->update();
}

void TCustomTab95Control::SetButtonStyle(bool on) {
  if (on == buttonStyle_) return;
  verticalTabs_ = false;
  tabPosition_ = tpTopLeft;
  buttonStyle_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetTabPosition(TTab95Position position) {
  if (buttonStyle_) throw EInvalidOperation("Buttons are only supported when aligned along the top");
  if (position == tabPosition_) return;
  tabPosition_ = position;
  RecreateTabs();
}

void TCustomTab95Control::SetVerticalTabs(bool on) {
  if (buttonStyle_) throw EInvalidOperation("Buttons are only supported when aligned along the top");
  if (on == verticalTabs_) return;
  verticalTabs_ = on;
  RecreateTabs();
}

namespace {
EInvalidOperation OutOfRange(const QObject& control) {
  QString name = QString::fromLatin1(control.metaObject()->className());
  name = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
  return EInvalidOperation(QStringLiteral("Propriété %1 hors limites").arg(name).toStdString());
}
}  // namespace

void TCustomTab95Control::SetTabWidth(int width) {
  if (width < 0) throw OutOfRange(*this);
  if (width == tabWidth_) return;
  const bool styleChanges = tabWidth_ == 0 || width == 0;
  tabWidth_ = width;
  if (styleChanges) {
    RecreateTabs();
  } else {
    TabsChanged();
  }
}

void TCustomTab95Control::SetTabHeight(int height) {
  if (height < 0) throw OutOfRange(*this);
  if (height == tabHeight_) return;
  tabHeight_ = height;
  TabsChanged();
}

void TCustomTab95Control::SetTabStop(bool on) {
  if (on == tabStop_) return;
  tabStop_ = on;
  RecreateTabs();
}

void TCustomTab95Control::SetTabActiveColor(const QColor& color) {
  if (color == tabActiveColor_) return;
  tabActiveColor_ = color;
  Bar()->update();
}

void TCustomTab95Control::SetTabInactiveColor(const QColor& color) {
  if (color == tabInactiveColor_) return;
  tabInactiveColor_ = color;
  Bar()->update();
}

void TCustomTab95Control::SetTabInactiveFont(const QFont& font, const QColor& color) {
  tabInactiveFont_ = FullyResolved(font);
  tabInactiveFontColor_ = color;
  TabFontChanged();
}

QColor TCustomTab95Control::FontColor() const { return palette().color(QPalette::WindowText); }

void TCustomTab95Control::SetFontColor(const QColor& color) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, color);
  setPalette(p);
}

void TCustomTab95Control::SetImages(TImageList* images) {
  disconnect(imagesLink_);
  images_ = images;
  if (images) imagesLink_ = connect(images, &TImageList::Changed, this, [this] { TabsChanged(); });
  TabsChanged();
}

void TCustomTab95Control::SetOnDrawTab(TDrawTab95Event handler) {
  onDrawTab_ = std::move(handler);
  Bar()->update();
}

void TCustomTab95Control::TabFontChanged() { Bar()->update(); }

int TCustomTab95Control::TabImageIndex(int) const { return -1; }

bool TCustomTab95Control::CanChange() const { return !onChanging_ || onChanging_(); }

void TCustomTab95Control::Change() { emit OnChange(); }

void TCustomTab95Control::ActivateTab(int index) { setCurrentIndex(index); }

void TCustomTab95Control::SelectByUser(int index) {
  if (!isEnabled() || index < 0 || index >= count() || index == currentIndex() || !isTabVisible(index)) return;
  if (!CanChange()) return;
  ActivateTab(index);
  if (currentIndex() == index) Change();
}

void TCustomTab95Control::RecreateTabs() {
  QTabWidget::TabPosition side = tabPosition_ == tpTopLeft ? QTabWidget::North : QTabWidget::South;
  if (verticalTabs_) side = tabPosition_ == tpTopLeft ? QTabWidget::West : QTabWidget::East;
  setTabPosition(side);
  Qt::FocusPolicy focus = Qt::StrongFocus;
  if (!tabStop_) {
    focus = Qt::NoFocus;
  } else if (buttonStyle_ && !focusButtons_) {
    focus = Qt::TabFocus;
  }
  Bar()->setFocusPolicy(focus);
  TabsChanged();
}

void TCustomTab95Control::TabsChanged() {
  // Setting the icon size marks the tab layout dirty and asks the control for a new
  // layout of the row and the page area.
  Bar()->setIconSize(Bar()->iconSize());
  Bar()->update();
  update();
}

int TCustomTab95Control::TabAt(const QPoint& controlPos) const {
  const QPoint p = Bar()->mapFrom(this, controlPos);
  return Bar()->rect().contains(p) ? Bar()->tabAt(p) : -1;
}

QSize TCustomTab95Control::TabSize(int index) const {
  const QFontMetrics fm(font());
  const int image = TabImageIndex(index);
  const bool hasImage = images_ && image != -1;
  int length = tabWidth_;
  if (length == 0) {
    length = 5 + fm.horizontalAdvance(tabText(index)) + 8;
    if (hasImage) length += (verticalTabs_ ? images_->Height() : images_->Width()) + 5;
  }
  int thickness = tabHeight_;
  if (thickness == 0) {
    thickness = fm.height() + 6;
    if (hasImage) thickness = std::max(thickness, (verticalTabs_ ? images_->Width() : images_->Height()) + 6);
  }
  length += kTabEnds;
  thickness += kLift;
  return verticalTabs_ ? QSize(thickness, length) : QSize(length, thickness);
}

QRect TCustomTab95Control::MapRow(const RowRect& r) const {
  const int rowThickness = RowThickness();
  switch (tabPosition()) {
    case QTabWidget::North: return {r.u, r.v, r.length, r.thickness};
    case QTabWidget::South: return {r.u, rowThickness - r.v - r.thickness, r.length, r.thickness};
    case QTabWidget::West: return {r.v, r.u, r.thickness, r.length};
    case QTabWidget::East: return {rowThickness - r.v - r.thickness, r.u, r.thickness, r.length};
  }
  return {};
}

int TCustomTab95Control::RowThickness() const { return verticalTabs_ ? Bar()->width() : Bar()->height(); }

TCustomTab95Control::RowRect TCustomTab95Control::FrameRow(int index, bool selected) const {
  const QRect slot = Bar()->tabRect(index);
  const int u = verticalTabs_ ? slot.y() : slot.x();
  const int length = verticalTabs_ ? slot.height() : slot.width();
  const int thickness = RowThickness();
  if (buttonStyle_) return {u + 1, 1, length - 2, thickness - 2};
  // The selected tab stands out: 2 pixels longer at its end and lifted by kLift.
  if (selected) return {u, 0, length + 2, thickness};
  return {u + 2, kLift, length - 2, thickness - kLift};
}

QRect TCustomTab95Control::FrameRect(int index, bool selected) const {
  return MapRow(FrameRow(index, selected));
}

QPoint TCustomTab95Control::TabSideShift() const {
  if (buttonStyle_) return {};
  switch (tabPosition()) {
    case QTabWidget::North: return {0, 1};
    case QTabWidget::South: return {0, -2};
    case QTabWidget::West: return {1, 0};
    case QTabWidget::East: return {-2, 0};
  }
  return {};
}

QRect TCustomTab95Control::ItemRect(int index) const {
  if (index < 0 || index >= count() || !isTabVisible(index)) return {};
  const bool selected = index == currentIndex();
  const RowRect f = FrameRow(index, selected);
  RowRect inner{};
  if (buttonStyle_) {
    inner = {f.u + 2, f.v + 2, f.length - 4, f.thickness - 4};
  } else {
    // Inside the light edge (1) and the dark edges (2); the selected tab's content
    // runs over the page's edge line, the others stop before it.
    inner = {f.u + 1, f.v + 1, f.length - 3, f.thickness - (selected ? 1 : 2)};
  }
  QRect item = MapRow(inner);
  // The drawing moves unselected tabs by TabSideShift; the rectangle given makes up for it.
  if (!selected) item.translate(-TabSideShift());
  return item;
}

void TCustomTab95Control::PaintTabFrame(QPainter& painter, int index, bool selected) const {
  const QRect f = FrameRect(index, selected);
  const QPalette& pal = palette();
  painter.fillRect(f, pal.color(QPalette::Button));
  if (buttonStyle_) {
    if (flatButtons_ && !selected) return;
    const QColor topLeft = pal.color(selected ? QPalette::Dark : QPalette::Light);
    const QColor bottomRight = pal.color(selected ? QPalette::Light : QPalette::Shadow);
    painter.fillRect(f.left(), f.top(), f.width(), 1, topLeft);
    painter.fillRect(f.left(), f.top(), 1, f.height(), topLeft);
    painter.fillRect(f.left(), f.bottom(), f.width(), 1, bottomRight);
    painter.fillRect(f.right(), f.top(), 1, f.height(), bottomRight);
    return;
  }
  const QColor light = pal.color(QPalette::Light);
  const QColor dark = pal.color(QPalette::Dark);
  const QColor shadow = pal.color(QPalette::Shadow);
  // Light on the left and top, dark on the right and bottom; the page's side stays open.
  switch (tabPosition()) {
    case QTabWidget::North:
      painter.fillRect(f.left(), f.top() + 2, 1, f.height() - 2, light);
      painter.fillRect(f.left() + 1, f.top() + 1, 1, 1, light);
      painter.fillRect(f.left() + 2, f.top(), f.width() - 4, 1, light);
      painter.fillRect(f.right() - 1, f.top() + 1, 1, f.height() - 1, dark);
      painter.fillRect(f.right(), f.top() + 2, 1, f.height() - 2, shadow);
      break;
    case QTabWidget::South:
      painter.fillRect(f.left(), f.top(), 1, f.height() - 2, light);
      painter.fillRect(f.left() + 2, f.bottom(), f.width() - 4, 1, shadow);
      painter.fillRect(f.left() + 1, f.bottom() - 1, f.width() - 2, 1, dark);
      painter.fillRect(f.right() - 1, f.top(), 1, f.height() - 1, dark);
      painter.fillRect(f.right(), f.top(), 1, f.height() - 2, shadow);
      break;
    case QTabWidget::West:
      painter.fillRect(f.left() + 2, f.top(), f.width() - 2, 1, light);
      painter.fillRect(f.left() + 1, f.top() + 1, 1, 1, light);
      painter.fillRect(f.left(), f.top() + 2, 1, f.height() - 4, light);
      painter.fillRect(f.left() + 1, f.bottom() - 1, f.width() - 1, 1, dark);
      painter.fillRect(f.left() + 2, f.bottom(), f.width() - 2, 1, shadow);
      break;
    case QTabWidget::East:
      painter.fillRect(f.left(), f.top(), f.width() - 2, 1, light);
      painter.fillRect(f.right(), f.top() + 2, 1, f.height() - 4, shadow);
      painter.fillRect(f.right() - 1, f.top() + 1, 1, f.height() - 2, dark);
      painter.fillRect(f.left(), f.bottom() - 1, f.width() - 1, 1, dark);
      painter.fillRect(f.left(), f.bottom(), f.width() - 2, 1, shadow);
      break;
  }
}

void TCustomTab95Control::PaintTabs(QPainter& painter) {
  TTab95Bar& bar = *Bar();
  const QPalette& pal = palette();
  painter.fillRect(bar.rect(), pal.color(QPalette::Window));
  const int current = currentIndex();
  if (!buttonStyle_) {
    // The page's edge line along the row, open under the selected tab.
    QRect line;
    QColor color = pal.color(QPalette::Light);
    switch (tabPosition()) {
      case QTabWidget::North: line = QRect(0, bar.height() - 1, bar.width(), 1); break;
      case QTabWidget::South: line = QRect(0, 0, bar.width(), 1); color = pal.color(QPalette::Shadow); break;
      case QTabWidget::West: line = QRect(bar.width() - 1, 0, 1, bar.height()); break;
      case QTabWidget::East: line = QRect(0, 0, 1, bar.height()); color = pal.color(QPalette::Shadow); break;
    }
    painter.fillRect(line, color);
  }
  const auto paintOne = [&](int i) {
    const bool selected = i == current;
    painter.save();
    painter.setFont(font());
    painter.setPen(FontColor());
    painter.setBrush(pal.color(QPalette::Button));
    PaintTabFrame(painter, i, selected);
    QRect item = ItemRect(i);
    if (!selected) item.translate(TabSideShift());
    DrawTab(painter, tabText(i), i, item);
    painter.restore();
  };
  for (int i = 0; i < count(); ++i) {
    if (i == current || !isTabVisible(i)) continue;
    paintOne(i);
    if (buttonStyle_ && flatButtons_ && flatSeperators_ && i + 1 < count()) {
      const QRect f = FrameRect(i, false);
      painter.fillRect(f.right() + 1, f.top() + 2, 1, f.height() - 4, pal.color(QPalette::Dark));
      painter.fillRect(f.right() + 2, f.top() + 2, 1, f.height() - 4, pal.color(QPalette::Light));
    }
  }
  if (current >= 0 && isTabVisible(current)) paintOne(current);
}

void TCustomTab95Control::paintEvent(QPaintEvent* event) {
  if (useMSDrawing_) {
    QTabWidget::paintEvent(event);
    return;
  }
  // The page area's raised frame, whose edge on the tabs' side the tab row draws.
  QPainter painter(this);
  const QPalette& pal = palette();
  const QRect bar = Bar()->geometry();
  QRect pane = rect();
  switch (tabPosition()) {
    case QTabWidget::North: pane.setTop(bar.bottom() + 1); break;
    case QTabWidget::South: pane.setBottom(bar.top() - 1); break;
    case QTabWidget::West: pane.setLeft(bar.right() + 1); break;
    case QTabWidget::East: pane.setRight(bar.left() - 1); break;
  }
  painter.fillRect(rect(), pal.color(QPalette::Window));
  if (pane.isEmpty()) return;
  const QColor light = pal.color(QPalette::Light);
  const QColor dark = pal.color(QPalette::Dark);
  const QColor shadow = pal.color(QPalette::Shadow);
  const auto side = tabPosition();
  if (side != QTabWidget::North) painter.fillRect(pane.left(), pane.top(), pane.width(), 1, light);
  if (side != QTabWidget::West) painter.fillRect(pane.left(), pane.top(), 1, pane.height(), light);
  if (side != QTabWidget::South) {
    painter.fillRect(pane.left() + 1, pane.bottom() - 1, pane.width() - 2, 1, dark);
    painter.fillRect(pane.left(), pane.bottom(), pane.width(), 1, shadow);
  }
  if (side != QTabWidget::East) {
    painter.fillRect(pane.right() - 1, pane.top() + 1, 1, pane.height() - 2, dark);
    painter.fillRect(pane.right(), pane.top(), 1, pane.height(), shadow);
  }
  // Beside the tab row the page's edge continues along the control.
  switch (side) {
    case QTabWidget::North: painter.fillRect(bar.right() + 1, bar.bottom(), width(), 1, light); break;
    case QTabWidget::South: painter.fillRect(bar.right() + 1, bar.top(), width(), 1, shadow); break;
    case QTabWidget::West: painter.fillRect(bar.right(), bar.bottom() + 1, 1, height(), light); break;
    case QTabWidget::East: painter.fillRect(bar.left(), bar.bottom() + 1, 1, height(), shadow); break;
  }
}

void TCustomTab95Control::keyPressEvent(QKeyEvent* event) {
  // Qt's own paging keys would change the page without OnChange; Ctrl+Tab is taken
  // before the key gets here, by TCtrlTabPaging.
  QWidget::keyPressEvent(event);
}

void TCustomTab95Control::TrackHotTab(int index) {
  if (index == hotTab_) return;
  const int old = hotTab_;
  hotTab_ = index;
  emit OnTabTrack(index);
  UpdateHint(index);
  if (hotTrack_) {
    if (old >= 0 && old < count()) Bar()->update(FrameRect(old, old == currentIndex()));
    if (index >= 0) Bar()->update(FrameRect(index, index == currentIndex()));
  }
}

void TCustomTab95Control::BeginShift(int pressedTab) {
  // A shift starts only from a press that left its tab selected.
  shiftPage_ = allowTabShifting_ && pressedTab >= 0 && pressedTab == currentIndex() ? widget(pressedTab) : nullptr;
}

void TCustomTab95Control::TrackShift(int tabUnderPointer, bool leftHeld) {
  if (!shiftPage_) return;
  Qt::CursorShape shape = Qt::ArrowCursor;
  if (leftHeld && tabUnderPointer < 0) {
    shape = Qt::ForbiddenCursor;
  } else if (leftHeld && tabUnderPointer != indexOf(shiftPage_)) {
    shape = Qt::DragMoveCursor;
  }
  Bar()->setCursor(shape);
}

void TCustomTab95Control::EndShift(int tabUnderPointer) {
  QWidget* page = shiftPage_;
  shiftPage_ = nullptr;
  Bar()->unsetCursor();
  if (!page) return;
  const int from = indexOf(page);
  if (from < 0 || tabUnderPointer < 0 || tabUnderPointer == from) return;
  ShiftTab(from, tabUnderPointer);
  emit OnTabShift();
}

void TCustomTab95Control::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TCustomTab95Control::dragMoveEvent(QDragMoveEvent* event) {
  const int tab = TabAt(event->position().toPoint());
  TrackHotTab(tab);
  emit OnDragOver(event, tab);
}

void TCustomTab95Control::dragLeaveEvent(QDragLeaveEvent* event) {
  TrackHotTab(-1);
  event->accept();
}

void TCustomTab95Control::dropEvent(QDropEvent* event) {
  const int tab = TabAt(event->position().toPoint());
  emit OnDragDrop(event, tab);
  TrackHotTab(-1);
}

}  // namespace rq
