// The piano keyboard: drawn keys that turn presses and glides into notes.
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <bitset>
#include <functional>
#include <vector>

namespace rq {

enum TKeyboardOrientation { kbHorizontal, kbVertical };

class TKeys;

// A note event of the keyboard: the keyboard, the note number and the velocity.
using TKeyboardNoteEvent = std::function<void(TKeys& sender, int note, int velocity)>;

// White and black keys for as many octaves as fit, from `BaseOctave` up (left to
// right, or bottom to top when vertical). The left button plays the key under the
// pointer, louder the nearer the tip it strikes; dragging glides from key to key.
// Pressed keys are shown inverted.
class TKeys : public QWidget {
  Q_OBJECT

 public:
  // Where a point falls: the note and the velocity it plays.
  struct NoteHit {
    int note = 0;
    int velocity = 0;
  };

  explicit TKeys(QWidget* parent = nullptr);

  TKeyboardOrientation Orientation() const { return orientation_; }
  void SetOrientation(TKeyboardOrientation v);
  // Width of a white key in pixels, at least 1.
  int NoteWidth() const { return noteWidth_; }
  void SetNoteWidth(int v);
  int BaseOctave() const { return baseOctave_; }
  void SetBaseOctave(int v);
  QColor BlackBrush() const { return blackBrush_; }
  void SetBlackBrush(const QColor& c);
  QColor WhiteBrush() const { return whiteBrush_; }
  void SetWhiteBrush(const QColor& c);
  QColor Pen() const { return pen_; }
  void SetPen(const QColor& c);
  // Off: every note plays at velocity 127.
  bool VelocityMode() const { return velocityMode_; }
  void SetVelocityMode(bool v) { velocityMode_ = v; }

  void SetOnNoteOn(TKeyboardNoteEvent handler) { onNoteOn_ = std::move(handler); }
  void SetOnNoteOff(TKeyboardNoteEvent handler) { onNoteOff_ = std::move(handler); }

  // Shows note (0..127) pressed and, with notify, raises the note-on handler with
  // the velocity clamped to 1..127 (a note-on of velocity 0 would end the note).
  void KeyDown(int note, int velocity, bool notify);
  // Shows note released and, with notify, raises the note-off handler (velocity 0).
  void KeyUp(int note, int velocity, bool notify);
  bool IsKeyDown(int note) const { return note >= 0 && note < 128 && keysDown_[note]; }
  // The note last played by the mouse; −1 before the first.
  int CurrentNote() const { return currentNote_; }

  // The note and velocity (1..127) a press at a client point plays.
  NoteHit NoteAt(QPoint point) const;
  // The visible areas of a key (one for a black key, two for a white one), which a
  // press shows inverted. Empty for a note below the first key.
  std::vector<QRect> KeyAreas(int note) const;

  QSize sizeHint() const override { return {200, 50}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Sizes derived from the control's size and the white key width.
  struct Geometry {
    int extent;       // along the keyboard
    int keyLength;    // across it
    int blackLength;  // of a black key, across
    int blackWidth;   // of a black key, along; always odd
    int half;         // blackWidth / 2
  };
  Geometry Measure() const;
  void UpdateKey(int note);
  void PaintHorizontal(QPainter& painter, const Geometry& g);
  void PaintVertical(QPainter& painter, const Geometry& g);

  TKeyboardOrientation orientation_ = kbHorizontal;
  int noteWidth_ = 10;
  int baseOctave_ = 3;
  QColor blackBrush_{Qt::black};
  QColor whiteBrush_{Qt::white};
  QColor pen_{Qt::black};
  bool velocityMode_ = true;
  TKeyboardNoteEvent onNoteOn_;
  TKeyboardNoteEvent onNoteOff_;
  std::bitset<128> keysDown_;
  int currentNote_ = -1;
};

}  // namespace rq
