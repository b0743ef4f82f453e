// The piano keyboard: geometry, painting, hit testing and the mouse.
#include "controls/Keys.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>

namespace rq {

namespace {

// Shift of the black key that follows each white key C D E F G A B.
constexpr std::array<int, 7> kNudge = {-1, 1, 0, -1, 0, 1, 0};
constexpr std::array<int, 7> kWhiteSemitone = {0, 2, 4, 5, 7, 9, 11};

// C, D, F, G and A have a black key on their right.
bool HasBlackAfter(int white) { return white != 2 && white != 6; }

int PrevWhite(int white) { return white == 0 ? 6 : white - 1; }

// A rectangle drawn as the keyboard's keys are: outlined with the pen, filled with
// the brush, the right and bottom edges excluded.
void DrawKeyRect(QPainter& painter, const QRect& r) {
  if (r.width() <= 0 || r.height() <= 0) return;
  painter.drawRect(r.adjusted(0, 0, -1, -1));
}

}  // namespace

TKeys::TKeys(QWidget* parent) : QWidget(parent) { resize(200, 50); }

void TKeys::SetOrientation(TKeyboardOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  update();
}

void TKeys::SetNoteWidth(int v) {
  v = std::max(1, v);
  if (v == noteWidth_) return;
  noteWidth_ = v;
  update();
}

void TKeys::SetBaseOctave(int v) {
  if (v == baseOctave_) return;
  baseOctave_ = v;
  update();
}

void TKeys::SetBlackBrush(const QColor& c) {
  blackBrush_ = c;
  update();
}

void TKeys::SetWhiteBrush(const QColor& c) {
  whiteBrush_ = c;
  update();
}

void TKeys::SetPen(const QColor& c) {
  pen_ = c;
  update();
}

TKeys::Geometry TKeys::Measure() const {
  Geometry g{};
  const bool horizontal = orientation_ == kbHorizontal;
  g.extent = horizontal ? width() : height();
  g.keyLength = horizontal ? height() : width();
  g.blackLength = g.keyLength * 3 / 5;
  g.blackWidth = noteWidth_ * 3 / 5;
  if (g.blackWidth % 2 == 0) ++g.blackWidth;
  g.half = g.blackWidth / 2;
  return g;
}

void TKeys::KeyDown(int note, int velocity, bool notify) {
  if (note < 0 || note > 127) return;
  if (!keysDown_[note]) {
    keysDown_[note] = true;
    UpdateKey(note);
  }
  if (notify && onNoteOn_) onNoteOn_(*this, note, std::clamp(velocity, 1, 127));
}

void TKeys::KeyUp(int note, int, bool notify) {
  if (note < 0 || note > 127) return;
  if (keysDown_[note]) {
    keysDown_[note] = false;
    UpdateKey(note);
  }
  if (notify && onNoteOff_) onNoteOff_(*this, note, 0);
}

void TKeys::UpdateKey(int note) {
  for (const QRect& area : KeyAreas(note)) update(area);
}

TKeys::NoteHit TKeys::NoteAt(QPoint point) const {
  const Geometry g = Measure();
  const bool horizontal = orientation_ == kbHorizontal;
  const int along = horizontal ? point.x() : g.extent - point.y() - 1;
  const int across = horizontal ? point.y() : point.x();
  if (along < 0) return {-1, 0};
  const int w = along / noteWidth_;
  const int inKey = along % noteWidth_;
  const int octave = w / 7;
  int k = w % 7;
  bool black = false;
  if (across < g.blackLength) {
    if (inKey >= noteWidth_ - g.half + kNudge[k]) {
      black = HasBlackAfter(k);
    } else if (inKey < g.blackWidth - g.half + kNudge[PrevWhite(k)] && HasBlackAfter(PrevWhite(k))) {
      // The black key on the left belongs to the white key before this one.
      black = true;
      k = PrevWhite(k);
    }
  }
  NoteHit hit;
  hit.note = (octave + baseOctave_) * 12 + kWhiteSemitone[k] + (black ? 1 : 0);
  hit.velocity = 127;
  if (velocityMode_) {
    const int length = std::max(1, black ? g.blackLength : g.keyLength);
    // Never 0: a note-on of velocity 0 is a note-off.
    hit.velocity = std::clamp(across * 127 / length, 1, 127);
  }
  return hit;
}

std::vector<QRect> TKeys::KeyAreas(int note) const {
  const int r = note - baseOctave_ * 12;
  if (r < 0) return {};
  const Geometry g = Measure();
  const int nw = noteWidth_;
  const int octave = r / 12;
  const int s = r % 12;
  const int t = s >= 5 ? s + 1 : s;
  const int white = t / 2;
  const int x0 = (octave * 7 + white) * nw;
  const int bx = x0 + nw - g.half + kNudge[white];        // black key on the right
  const int lx = x0 - g.half + kNudge[PrevWhite(white)];  // black key on the left
  // Areas along × across, as on a horizontal keyboard.
  std::vector<QRect> areas;
  if (t % 2 == 1) {
    areas.emplace_back(bx + 1, 1, g.blackWidth - 2, g.blackLength - 2);
  } else {
    areas.emplace_back(x0 + 2, g.blackLength + 1, nw - 3, g.keyLength - g.blackLength - 3);
    int from = x0 + 2;
    int to = bx - 1;
    if (white == 1 || white == 4 || white == 5) from = lx + g.blackWidth + 1;
    if (white == 2 || white == 6) {
      from = lx + g.blackWidth + 1;
      to = x0 + nw - 1;
    }
    areas.emplace_back(from, 2, to - from, g.blackLength - 1);
  }
  if (orientation_ == kbVertical) {
    // Turned a quarter: along runs up from the bottom edge.
    for (QRect& a : areas) a = QRect(a.y(), g.extent - a.x() - a.width(), a.height(), a.width());
  }
  std::erase_if(areas, [](const QRect& a) { return a.width() <= 0 || a.height() <= 0; });
  return areas;
}

void TKeys::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const Geometry g = Measure();
  painter.setPen(pen_);
  painter.setBrush(whiteBrush_);
  DrawKeyRect(painter, rect());
  painter.setBrush(blackBrush_);
  if (orientation_ == kbHorizontal) {
    PaintHorizontal(painter, g);
  } else {
    PaintVertical(painter, g);
  }
  // A pressed key shows its colours inverted.
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  for (int note = 0; note < 128; ++note) {
    if (!keysDown_[note]) continue;
    for (const QRect& area : KeyAreas(note)) painter.fillRect(area, Qt::white);
  }
}

