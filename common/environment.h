// The process environment as both programs read it.
#ifndef KORAV_COMMON_ENVIRONMENT_H_
#define KORAV_COMMON_ENVIRONMENT_H_

#include <string>

namespace korav {

// The value of environment variable `name`, or "" when it is not set.
std::string GetEnvVar(const std::string& name);

// The user name that replaces "$USERNAME" in paths: "USERNAME", else "USER",
// else "LOGNAME"; "" when none is set.
std::string UserName();

}  // namespace korav

#endif  // KORAV_COMMON_ENVIRONMENT_H_
