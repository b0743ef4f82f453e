// The music font file: "musical.ttf" beside the executable, face "MusicalSymbols".
#pragma once

#include <QString>

namespace rq {

inline constexpr const char* kMusicFontFile = "musical.ttf";

// Where the program looks for the font: its own folder.
QString MusicFontPath();

// Makes the face available to Qt's font matching; needs the application object.
// Registers once per process; false when the file is missing or unreadable.
bool RegisterMusicFont();

}  // namespace rq
