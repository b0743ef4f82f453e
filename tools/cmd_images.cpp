// abctool images DIR: draws the program's images (file-tab kinds, the tune row's mark
// boxes and the view tabs, the actions' icons, the program's icon in the desktop's
// sizes) as PNG files into DIR. They are
// committed in resources/images/; run this after changing a drawing.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "AbcTool.h"
#include "ToolGui.h"

namespace rq::tool {
namespace {

const QColor kInk(0x3C, 0x3C, 0x3C);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kFrame(0xEA, 0xC6, 0x84);
const QColor kPane(0xFC, 0xE7, 0xBE);
const QColor kOrange(0xF4, 0xA5, 0x5E);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kGreen(0x2E, 0x8B, 0x3A);
const QColor kBlue(0x2E, 0x6D, 0xA4);
const QColor kGrey(0x9A, 0xA3, 0xAB);

using Draw = std::function<void(QPainter&)>;

struct Image {
  const char* name;
  int size;
  Draw draw;
};

QPen Ink(qreal width) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A closed outline, filled.
void Shape(QPainter& p, std::initializer_list<QPointF> corners, const QColor& fill, qreal pen) {
  p.setPen(Ink(pen));
  p.setBrush(fill);
  p.drawPolygon(QPolygonF(QList<QPointF>(corners)));
}

// A sheet of paper with its top-right corner folded.
void Page(QPainter& p, const QRectF& r, qreal fold, qreal pen) {
  Shape(p, {r.topLeft(), {r.right() - fold, r.top()}, {r.right(), r.top() + fold}, r.bottomRight(), r.bottomLeft()},
        kPaper, pen);
  Shape(p, {{r.right() - fold, r.top()}, {r.right() - fold, r.top() + fold}, {r.right(), r.top() + fold}}, kPane, pen);
}

// A white disc over the corner of an icon, with a sign on it.
void Badge(QPainter& p, const QPointF& c, qreal radius) {
  p.setPen(Qt::NoPen);
  p.setBrush(kPaper);
  p.drawEllipse(c, radius, radius);
}

// An eighth note: head centred at (x, y), stem up, flag to the right.
void Note(QPainter& p, qreal x, qreal y, qreal head, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.save();
  p.translate(x, y);
  p.rotate(-20);
  p.drawEllipse(QRectF(-head * 0.62, -head * 0.45, head * 1.24, head * 0.9));
  p.restore();
  const qreal stemX = x + head * 0.55;
  p.setPen(QPen(colour, head * 0.22, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(stemX, y - head * 0.1), QPointF(stemX, y - head * 2.6));
  QPainterPath flag;
  flag.moveTo(stemX, y - head * 2.6);
  flag.cubicTo(stemX + head * 0.2, y - head * 1.9, stemX + head * 1.2, y - head * 1.7, stemX + head * 0.8, y - head * 0.9);
  p.setPen(QPen(colour, head * 0.22, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(flag);
}

// A bin: lid, handle and a body narrowing downwards with ribs.
void Bin(QPainter& p, const QRectF& r, qreal pen) {
  const qreal lid = r.top() + r.height() * 0.2;
  const qreal w = r.width();
  Shape(p, {{r.left() + w * 0.1, lid}, {r.right() - w * 0.1, lid}, {r.right() - w * 0.2, r.bottom()},
            {r.left() + w * 0.2, r.bottom()}},
        kGrey, pen);
  p.drawRoundedRect(QRectF(r.left(), lid - r.height() * 0.1, r.width(), r.height() * 0.1), pen, pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(r.center().x() - r.width() * 0.15, r.top(), r.width() * 0.3, r.height() * 0.1));
  for (const qreal f : {0.37, 0.5, 0.63}) {
    const qreal x = r.left() + r.width() * f;
    p.drawLine(QPointF(x, lid + r.height() * 0.14), QPointF(x, r.bottom() - r.height() * 0.12));
  }
}

// A folder with its tab on the top left.
void Folder(QPainter& p, const QRectF& r, qreal pen) {
  const qreal tab = r.height() * 0.18;
  Shape(p, {r.topLeft(), {r.left() + r.width() * 0.38, r.top()}, {r.left() + r.width() * 0.46, r.top() + tab},
            {r.right(), r.top() + tab}, r.bottomRight(), r.bottomLeft()},
        kFrame, pen);
}

void Cross(QPainter& p, const QPointF& c, qreal half, qreal width, const QColor& colour) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
  p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void Plus(QPainter& p, const QPointF& c, qreal half, qreal width, const QColor& colour) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(-half, 0), c + QPointF(half, 0));
  p.drawLine(c + QPointF(0, -half), c + QPointF(0, half));
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, qreal width, const QColor& colour) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(from, to);
  const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF n(-d.y(), d.x());
  const qreal head = width * 2.2;
  p.drawLine(to, to - d * head + n * head);
  p.drawLine(to, to - d * head - n * head);
}

// A check box as the tune list draws it.
void Box(QPainter& p, bool ticked) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(1.5, 1.5, 10, 10));
  if (!ticked) return;
  p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath tick;
  tick.moveTo(3.5, 6.5);
  tick.lineTo(5.5, 9);
  tick.lineTo(10, 3.5);
  p.setBrush(Qt::NoBrush);
  p.drawPath(tick);
}

