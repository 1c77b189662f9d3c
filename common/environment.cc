#include "common/environment.h"

#include <cstdlib>

namespace korav {

std::string GetEnvVar(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

std::string UserName() {
  for (const char* name : {"USERNAME", "USER", "LOGNAME"}) {
    std::string value = GetEnvVar(name);
    if (!value.empty()) return value;
  }
  return {};
}

bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (!GetEnvVar(name).empty()) return true;
  }
  return false;
}

}  // namespace korav
