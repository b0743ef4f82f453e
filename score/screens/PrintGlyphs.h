// The glyphs of the preview's and the print list's tool buttons, drawn in code.
#pragma once

class QAction;
class QIcon;

namespace rq {

enum class PrintGlyph { ZoomMinus, ZoomPlus, PagePrev, PageNext, PrintList, ClearList, DeleteTune, Preview, TickedOnly };

QIcon PrintGlyphIcon(PrintGlyph glyph);
// Gives the action the glyph, unless it has an icon already (a null action is left).
void GiveGlyph(QAction* action, PrintGlyph glyph);

}  // namespace rq
