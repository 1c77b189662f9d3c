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

// True when a window can be shown: a display ("DISPLAY", "WAYLAND_DISPLAY")
// or a Qt platform ("QT_QPA_PLATFORM") is set. Qt ends the process when it
// finds none, so the programs ask first and say why instead.
bool DisplayAvailable();

}  // namespace korav

#endif  // KORAV_COMMON_ENVIRONMENT_H_
