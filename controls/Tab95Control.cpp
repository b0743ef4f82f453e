// The tab control: tab row geometry, owner drawing of frames, hot tracking, tab
// shifting and the user's selection paths.
#include "controls/Tab95Control.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QStackedWidget>
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
  QSize sizeHint() const override { return owner_.Wraps() ? owner_.WrappedRowSize(false) : QTabBar::sizeHint(); }
  QSize minimumSizeHint() const override {
    return owner_.Wraps() ? owner_.WrappedRowSize(true) : QTabBar::minimumSizeHint();
  }

  void paintEvent(QPaintEvent* event) override {
    if (!owner_.PaintsOwnTabs()) {
      QTabBar::paintEvent(event);
      return;
    }
    QPainter painter(this);
    owner_.PaintTabs(painter, false);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTabBar::mousePressEvent(event);
      return;
    }
    owner_.PressTab(event->position().toPoint(), event->modifiers());
    event->accept();
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    owner_.MoveOverTabs(event->position().toPoint(), event->buttons() & Qt::LeftButton);
    event->accept();
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTabBar::mouseReleaseEvent(event);
      return;
    }
    owner_.ReleaseTab(event->position().toPoint());
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
      for (int i = owner_.TabIndex() + step; i >= 0 && i < count(); i += step) {
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

// The rows of tabs beyond the page (ScrollOpposite): painted and handled by the control
// in the tab row's coordinates.
class TTab95FarRows : public QWidget {
 public:
  explicit TTab95FarRows(TCustomTab95Control& owner) : QWidget(&owner), owner_(owner) {
    setMouseTracking(true);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.translate(-ToRow(QPoint()));
    owner_.PaintTabs(painter, true);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) owner_.PressTab(ToRow(event->position().toPoint()), event->modifiers());
    event->accept();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    owner_.MoveOverTabs(ToRow(event->position().toPoint()), event->buttons() & Qt::LeftButton);
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) owner_.ReleaseTab(ToRow(event->position().toPoint()));
    event->accept();
  }
  void leaveEvent(QEvent* event) override {
    owner_.TrackHotTab(-1);
    QWidget::leaveEvent(event);
  }

 private:
  QPoint ToRow(const QPoint& p) const { return owner_.Bar()->mapFrom(&owner_, mapTo(&owner_, p)); }

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
  farRows_ = new TTab95FarRows(*this);
  // A new selection may bring another row next to the page.
  connect(this, &QTabWidget::currentChanged, this, [this] { RepaintTabs(); });
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
  if (!on) downPages_.clear();
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

void TCustomTab95Control::ActivateTab(int index) {
  if (index >= count()) return;
  if (index < 0) {
    if (count() == 0) return;
    noSelection_ = true;
    if (QWidget* page = currentWidget()) page->hide();
    RepaintTabs();
    return;
  }
  noSelection_ = false;
  setCurrentIndex(index);
  // After a time with no page, the tab that stayed current in Qt shows its page again.
  if (QWidget* page = currentWidget(); page && currentIndex() == index) page->show();
  RepaintTabs();
}

void TCustomTab95Control::SelectByUser(int index) {
  if (!isEnabled() || index < 0 || index >= count() || index == TabIndex() || !isTabVisible(index)) return;
  if (!CanChange()) return;
  ActivateTab(index);
  if (TabIndex() == index) Change();
}

bool TCustomTab95Control::TabDown(int index) const {
  if (index < 0 || index >= count()) return false;
  if (index == TabIndex()) return true;
  return multiSelect_ && buttonStyle_ && std::find(downPages_.begin(), downPages_.end(), widget(index)) != downPages_.end();
}

void TCustomTab95Control::ToggleDown(int index) {
  QWidget* page = widget(index);
  if (!page || index == TabIndex()) return;
  const auto it = std::find(downPages_.begin(), downPages_.end(), page);
  if (it == downPages_.end()) {
    downPages_.emplace_back(page);
  } else {
    downPages_.erase(it);
  }
  RepaintTabs();
}

