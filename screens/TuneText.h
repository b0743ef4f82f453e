// A tune's bytes as the editor and the clipboard show them, and edited or pasted
// text turned back into bytes. The library keeps bytes; these decide the encoding:
// UTF-8 when the bytes beyond ASCII are valid UTF-8, else Windows-1252.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <string>

#include "platform/ByteText.h"

namespace rq {

enum class TextEncoding { Utf8, Cp1252 };

// The encoding the bytes beyond ASCII show; none when there are none. A tune of
// ASCII only takes its file's encoding.
std::optional<TextEncoding> BytesEncoding(std::span<const std::string> lines);
// A file's encoding. A file of ASCII only counts as Windows-1252, the code page ABC
// collections were written in, so that tunes copied between such files keep their bytes.
TextEncoding FileEncoding(std::span<const std::string> lines);

// The tune's lines decoded by its own bytes, joined with "\n".
QString DecodeTune(std::span<const std::string> lines);

// Text lines in the encoding. A character Windows-1252 cannot hold makes all the
// lines UTF-8 (never "?"): `encoding` then says so.
TLines EncodeLines(const QStringList& lines, TextEncoding& encoding);

// Pasted text as a file's lines: split at CR LF, LF or CR, everything before the
// first tune start left out (it would join the file's last tune), each tune in the
// file's encoding or, when Windows-1252 cannot hold it, in UTF-8. Empty when the
// text holds no tune start.
TLines PastedTunes(const QString& text, TextEncoding fileEncoding);

}  // namespace rq
