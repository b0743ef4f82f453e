// Gallery page of the small screens: the session screen on a file with two sessions,
// the prompt and the empty filter window.
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "ToolGui.h"
#include "library/FileAbc.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgString.h"
#include "screens/SesMaster.h"

namespace rq::tool {
namespace {

constexpr const char* kSessions =
    "%%BSET%\n%%DMSS%3,1,2\n%%DMSS%2\n%%ESET%\n"
    "X:1\nT:Kesh\nK:G\nGAG GAB|\n\nX:2\nT:Banish Misfortune\nK:Dmix\nfed cAG|\n\n"
    "X:3\nT:Morrison's\nK:Edor\nE3 B3|\n";

void PaintScreens(const QString& dir) {
  auto file = TAbcFile::CreateNew("sessions", nullptr);
  file->LoadFromBytes(kSessions);
  {
    TSesMaster sessions;
    sessions.OnCreate();
    sessions.SetFile(file.get());
    sessions.resize(640, 300);
    sessions.show();
    sessions.GridSes()->setCurrentIndex(sessions.GridSes()->model()->index(0, 0));
    SaveWidgetShot(sessions, dir, QStringLiteral("screen_sessions"));
  }
  {
    TDlgString prompt;
    prompt.OnCreate();
    prompt.setWindowTitle(QStringLiteral("Rename Set"));
    prompt.EDString()->setText(QStringLiteral("Reels in E"));
    SaveWidgetShot(prompt, dir, QStringLiteral("screen_prompt"));
  }
  {
    TDlgFltTune filter;
    filter.OnCreate();
    filter.layout()->addWidget(new QLabel(QStringLiteral("The browser's filter panel goes here")));
    SaveWidgetShot(filter, dir, QStringLiteral("screen_filter"));
  }
}

const RegisterGallery kScreens{"screens", PaintScreens};

}  // namespace
}  // namespace rq::tool