void TCustomTab95Control::PressTab(const QPoint& rowPos, Qt::KeyboardModifiers modifiers) {
  const int tab = TabAtRowPoint(rowPos);
  if (tab >= 0 && multiSelect_ && buttonStyle_ && (modifiers & Qt::ControlModifier)) {
    shiftPage_ = nullptr;
    ToggleDown(tab);
    return;
  }
  if (tab >= 0 && !downPages_.empty()) {
    downPages_.clear();
    RepaintTabs();
  }
  SelectByUser(tab);
  BeginShift(tab);
}

void TCustomTab95Control::MoveOverTabs(const QPoint& rowPos, bool leftHeld) {
  const int tab = TabAtRowPoint(rowPos);
  TrackHotTab(tab);
  TrackShift(tab, leftHeld);
}

void TCustomTab95Control::ReleaseTab(const QPoint& rowPos) { EndShift(TabAtRowPoint(rowPos)); }

void TCustomTab95Control::RepaintTabs() {
  Bar()->update();
  farRows_->update();
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
  // Without a tab stop the control is passed over by Tab and a click leaves the focus
  // where it was. The control's policy goes on to the tab row (its focus proxy), so
  // the row's own comes after it.
  setFocusPolicy(tabStop_ ? Qt::TabFocus : Qt::NoFocus);
  Bar()->setFocusPolicy(focus);
  Bar()->setUsesScrollButtons(!Wraps());
  TabsChanged();
}

void TCustomTab95Control::TabsChanged() {
  // Setting the icon size marks the tab layout dirty and asks the control for a new
  // layout of the row and the page area.
  Bar()->setIconSize(Bar()->iconSize());
  Bar()->updateGeometry();
  PlaceFarRows();
  RepaintTabs();
  update();
}

int TCustomTab95Control::TabAt(const QPoint& controlPos) const {
  return TabAtRowPoint(Bar()->mapFrom(this, controlPos));
}

int TCustomTab95Control::TabAtRowPoint(const QPoint& rowPos) const {
  if (!Wraps()) return Bar()->rect().contains(rowPos) ? Bar()->tabAt(rowPos) : -1;
  const TabLayout layout = WrappedLayout();
  for (int i = 0; i < static_cast<int>(layout.places.size()); ++i) {
    if (layout.places[i].contains(rowPos)) return i;
  }
  return -1;
}

int TCustomTab95Control::RowCount() const {
  if (!Wraps()) return 1;
  const TabLayout layout = WrappedLayout();
  return layout.nearRows + layout.farRows;
}

TCustomTab95Control::TabLayout TCustomTab95Control::WrappedLayout() const {
  if (paintLayout_) return *paintLayout_;
  TabLayout out;
  const int n = count();
  out.places.assign(n, QRect());
  out.far.assign(n, false);
  const bool vertical = verticalTabs_;
  const int rowLength = std::max(1, vertical ? height() : width());
  // Tabs in their order, a new row whenever the next would run past the control.
  std::vector<std::vector<int>> rows;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    if (!isTabVisible(i)) continue;
    const QSize size = TabSize(i);
    const int length = vertical ? size.height() : size.width();
    out.thickness = std::max(out.thickness, vertical ? size.width() : size.height());
    if (rows.empty() || (used + length > rowLength && !rows.back().empty())) {
      rows.emplace_back();
      used = 0;
    }
    rows.back().push_back(i);
    used += length;
  }
  if (rows.empty()) {
    const QSize size = TabSize(-1);
    out.thickness = vertical ? size.width() : size.height();
    return out;
  }
  const int count = static_cast<int>(rows.size());
  int selectedRow = 0;
  for (int r = 0; r < count; ++r) {
    if (std::find(rows[r].begin(), rows[r].end(), TabIndex()) != rows[r].end()) selectedRow = r;
  }
  out.nearRows = scrollOpposite_ ? 1 : count;
  out.farRows = count - out.nearRows;
  const int t = out.thickness;
  const QPoint bar = Bar()->pos();
  // Rows go outward from the page in their order, starting at the selected tab's row
  // and coming round to the rows before it.
  for (int k = 0; k < count; ++k) {
    const bool far = k >= out.nearRows;
    const int fromPage = far ? k - out.nearRows : k;
    int across = 0;  // the row's position across the tab row, in its coordinates
    switch (tabPosition()) {
      case QTabWidget::North: across = far ? height() - (out.farRows - fromPage) * t - bar.y() : (out.nearRows - 1 - fromPage) * t; break;
      case QTabWidget::South: across = far ? (out.farRows - 1 - fromPage) * t - bar.y() : fromPage * t; break;
      case QTabWidget::West: across = far ? width() - (out.farRows - fromPage) * t - bar.x() : (out.nearRows - 1 - fromPage) * t; break;
      case QTabWidget::East: across = far ? (out.farRows - 1 - fromPage) * t - bar.x() : fromPage * t; break;
    }
    int along = 0;
    for (const int i : rows[(selectedRow + k) % count]) {
      const QSize size = TabSize(i);
      const int length = vertical ? size.height() : size.width();
      out.places[i] = vertical ? QRect(across, along, t, length) : QRect(along, across, length, t);
      out.far[i] = far;
      along += length;
    }
  }
  return out;
}

