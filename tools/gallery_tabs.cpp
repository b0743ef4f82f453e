// Gallery page of the page control: the open-files tabs, the view-mode tabs and the
// other sides and styles.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>

#include "ToolGui.h"
#include "controls/Page95Control.h"

namespace rq::tool {
namespace {

// Small coloured file icons, standing in for the program's images.
TImageList* MakeImages(QObject* owner) {
  auto* list = new TImageList(16, 16, owner);
  for (const QColor c : {QColor(0x90, 0x50, 0x30), QColor(0x30, 0x70, 0xB0), QColor(0x30, 0x90, 0x40)}) {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.setBrush(c);
    painter.drawRect(2, 1, 11, 13);
    painter.setPen(Qt::white);
    painter.drawLine(4, 5, 11, 5);
    painter.drawLine(4, 8, 11, 8);
    list->Add(p);
  }
  return list;
}

void AddSheet(TPage95Control& control, const QString& caption, int image) {
  auto* sheet = new TTab95Sheet;
  sheet->SetCaption(caption);
  sheet->SetImageIndex(image);
  sheet->SetPageControl(&control);
}

// The open-files tabs as the program sets them up.
void SetUpFileTabs(TPage95Control& control) {
  control.SetFlatButtons(true);
  control.SetFlatSeperators(false);
  control.SetHotTrack(true);
  control.SetRemoveLastTab(true);
  control.SetAllowTabShifting(true);
  QPalette pal = control.palette();
  pal.setColor(QPalette::Window, QColor(0xDA, 0xDA, 0xDA));
  control.setPalette(pal);
  QFont bold(QStringLiteral("DejaVu Sans"));
  bold.setPixelSize(11);
  bold.setBold(true);
  control.setFont(bold);
  control.SetFontColor(Qt::black);
  QFont plain(QStringLiteral("DejaVu Sans"));
  plain.setPixelSize(11);
  control.SetTabInactiveFont(plain, Qt::black);
  control.SetTabActiveColor(QColor(0xEA, 0xC6, 0x84));
  control.SetTabInactiveColor(QColor(0xFC, 0xE7, 0xBE));
  control.SetTabHeight(26);
  control.SetImages(MakeImages(&control));
  AddSheet(control, QStringLiteral("trash.abc        "), 0);
  AddSheet(control, QStringLiteral("filer.abc        "), 1);
  AddSheet(control, QStringLiteral("reels.abc        "), 2);
  AddSheet(control, QStringLiteral("jigs.abc        "), 2);
  control.resize(560, 70);
}

void HoverTab(TPage95Control& control, int index) {
  QTabBar* bar = control.tabBar();
  const QPoint at = bar->tabRect(index).center();
  QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
}

void PaintTabs(const QString& dir) {
  {
    TPage95Control files;
    SetUpFileTabs(files);
    files.SetActivePage(files.Pages(2));
    SaveWidgetShot(files, dir, QStringLiteral("tabs_files"));
    HoverTab(files, 3);
    SaveWidgetShot(files, dir, QStringLiteral("tabs_files_hot"));
    files.Pages(1)->setEnabled(false);
    SaveWidgetShot(files, dir, QStringLiteral("tabs_files_disabled_page"));
    files.SetTabPosition(tpBottomRight);
    SaveWidgetShot(files, dir, QStringLiteral("tabs_files_bottom"));
  }
  {
    TPage95Control options;
    options.SetTabHeight(20);
    options.SetTabActiveColor(QColor(0xEA, 0xC6, 0x84));
    options.SetTabInactiveColor(QColor(0xDA, 0xDA, 0xDA));
    QFont plain(QStringLiteral("DejaVu Sans"));
    plain.setPixelSize(11);
    options.setFont(plain);
    options.SetTabInactiveFont(plain, Qt::gray);
    for (const char* caption : {"General          ", "Editor          ", "Midi          "}) {
      AddSheet(options, QString::fromLatin1(caption), -1);
    }
    options.resize(320, 150);
    SaveWidgetShot(options, dir, QStringLiteral("tabs_options"));
    options.SetVerticalTabs(true);
    options.SetTextRotation(trVertical);
    options.SetTabHeight(22);
    SaveWidgetShot(options, dir, QStringLiteral("tabs_options_left_rotated"));
    options.SetTabPosition(tpBottomRight);
    SaveWidgetShot(options, dir, QStringLiteral("tabs_options_right_rotated"));
    options.SetButtonStyle(true);
    options.SetTextRotation(trHorizontal);
    options.resize(320, 60);
    SaveWidgetShot(options, dir, QStringLiteral("tabs_options_buttons"));
  }
}

const RegisterGallery kTabs{"tabs", PaintTabs};

}  // namespace
}  // namespace rq::tool
