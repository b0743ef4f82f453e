#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace rq {
namespace {

std::string& Override() {
  static std::string folder;
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  if (!Override().empty()) return Override();
  if (const char* env = std::getenv("RQ_PROGRAM_DIR"); env && *env) return env;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::current_path() : exe.parent_path()).string();
}

void SetProgramFolder(std::string folder) { Override() = std::move(folder); }

std::string ProgramFile(const std::string& name) {
  return (std::filesystem::path(ProgramFolder()) / name).string();
}

}  // namespace rq
