#include "allocation/log/run_files.h"

#include <algorithm>

namespace korav {

void RunFiles::Clear() {
  inputs_.clear();
  input_places_.clear();
  written_.clear();
  read_.clear();
  reports_.clear();
}

void RunFiles::AddWritten(const FileIdentity& identity, int report, ClosedFile file) {
  written_.push_back(identity);
  const auto same = std::find_if(reports_.begin(), reports_.end(), [&](const WrittenFile& earlier) {
    return earlier.file.path == file.path;
  });
  if (same != reports_.end()) reports_.erase(same);
  reports_.push_back(WrittenFile{report, std::move(file)});
}

void RunFiles::AddRead(InputFile file) {
  const auto same = std::find_if(read_.begin(), read_.end(), [&](const InputFile& earlier) {
    return earlier.absolute_path == file.absolute_path;
  });
  if (same != read_.end()) {
    *same = std::move(file);
  } else {
    read_.push_back(std::move(file));
  }
}

void RunFiles::AddInput(const std::string& path) {
  if (const std::optional<FileIdentity> file = IdentityOf(path)) {
    if (std::find(inputs_.begin(), inputs_.end(), *file) == inputs_.end()) inputs_.push_back(*file);
  }
  std::optional<FilePlace> place = PlaceOf(path);
  if (place &&
      std::find(input_places_.begin(), input_places_.end(), *place) == input_places_.end()) {
    input_places_.push_back(std::move(*place));
  }
}

bool RunFiles::IsInput(const OutputPlace& place) const {
  if (place.existing &&
      std::find(inputs_.begin(), inputs_.end(), *place.existing) != inputs_.end()) {
    return true;
  }
  const std::optional<FileIdentity> folder = IdentityOfOpen(place.folder.get());
  return folder && std::find(input_places_.begin(), input_places_.end(),
                             FilePlace{*folder, place.leaf}) != input_places_.end();
}

bool RunFiles::IsWritten(const std::optional<FileIdentity>& file) const {
  return file && std::find(written_.begin(), written_.end(), *file) != written_.end();
}

}  // namespace korav
