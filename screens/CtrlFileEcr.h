// The open-files screen: one tab per open file above the tune browser, with the
// trash, the filer and other files told apart by their images. A click on a tab
// shows its file; tunes dragged onto a tab go into that file. Every operation is the
// open-files controller's; the tabs only know which file each one shows.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "controls/Page95Control.h"
#include "controls/Tab95Sheet.h"

class QAction;
class QMenu;

namespace rq {

class IOpenFiles;
class TAbcFile;
class TDragControl;
class TImageList;

// Images of the file tabs in the resource module's 20 × 20 list.
inline constexpr int kImageTrash = 0;
inline constexpr int kImageFiler = 1;
inline constexpr int kImageTuneFile = 2;

// A tab of one open file.
class TFileSheet : public TTab95Sheet {
  Q_OBJECT

 public:
  TFileSheet(TAbcFile* file, QWidget* parent) : TTab95Sheet(parent), file_(file) {}
  TAbcFile* File() const { return file_; }

 private:
  TAbcFile* file_;
};

class TCtrlFileEcr : public QWidget {
  Q_OBJECT

 public:
  // `images` holds the three file images; `drag` brings dragged tunes to the tabs.
  TCtrlFileEcr(IOpenFiles& files, TImageList* images, TDragControl* drag, QWidget* parent = nullptr);
  ~TCtrlFileEcr() override;

  // Moves the tabs into `host` (the main window's tab panel) and opens the trash and
  // the filer, which thereby get the first two tabs.
  void OnCreate(QWidget* host);
  // The tabs' pop-up menu: these actions in order, a null one for a separator.
  void SetMenuActions(const QList<QAction*>& actions);

  // A tab for a file the controller opened or made, at the end; `select` makes it the
  // active tab (without showing the file: the controller does that).
  void AddFileTab(TAbcFile* file, bool select = true);
  // The file's tab shows its new name.
  void UpdateTabCaption(TAbcFile* file);
  // The file is closing: its tab goes.
  void RemoveFileTab(TAbcFile* file);
  // The file is shown: its tab becomes the active one, nothing more.
  void SelectFileTab(TAbcFile* file);

  void SaveActive();
  void SaveActiveAs();
  // Closes the active tab's file; then the first tab is active and its file shown.
  void CloseActive();
  // Closes every file that may close, in tab order, until the user cancels; then the
  // first tab is active and its file shown.
  void CloseAll();

  TAbcFile* ActiveFile() const;
  TAbcFile* FileOfTab(int index) const;
  int TabOf(const TAbcFile* file) const;
  TPage95Control* PGCFile() const { return pgcFile_; }
  QMenu* PopCtrlFile() const { return popCtrlFile_; }
  int TrackedTab() const { return trackedTab_; }

  // A file's tab caption: its name without the folder, then 8 blanks.
  static QString TabCaption(const std::string& fileName);

 private:
  void OnSelectTab();
  void OnTabTrack(int index);
  // Tunes may land on the tab under the pointer when they are being dragged and the
  // tab shows another file than theirs; never over empty bar space.
  bool OnDragOverFile(const QPoint& pos) const;
  void OnDropFile(const QPoint& pos);
  int ImageIndexOf(const TAbcFile* file) const;
  void ShowFirstTab();

  IOpenFiles& files_;
  QPointer<TPage95Control> pgcFile_;
  QMenu* popCtrlFile_ = nullptr;
  QPointer<QWidget> host_;
  int trackedTab_ = -1;
};

}  // namespace rq
