#include "app/ColorButton.h"

#include <QColorDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace rq {
namespace {

struct NamedColor {
  const char* name;
  int32_t color;
};
constexpr NamedColor kNamedColors[] = {
    {"Black", kClBlack},   {"Maroon", kClMaroon},   {"Green", kClGreen},
    {"Olive", 0x008080},   {"Navy", kClNavy},       {"Purple", kClPurple},
    {"Teal", 0x808000},    {"Gray", kClGray},       {"Silver", kClSilver},
    {"Red", kClRed},       {"Lime", kClLime},       {"Yellow", kClYellow},
    {"Blue", 0xFF0000},    {"Fuchsia", kClFuchsia}, {"Aqua", 0xFFFF00},
    {"White", kClWhite},
};

QPixmap Swatch(int32_t color, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  const QColor shown = WinColorToQColor(color);
  painter.setBrush(shown.isValid() ? QBrush(shown) : QBrush(Qt::NoBrush));
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  return pixmap;
}

}  // namespace

TColorButton::TColorButton(QWidget* parent) : QToolButton(parent) {
  setPopupMode(QToolButton::InstantPopup);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setIconSize(QSize(40, 12));
  auto* menu = new QMenu(this);
  for (const NamedColor& named : kNamedColors) {
    const int32_t color = named.color;
    menu->addAction(QIcon(Swatch(color, QSize(16, 12))), named.name, this, [this, color] { SetColor(color); });
  }
  menu->addSeparator();
  menu->addAction("&Other...", this, &TColorButton::ChooseOther);
  setMenu(menu);
  SetColor(color_, false);
}

void TColorButton::SetColor(int32_t color, bool notify) {
  color_ = color;
  setIcon(QIcon(Swatch(color, iconSize())));
  if (notify) emit ColorChanged(color);
}

void TColorButton::ChooseOther() {
  const QColor chosen = QColorDialog::getColor(WinColorToQColor(color_), this);
  if (chosen.isValid()) SetColor(WinRgb(chosen.red(), chosen.green(), chosen.blue()));
}

}  // namespace rq