void Star(QPainter& p, const QPointF& c, qreal outer, qreal inner, const QColor& fill) {
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    const qreal radius = i % 2 == 0 ? outer : inner;
    const qreal angle = -M_PI / 2 + i * M_PI / 5;
    const QPointF at = c + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    if (i == 0) {
      star.moveTo(at);
    } else {
      star.lineTo(at);
    }
  }
  star.closeSubpath();
  p.setPen(QPen(QColor(0xB0, 0x60, 0x10), 0.8));
  p.setBrush(fill);
  p.drawPath(star);
}

void Magnifier(QPainter& p, const QPointF& c, qreal radius, qreal pen) {
  p.setPen(QPen(kInk, pen));
  p.setBrush(QColor(0xD8, 0xEA, 0xF8));
  p.drawEllipse(c, radius, radius);
  p.setPen(QPen(kInk, pen * 1.8, Qt::SolidLine, Qt::RoundCap));
  const qreal r = radius * 0.72;
  p.drawLine(c + QPointF(r, r), c + QPointF(radius * 1.9, radius * 1.9));
}

// Three piano keys under a note: the MIDI icons.
void Keys(QPainter& p, const QRectF& r) {
  p.setPen(Ink(1.2));
  p.setBrush(kPaper);
  const qreal w = r.width() / 4;
  for (int i = 0; i < 4; ++i) p.drawRect(QRectF(r.left() + i * w, r.top(), w, r.height()));
  p.setBrush(kInk);
  for (int i = 1; i < 4; ++i) {
    if (i == 3) continue;
    p.drawRect(QRectF(r.left() + i * w - w * 0.3, r.top(), w * 0.6, r.height() * 0.58));
  }
}

