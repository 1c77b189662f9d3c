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

}  // namespace korav
