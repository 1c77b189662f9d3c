#include "common/about.h"

#include <sys/stat.h>

#include <ctime>
#include <utility>

namespace korav {

AboutText AboutTextFor(std::string product_line, std::string executable_path) {
  AboutText text;
  text.product_line = std::move(product_line);
  text.version_line = std::string("Version ") + kVersion;
  text.notice_line = "Copyright (C) 2024-2026 The KORAV developers";
  text.rights_line = "All rights reserved";
  text.web_address = "https://korav.example.org";
  text.built_line = "Built " + FileModifiedText(executable_path);
  text.executable_path = std::move(executable_path);
  return text;
}

std::string FileModifiedText(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return "";
  std::tm local{};
  localtime_r(&status.st_mtime, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace korav
