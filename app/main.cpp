// The program's entry: one instance per user; a second start hands its files to the
// first and ends (after a note when the first is busy), and never runs beside it. The
// first builds the application context, shows the main window, opens the files it was
// given and runs until the main window closes. Files it took and did not open by then
// go to a new start of the program, made once this one has let go of its life lock.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>

#include "app/AppContext.h"
#include "app/Application.h"
#include "app/BusyNote.h"
#include "app/MainEcr.h"
#include "library/FileAbc.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"

namespace {

// Without a display the window system cannot start: say so in one line.
bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// Starts the program anew on the files this one took and did not open. It comes up
// once this one has let go of its life lock, as any start would: it runs as the program,
// or hands the files to one that started meanwhile.
void HandOn(const QStringList& paths) {
  if (paths.isEmpty()) return;
  QProcess next;
  next.setProgram(QCoreApplication::applicationFilePath());
  next.setArguments(paths);
  next.setStandardInputFile(QProcess::nullDevice());
  next.setStandardOutputFile(QProcess::nullDevice());
  if (!next.startDetached()) {
    std::fprintf(stderr, "reelquill: cannot start the program that opens the files handed over: %s\n",
                 qPrintable(next.errorString()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "reelquill: no display to open its window on; run it in a desktop session, or under a "
                 "virtual display with: xvfb-run -a %s [FILE.abc]\n",
                 argv[0]);
    return 1;
  }
  rq::TApplication app(argc, argv);
  QStringList paths;
  for (const QString& arg : app.arguments().mid(1)) paths << QFileInfo(arg).absoluteFilePath();

  // Later starts may hand over files from here on; they are held until the window is ready.
  // A start that finds a running copy ends when the copy confirms its files, or when
  // the user has closed the busy note and the files are in the copy's queue.
  rq::TSingleInstance instance;
  const rq::TSingleInstance::Start start = [&] {
    rq::TBusyNote busy(paths.size());
    instance.SetWaitHook([&busy](int waitedMs) { return busy.Waited(waitedMs); });
    const rq::TSingleInstance::Start claimed = instance.Claim(paths);
    instance.SetWaitHook({});
    return claimed;
  }();
  if (start == rq::TSingleInstance::Start::PassedOn || start == rq::TSingleInstance::Start::Queued) return 0;
  if (start == rq::TSingleInstance::Start::Failed) {
    std::fprintf(stderr, "reelquill: runs alone, without taking files from later starts: %s\n",
                 qPrintable(instance.FailureReason()));
  }
  // Caught from here on: a signal while looking for a running copy ends this start as
  // it would any program.
  rq::TQuitSignals quitSignals;

  auto context = std::make_unique<rq::TAppContext>();
  context->Start();
  rq::TMainEcr* main = context->MainEcr();
  if (!main) return 1;
  main->ServeLaterStarts(instance);
  // The main window decides when the program ends: its close handler asks first.
  QObject::connect(main, &rq::TMainEcr::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
  // Told to end by a signal, it ends asking nothing, leaving any dialog that is open.
  QObject::connect(&quitSignals, &rq::TQuitSignals::Received, main, [main] {
    main->EndWithoutQuestions();
    QCoreApplication::exit(0);
  });
  quitSignals.StartDelivering();
  // For checks from outside: RQ_OPENED_LOG names a file that gets each opened file's path.
  if (const char* log = std::getenv("RQ_OPENED_LOG"); log && *log && context->FileControl()) {
    const std::string path = log;
    auto note = [path](rq::TAbcFile* file) {
      if (FILE* out = std::fopen(path.c_str(), "a")) {
        std::fprintf(out, "%s\n", file->FileName.c_str());
        std::fclose(out);
      }
    };
    for (rq::TAbcFile* file : context->FileControl()->Files()) note(file);
    QObject::connect(context->FileControl(), &rq::TCtrlFile::FileAdded, main,
                     [note](rq::TAbcFile* file, bool) { note(file); });
  }
  main->show();
  // The files of the command line open once the window is up; then those that later
  // starts handed over, including any that arrived while this one was starting.
  std::deque<QString> ownFiles(paths.begin(), paths.end());
  QTimer::singleShot(0, main, [main, &ownFiles, &instance] {
    while (!ownFiles.empty() && !main->Ending()) {
      const QString path = ownFiles.front();
      ownFiles.pop_front();
      main->OnExecDDEMacro("[Open(" + path + ")]");
    }
    instance.StartDelivering();
  });
  const int result = app.exec();
  // Files handed over from now on would never open here: their starts wait until this
  // program has ended and open them themselves. Those it took and did not open go to
  // the next program, after its own files not opened yet.
  QStringList unopened(ownFiles.begin(), ownFiles.end());
  for (const QString& command : main->TakeWaitingHandOvers() + instance.StopServing()) {
    if (const auto path = rq::OpenCommandPath(command.toStdString())) unopened << QString::fromStdString(*path);
  }
  context.reset();
  instance.Leave();
  HandOn(unopened);
  return result;
}
