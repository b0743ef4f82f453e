// What poppler's tools read from a printed PDF file: its page count, the text of a
// page (music glyphs come out as U+F000 + code) and the height of a word there.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace rq::test {

inline bool PopplerPresent() {
  return !QStandardPaths::findExecutable("pdfinfo").isEmpty() && !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

inline QString RunTool(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// -1 when the file is no PDF.
inline int PdfPages(const QString& path) {
  const QRegularExpressionMatch m =
      QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption).match(RunTool("pdfinfo", {path}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of one page (from 1), or of the whole file for page 0.
inline QString PdfText(const QString& path, int page = 0) {
  QStringList args;
  if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
  return RunTool("pdftotext", args << path << "-");
}

// The treble clef, one at the start of every staff row.
inline int Clefs(const QString& text) { return static_cast<int>(text.count(QChar(0xF000 + '&'))); }

// The height of the first word `word` on a page, in points; -1 when absent.
inline double WordHeight(const QString& path, int page, const QString& word) {
  const QString boxes =
      RunTool("pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page), path, "-"});
  const QRegularExpressionMatch m =
      QRegularExpression("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">" + QRegularExpression::escape(word) + "<")
          .match(boxes);
  return m.hasMatch() ? m.captured(2).toDouble() - m.captured(1).toDouble() : -1;
}

}  // namespace rq::test