QSize TCustomTab95Control::WrappedRowSize(bool minimum) const {
  int length = 0;
  for (int i = 0; i < count(); ++i) {
    if (!isTabVisible(i)) continue;
    const QSize size = TabSize(i);
    const int one = verticalTabs_ ? size.height() : size.width();
    length = minimum ? std::max(length, one) : length + one;
  }
  const TabLayout layout = WrappedLayout();
  const int across = layout.nearRows * layout.thickness;
  return verticalTabs_ ? QSize(across, length) : QSize(length, across);
}

int TCustomTab95Control::FarThickness() const {
  if (!Wraps() || !scrollOpposite_) return 0;
  const TabLayout layout = WrappedLayout();
  return layout.farRows * layout.thickness;
}

void TCustomTab95Control::PlaceFarRows() {
  auto* stack = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
  if (!stack || !farRows_) return;
  QRect placed = stack->geometry();
  // Called again before Qt placed the pages anew: start from Qt's placing.
  if (stackNarrowed_.isValid() && placed == stackNarrowed_) placed = stackAsPlaced_;
  stackAsPlaced_ = placed;
  const int far = FarThickness();
  if (far <= 0) {
    stackNarrowed_ = QRect();
    if (stack->geometry() != placed) stack->setGeometry(placed);
    farRows_->hide();
    return;
  }
  QRect narrowed = placed;
  QRect strip;
  switch (tabPosition()) {
    case QTabWidget::North: narrowed.setBottom(placed.bottom() - far); strip = QRect(0, height() - far, width(), far); break;
    case QTabWidget::South: narrowed.setTop(placed.top() + far); strip = QRect(0, 0, width(), far); break;
    case QTabWidget::West: narrowed.setRight(placed.right() - far); strip = QRect(width() - far, 0, far, height()); break;
    case QTabWidget::East: narrowed.setLeft(placed.left() + far); strip = QRect(0, 0, far, height()); break;
  }
  stackNarrowed_ = narrowed;
  stack->setGeometry(narrowed);
  farRows_->setGeometry(strip);
  farRows_->show();
  farRows_->raise();
  farRows_->update();
}

bool TCustomTab95Control::event(QEvent* event) {
  const bool handled = QTabWidget::event(event);
  switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::LayoutRequest:
    case QEvent::StyleChange:
    case QEvent::FontChange: PlaceFarRows(); break;
    default: break;
  }
  return handled;
}

void TCustomTab95Control::tabInserted(int index) {
  QTabWidget::tabInserted(index);
  PlaceFarRows();
}

void TCustomTab95Control::tabRemoved(int index) {
  QTabWidget::tabRemoved(index);
  // Qt shows a page in place of a removed current one; with no page active it stays hidden.
  if (noSelection_) {
    if (count() == 0) {
      noSelection_ = false;
    } else if (QWidget* page = currentWidget()) {
      page->hide();
    }
  }
  downPages_.erase(std::remove(downPages_.begin(), downPages_.end(), nullptr), downPages_.end());
  PlaceFarRows();
}

