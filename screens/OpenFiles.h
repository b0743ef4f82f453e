// What the open-files tabs ask of the open-files controller, which owns every file
// and carries out each operation; the tabs only hold references to the files.
#pragma once

#include <cstdint>

namespace rq {

class TAbcFile;

class IOpenFiles {
 public:
  virtual ~IOpenFiles() = default;

  // Writes the trash and the filer when missing and opens them (each gets its tab).
  virtual void OpenControlFiles() = 0;
  virtual bool IsTrash(const TAbcFile* file) const = 0;
  virtual bool IsFiler(const TAbcFile* file) const = 0;
  // Shows the file in the tune browser.
  virtual int32_t ShowFile(TAbcFile* file) = 0;
  virtual int32_t SaveFile(TAbcFile* file) = 0;
  virtual int32_t SaveFileAs(TAbcFile* file) = 0;
  // 0 closed (its tab is taken away on the way), -1 kept (cancelled), -2 a control file.
  virtual int32_t CloseFile(TAbcFile* file) = 0;
  // The file tunes are being dragged from; null when no tune drag is under way.
  virtual TAbcFile* DragFile() const = 0;
  // Ends the tune drag on a file: copies the tunes there, or moves a view into the trash.
  virtual void DropOnFile(TAbcFile* target) = 0;
};

}  // namespace rq