// The program's icon, drawn on a 256-unit square scaled to `size`: a quill writing a
// note on a staff, on a rounded page in the program's colours.
void ProgramIcon(QPainter& p, int size) {
  p.scale(size / 256.0, size / 256.0);
  const qreal line = std::max(256.0 / size, 5.0);
  p.setPen(QPen(QColor(0x8A, 0x5A, 0x1E), line * 1.4));
  p.setBrush(kPane);
  p.drawRoundedRect(QRectF(12, 12, 232, 232), 40, 40);
  p.setPen(QPen(kInk, line, Qt::SolidLine, Qt::FlatCap));
  for (int i = 0; i < 5; ++i) {
    const qreal y = 84 + i * 28;
    p.drawLine(QPointF(34, y), QPointF(222, y));
  }
  Note(p, 92, 168, 44, kBlue);
  // The quill: a feather laid across the staff, its nib at the note's side.
  QPainterPath feather;
  feather.moveTo(150, 200);
  feather.cubicTo(170, 140, 200, 70, 236, 26);
  feather.cubicTo(226, 80, 200, 150, 150, 200);
  feather.closeSubpath();
  QPainterPath vane;
  vane.moveTo(152, 196);
  vane.cubicTo(150, 130, 190, 60, 236, 26);
  vane.cubicTo(230, 90, 206, 150, 152, 196);
  p.setPen(QPen(QColor(0x8A, 0x3A, 0x10), line * 0.8));
  p.setBrush(kOrange);
  p.drawPath(vane);
  p.setBrush(kRed);
  p.drawPath(feather);
  p.setPen(QPen(kInk, line * 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(236, 26), QPointF(140, 222));
}

const Image kImages[] = {
    // The file tabs (20 × 20): trash, filer, any other tune file.
    {"file_trash", 20, [](QPainter& p) { Bin(p, QRectF(3, 2, 14, 16), 1.1); }},
    {"file_filer", 20,
     [](QPainter& p) {
       p.setPen(Ink(1.1));
       p.setBrush(kFrame);
       p.drawRect(QRectF(2.5, 6.5, 15, 11));
       p.setBrush(kOrange);
       p.drawRect(QRectF(1.5, 3.5, 17, 3.5));
       p.setBrush(kPane);
       p.drawRoundedRect(QRectF(7, 9.5, 6, 2.5), 1, 1);
     }},
    {"file_tunes", 20,
     [](QPainter& p) {
       Page(p, QRectF(3.5, 1.5, 13, 17), 4, 1.1);
       Note(p, 8.5, 14, 3.2, kBlue);
     }},

    // The tune row and the view tabs (13 × 13): box, ticked box, new tune, all tunes,
    // three unused places, search result.
    {"mark_box", 13, [](QPainter& p) { Box(p, false); }},
    {"mark_ticked", 13, [](QPainter& p) { Box(p, true); }},
    {"mark_new", 13, [](QPainter& p) { Star(p, QPointF(6.5, 6.8), 6, 2.6, QColor(0xFF, 0xC8, 0x30)); }},
    {"view_list", 13,
     [](QPainter& p) {
       for (const qreal y : {3.0, 6.5, 10.0}) {
         p.setPen(Qt::NoPen);
         p.setBrush(kBlue);
         p.drawEllipse(QPointF(2.5, y), 1.3, 1.3);
         p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
       }
     }},
    {"view_unused4", 13, [](QPainter&) {}},
    {"view_unused5", 13, [](QPainter&) {}},
    {"view_unused6", 13, [](QPainter&) {}},
    {"view_found", 13, [](QPainter& p) { Magnifier(p, QPointF(5.2, 5.2), 3.6, 1.1); }},

    // The actions (32 × 32).
    {"act_open", 32,
     [](QPainter& p) {
       Page(p, QRectF(9.5, 3.5, 16, 19), 5, 1.5);
       Folder(p, QRectF(3.5, 9.5, 25, 18), 1.5);
       Shape(p, {{3.5, 27.5}, {7.5, 15.5}, {30.5, 15.5}, {28.5, 27.5}}, kPane, 1.5);
     }},
    {"act_new", 32,
     [](QPainter& p) {
       Page(p, QRectF(6.5, 3.5, 18, 25), 6, 1.5);
       Note(p, 12.5, 21, 4, kBlue);
       Badge(p, QPointF(24, 24), 6.5);
       Plus(p, QPointF(24, 24), 4.5, 2.6, kGreen);
     }},
    {"act_save", 32,
     [](QPainter& p) {
       Shape(p, {{4.5, 4.5}, {24.5, 4.5}, {27.5, 7.5}, {27.5, 27.5}, {4.5, 27.5}}, kBlue, 1.5);
       p.setBrush(kPaper);
       p.drawRect(QRectF(8.5, 4.5, 14, 9));
       p.setBrush(kGrey);
       p.drawRect(QRectF(17.5, 6, 3, 6));
       p.setBrush(kPane);
       p.drawRect(QRectF(8.5, 18.5, 15, 9));
     }},
    {"act_close", 32,
     [](QPainter& p) {
       Page(p, QRectF(5.5, 3.5, 18, 25), 6, 1.5);
       Badge(p, QPointF(23, 23), 7);
       Cross(p, QPointF(23, 23), 4, 2.6, kRed);
     }},
    {"act_clipboard", 32,
     [](QPainter& p) {
       p.setPen(Ink(1.5));
       p.setBrush(kFrame);
       p.drawRoundedRect(QRectF(5.5, 5.5, 21, 24), 2, 2);
       p.setBrush(kPaper);
       p.drawRect(QRectF(8.5, 9.5, 15, 17));
       p.setBrush(kGrey);
       p.drawRoundedRect(QRectF(11.5, 3.5, 9, 5), 1.5, 1.5);
       Note(p, 14, 22, 3.6, kBlue);
     }},
    {"act_merge_folder", 32,
     [](QPainter& p) {
       Folder(p, QRectF(2.5, 4.5, 17, 13), 1.4);
       Page(p, QRectF(15.5, 12.5, 14, 17), 4.5, 1.5);
       Arrow(p, QPointF(9, 19), QPointF(13.5, 24), 2, kGreen);
     }},
    {"act_clear_trash", 32,
     [](QPainter& p) {
       Bin(p, QRectF(4, 4, 20, 24), 1.5);
       Badge(p, QPointF(24, 23), 6.5);
       Cross(p, QPointF(24, 23), 3.8, 2.6, kRed);
     }},
    {"act_tune_midi", 32,
     [](QPainter& p) {
       Keys(p, QRectF(3.5, 17.5, 25, 11));
       Note(p, 13, 12, 4.2, kBlue);
       Arrow(p, QPointF(22, 3.5), QPointF(22, 12.5), 2, kGreen);
     }},
    {"act_set_midi", 32,
     [](QPainter& p) {
       Keys(p, QRectF(3.5, 17.5, 25, 11));
       Note(p, 8, 12, 3.6, kBlue);
       Note(p, 16, 12, 3.6, kBlue);
       Arrow(p, QPointF(25, 3.5), QPointF(25, 12.5), 2, kGreen);
     }},
    {"act_print_list", 32,
     [](QPainter& p) {
       p.setPen(Ink(1.5));
       p.setBrush(kPaper);
       p.drawRect(QRectF(9.5, 3.5, 13, 10));
       p.setBrush(kGrey);
       p.drawRoundedRect(QRectF(3.5, 11.5, 25, 11), 2, 2);
       p.setBrush(kPaper);
       p.drawRect(QRectF(8.5, 18.5, 15, 10));
       p.setPen(QPen(kInk, 1.2));
       for (const qreal y : {21.5, 24.0, 26.5}) p.drawLine(QPointF(11, y), QPointF(21, y));
       p.setPen(Qt::NoPen);
       p.setBrush(kGreen);
       p.drawEllipse(QPointF(25, 15), 1.4, 1.4);
     }},
    {"act_preferences", 32,
     [](QPainter& p) {
       const qreal knobs[] = {20, 10, 16};
       for (int i = 0; i < 3; ++i) {
         const qreal y = 8.5 + i * 8;
         p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(4, y), QPointF(28, y));
         p.setPen(Ink(1.4));
         p.setBrush(i == 1 ? kOrange : kFrame);
         p.drawRoundedRect(QRectF(knobs[i] - 3, y - 4, 6, 8), 1.5, 1.5);
       }
     }},

    // The program's icon in the hicolor theme's sizes.
    {"reelquill_16", 16, [](QPainter& p) { ProgramIcon(p, 16); }},
    {"reelquill_24", 24, [](QPainter& p) { ProgramIcon(p, 24); }},
    {"reelquill_32", 32, [](QPainter& p) { ProgramIcon(p, 32); }},
    {"reelquill_48", 48, [](QPainter& p) { ProgramIcon(p, 48); }},
    {"reelquill_64", 64, [](QPainter& p) { ProgramIcon(p, 64); }},
    {"reelquill_128", 128, [](QPainter& p) { ProgramIcon(p, 128); }},
    {"reelquill_256", 256, [](QPainter& p) { ProgramIcon(p, 256); }},
};

int RunImages(const Args& args) {
  const auto dir = FirstPositional(args, {});
  if (!dir) {
    std::fprintf(stderr, "usage: abctool images DIR\n");
    return 2;
  }
  const GuiSession gui;
  if (!QDir().mkpath(QString::fromStdString(*dir))) {
    std::fprintf(stderr, "abctool: cannot make the folder %s\n", dir->c_str());
    return 1;
  }
  for (const Image& image : kImages) {
    QImage canvas(image.size, image.size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
      QPainter painter(&canvas);
      painter.setRenderHint(QPainter::Antialiasing);
      image.draw(painter);
    }
    const std::string path = *dir + "/" + image.name + ".png";
    if (!SavePng(canvas, path)) return 1;
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

const RegisterCommand kImagesCommand({"images", "DIR", RunImages});

}  // namespace
}  // namespace rq::tool