QSize TCustomTab95Control::sizeHint() const {
  QSize size = QTabWidget::sizeHint();
  const int far = FarThickness();
  return verticalTabs_ ? size + QSize(far, 0) : size + QSize(0, far);
}

QSize TCustomTab95Control::minimumSizeHint() const {
  QSize size = QTabWidget::minimumSizeHint();
  const int far = FarThickness();
  return verticalTabs_ ? size + QSize(far, 0) : size + QSize(0, far);
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

QRect TCustomTab95Control::MapInSlot(const QRect& slot, QTabWidget::TabPosition side, const RowRect& r) const {
  switch (side) {
    case QTabWidget::North: return {slot.x() + r.u, slot.y() + r.v, r.length, r.thickness};
    case QTabWidget::South: return {slot.x() + r.u, slot.y() + slot.height() - r.v - r.thickness, r.length, r.thickness};
    case QTabWidget::West: return {slot.x() + r.v, slot.y() + r.u, r.thickness, r.length};
    case QTabWidget::East: return {slot.x() + slot.width() - r.v - r.thickness, slot.y() + r.u, r.thickness, r.length};
  }
  return {};
}

int TCustomTab95Control::RowThickness() const { return verticalTabs_ ? Bar()->width() : Bar()->height(); }

QRect TCustomTab95Control::TabRect(int index) const {
  if (index < 0 || index >= count() || !isTabVisible(index)) return {};
  if (Wraps()) return WrappedLayout().places[index];
  // One row: Qt's place along the row, the whole row across it.
  QRect slot = Bar()->tabRect(index);
  if (verticalTabs_) {
    slot.setLeft(0);
    slot.setWidth(RowThickness());
  } else {
    slot.setTop(0);
    slot.setHeight(RowThickness());
  }
  return slot;
}

QTabWidget::TabPosition TCustomTab95Control::SideOf(int index) const {
  const QTabWidget::TabPosition side = tabPosition();
  if (!Wraps() || !scrollOpposite_ || index < 0 || index >= count() || !WrappedLayout().far[index]) return side;
  switch (side) {
    case QTabWidget::North: return QTabWidget::South;
    case QTabWidget::South: return QTabWidget::North;
    case QTabWidget::West: return QTabWidget::East;
    case QTabWidget::East: return QTabWidget::West;
  }
  return side;
}

TCustomTab95Control::RowRect TCustomTab95Control::FrameRow(int index, bool selected) const {
  const QRect slot = TabRect(index);
  const int length = verticalTabs_ ? slot.height() : slot.width();
  const int thickness = verticalTabs_ ? slot.width() : slot.height();
  if (buttonStyle_) return {1, 1, length - 2, thickness - 2};
  // The selected tab stands out: 2 pixels longer at its end and lifted by kLift.
  if (selected) return {0, 0, length + 2, thickness};
  return {2, kLift, length - 2, thickness - kLift};
}

QRect TCustomTab95Control::FrameRect(int index, bool selected) const {
  return MapInSlot(TabRect(index), SideOf(index), FrameRow(index, selected));
}

QPoint TCustomTab95Control::TabSideShift() const { return SideShift(tabPosition()); }

QPoint TCustomTab95Control::SideShift(QTabWidget::TabPosition side) const {
  if (buttonStyle_) return {};
  switch (side) {
    case QTabWidget::North: return {0, 1};
    case QTabWidget::South: return {0, -2};
    case QTabWidget::West: return {1, 0};
    case QTabWidget::East: return {-2, 0};
  }
  return {};
}

QRect TCustomTab95Control::ItemRect(int index) const {
  if (index < 0 || index >= count() || !isTabVisible(index)) return {};
  const bool selected = index == TabIndex();
  const RowRect f = FrameRow(index, selected);
  RowRect inner{};
  if (buttonStyle_) {
    inner = {f.u + 2, f.v + 2, f.length - 4, f.thickness - 4};
  } else {
    // Inside the light edge (1) and the dark edges (2); the selected tab's content
    // runs over the page's edge line, the others stop before it.
    inner = {f.u + 1, f.v + 1, f.length - 3, f.thickness - (selected ? 1 : 2)};
  }
  const QTabWidget::TabPosition side = SideOf(index);
  QRect item = MapInSlot(TabRect(index), side, inner);
  // The drawing moves unselected tabs by their side's shift; the rectangle given makes up for it.
  if (!selected) item.translate(-SideShift(side));
  return item;
}

void TCustomTab95Control::PaintTabFrame(QPainter& painter, int index, bool selected) const {
  const QRect f = FrameRect(index, selected);
  const QPalette& pal = palette();
  painter.fillRect(f, pal.color(QPalette::Button));
  if (buttonStyle_) {
    const bool down = TabDown(index);
    if (flatButtons_ && !down) return;
    const QColor topLeft = pal.color(down ? QPalette::Dark : QPalette::Light);
    const QColor bottomRight = pal.color(down ? QPalette::Light : QPalette::Shadow);
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
  switch (SideOf(index)) {
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

void TCustomTab95Control::PaintTabs(QPainter& painter, bool farSide) {
  TTab95Bar& bar = *Bar();
  const QPalette& pal = palette();
  const int current = TabIndex();
  const TabLayout layout = Wraps() ? WrappedLayout() : TabLayout{};
  // Every tab's frame and item below is placed from this one layout.
  paintLayout_ = Wraps() ? &layout : nullptr;
  const auto done = qScopeGuard([this] { paintLayout_ = nullptr; });
  const auto onThisSide = [&](int i) {
    return isTabVisible(i) && (layout.far.empty() ? !farSide : layout.far[i] == farSide);
  };
  if (farSide) {
    painter.fillRect(farRows_->geometry().translated(-bar.pos()), pal.color(QPalette::Window));
  } else {
    painter.fillRect(bar.rect(), pal.color(QPalette::Window));
  }
  if (!buttonStyle_ && !farSide) {
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
    if (!selected) item.translate(SideShift(SideOf(i)));
    DrawTab(painter, tabText(i), i, item);
    painter.restore();
  };
  for (int i = 0; i < count(); ++i) {
    if (i == current || !onThisSide(i)) continue;
    paintOne(i);
    if (buttonStyle_ && flatButtons_ && flatSeperators_ && i + 1 < count()) {
      const QRect f = FrameRect(i, false);
      painter.fillRect(f.right() + 1, f.top() + 2, 1, f.height() - 4, pal.color(QPalette::Dark));
      painter.fillRect(f.right() + 2, f.top() + 2, 1, f.height() - 4, pal.color(QPalette::Light));
    }
  }
  if (current >= 0 && onThisSide(current)) paintOne(current);
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
  if (farRows_->isVisible()) {
    const QRect far = farRows_->geometry();
    switch (tabPosition()) {
      case QTabWidget::North: pane.setBottom(far.top() - 1); break;
      case QTabWidget::South: pane.setTop(far.bottom() + 1); break;
      case QTabWidget::West: pane.setRight(far.left() - 1); break;
      case QTabWidget::East: pane.setLeft(far.right() + 1); break;
    }
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
  if (!hotTrack_) return;
  if (Wraps()) {
    RepaintTabs();
    return;
  }
  if (old >= 0 && old < count()) Bar()->update(FrameRect(old, old == TabIndex()));
  if (index >= 0) Bar()->update(FrameRect(index, index == TabIndex()));
}

void TCustomTab95Control::BeginShift(int pressedTab) {
  // A shift starts only from a press that left its tab selected.
  shiftPage_ = allowTabShifting_ && pressedTab >= 0 && pressedTab == TabIndex() ? widget(pressedTab) : nullptr;
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
  farRows_->setCursor(shape);
}

void TCustomTab95Control::EndShift(int tabUnderPointer) {
  QWidget* page = shiftPage_;
  shiftPage_ = nullptr;
  Bar()->unsetCursor();
  farRows_->unsetCursor();
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
