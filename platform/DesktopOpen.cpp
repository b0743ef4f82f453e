#include "platform/DesktopOpen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace rq {
namespace {

constexpr const char* kNoOpener = "no program on this desktop opens it";

// The desktop's opener is missing: Qt's services may still reach one (a portal, say).
void OpenThroughQt(const QString& path, const OpenDocumentDone& done) {
  done(QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? std::string() : kNoOpener);
}

}  // namespace

std::string OpenerFailure(int exitCode) {
  switch (exitCode) {
    case 0: return {};
    case 2: return "the file is not there";
    case 3:  // a tool it needs is missing
    case 4: return kNoOpener;  // nothing took the file
    default: return "the desktop's opener failed (code " + std::to_string(exitCode) + ")";
  }
}

void OpenWithDesktop(const std::string& path, OpenDocumentDone done) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo(file).isFile()) {
    done("the file is not there");
    return;
  }
  // The opener's exit tells whether a program took the file; a detached start would
  // say nothing of a desktop where none does. It runs as long as it likes: some
  // openers stay until their viewer is closed.
  auto* opener = new QProcess(QCoreApplication::instance());
  opener->setProgram(QStringLiteral("xdg-open"));
  opener->setArguments({file});
  opener->setStandardInputFile(QProcess::nullDevice());
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, file, done](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    opener->deleteLater();
    OpenThroughQt(file, done);
  });
  QObject::connect(opener, &QProcess::finished, opener, [opener, done](int exitCode, QProcess::ExitStatus status) {
    opener->deleteLater();
    done(status == QProcess::NormalExit ? OpenerFailure(exitCode) : "the desktop's opener stopped");
  });
  opener->start();
}

}  // namespace rq
