#include "allocation/log/run_files.h"

#include <sys/stat.h>

#include <algorithm>

namespace korav {

void RunFiles::Clear() {
  inputs_.clear();
  input_names_.clear();
  written_.clear();
}

void RunFiles::AddInput(const std::string& path) {
  if (const std::optional<FileIdentity> file = IdentityOf(path)) {
    if (std::find(inputs_.begin(), inputs_.end(), *file) == inputs_.end()) inputs_.push_back(*file);
  }
  const std::string folder = DirectoryOf(path);
  const std::optional<FileIdentity> folder_identity =
      FolderIdentityOf(folder.empty() ? "." : folder);
  if (!folder_identity) return;
  std::pair<FileIdentity, std::string> name{*folder_identity, path.substr(folder.size())};
  if (std::find(input_names_.begin(), input_names_.end(), name) == input_names_.end()) {
    input_names_.push_back(std::move(name));
  }
}

bool RunFiles::IsInput(const OutputPlace& place) const {
  if (place.existing &&
      std::find(inputs_.begin(), inputs_.end(), *place.existing) != inputs_.end()) {
    return true;
  }
  struct stat status {};
  if (::fstat(place.folder.get(), &status) != 0) return false;
  const FileIdentity folder{static_cast<uint64_t>(status.st_dev),
                            static_cast<uint64_t>(status.st_ino)};
  return std::find(input_names_.begin(), input_names_.end(),
                   std::pair<FileIdentity, std::string>{folder, place.leaf}) != input_names_.end();
}

bool RunFiles::IsWritten(const std::optional<FileIdentity>& file) const {
  return file && std::find(written_.begin(), written_.end(), *file) != written_.end();
}

}  // namespace korav