void TKeys::PaintHorizontal(QPainter& painter, const Geometry& g) {
  int k = 0;
  for (int x = noteWidth_; x < g.extent; x += noteWidth_, k = (k + 1) % 7) {
    painter.drawLine(x, 0, x, g.keyLength - 1);
    if (HasBlackAfter(k)) DrawKeyRect(painter, QRect(x - g.half + kNudge[k], 0, g.blackWidth, g.blackLength));
  }
}

// Low notes at the bottom.
void TKeys::PaintVertical(QPainter& painter, const Geometry& g) {
  int k = 0;
  for (int y = g.extent - noteWidth_ - 1; y > 0; y -= noteWidth_, k = (k + 1) % 7) {
    painter.drawLine(0, y, g.keyLength - 1, y);
    if (HasBlackAfter(k)) DrawKeyRect(painter, QRect(0, y - g.half - kNudge[k], g.blackLength, g.blackWidth));
  }
}

void TKeys::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const NoteHit hit = NoteAt(event->position().toPoint());
  if (hit.note < 0 || hit.note > 127) return;
  currentNote_ = hit.note;
  KeyDown(hit.note, hit.velocity, true);
}

// Gliding: the old key is released before the new one sounds.
void TKeys::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (!(event->buttons() & Qt::LeftButton) || !QRect(0, 0, width() - 1, height() - 1).contains(point)) return;
  const NoteHit hit = NoteAt(point);
  if (hit.note < 0 || hit.note > 127 || hit.note == currentNote_) return;
  KeyUp(currentNote_, 0, true);
  currentNote_ = hit.note;
  KeyDown(hit.note, hit.velocity, true);
}

void TKeys::mouseReleaseEvent(QMouseEvent*) {
  if (currentNote_ >= 0 && currentNote_ <= 127) KeyUp(currentNote_, 0, true);
}

}  // namespace rq
