// Gallery page: the list grid, the knob and the piano keyboard in a few states.
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>

#include "ToolGui.h"
#include "controls/Keys.h"
#include "controls/Knob.h"
#include "controls/ListGrid.h"

namespace rq::tool {
namespace {

// Rows drawn the way the tune browser draws its list: the current row highlighted.
void DrawTuneRow(QPainter& painter, int idx, const QRect& rect, unsigned state) {
  if (state & gdSelected) {
    painter.fillRect(rect, (state & gdFocused) ? QColor(0x6D, 0xA7, 0xE7) : QColor(0xFC, 0xE7, 0xBE));
  }
  painter.setPen((state & gdSelected) && !(state & gdFocused) ? QColor(0xFF, 0, 0) : QColor(Qt::black));
  painter.drawText(rect.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QString("%1  Tune number %2").arg(idx + 1, 3).arg(idx + 1));
}

void SaveGrids(const QString& dir) {
  TListGrid grid;
  grid.SetDefaultRowHeight(14);
  grid.SetDefaultColWidth(160);
  grid.SetOnDrawCell(DrawTuneRow);
  grid.resize(520, 14 * 12 + 20);
  grid.SetGridMax(40);
  grid.show();
  grid.SetGridIdx(17);
  SaveWidgetShot(grid, dir, "listgrid_selected");
  grid.SetGridMax(7);
  SaveWidgetShot(grid, dir, "listgrid_short");
  grid.SetGridMax(200);
  grid.SetGridIdx(150);
  grid.SetLeftCol(11);
  SaveWidgetShot(grid, dir, "listgrid_scrolled");
}

// Three knobs as the player panel sets them, each with its label.
void SaveKnobs(const QString& dir) {
  QWidget panel;
  auto* layout = new QVBoxLayout(&panel);
  struct Setting {
    const char* caption;
    int min, max, position;
  };
  for (const Setting s : {Setting{"Pitch", -63, 63, 0}, Setting{"Speed", 0, 200, 100}, Setting{"Volume", 1, 100, 100}}) {
    auto* row = new QWidget(&panel);
    auto* knob = new TKnob(row);
    knob->SetBtnBitMap(TKnob::MakeFace(32));
    knob->resize(32, 32);
    auto* label = new QLabel(row);
    label->setGeometry(40, 8, 100, 16);
    knob->SetParams(s.position, s.min, s.max);
    knob->SetCaption(s.caption);
    knob->SetPositionLabel(label);
    row->setFixedSize(150, 36);
    layout->addWidget(row);
  }
  SaveWidgetShot(panel, dir, "knobs");

  TKnob big;
  big.SetBtnBitMap(TKnob::MakeFace(64));
  big.resize(64, 64);
  big.SetPosition(0);
  SaveWidgetShot(big, dir, "knob_min");
  big.SetPosition(127);
  SaveWidgetShot(big, dir, "knob_max");
}

void SaveKeyboards(const QString& dir) {
  TKeys keys;
  keys.resize(420, 60);
  SaveWidgetShot(keys, dir, "keys_idle");
  for (int note : {36, 40, 43, 49, 54}) keys.KeyDown(note, 100, false);
  SaveWidgetShot(keys, dir, "keys_pressed");

  TKeys upright;
  upright.SetOrientation(kbVertical);
  upright.SetNoteWidth(15);
  upright.SetBaseOctave(4);
  upright.resize(60, 320);
  upright.KeyDown(48, 100, false);
  upright.KeyDown(51, 100, false);
  SaveWidgetShot(upright, dir, "keys_vertical");
}

void SaveLists(const QString& dir) {
  SaveGrids(dir);
  SaveKnobs(dir);
  SaveKeyboards(dir);
}

const RegisterGallery kLists{"lists", SaveLists};

}  // namespace
}  // namespace rq::tool
