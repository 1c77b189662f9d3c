// What the about box of either program says: the product line it is given,
// the version, the notice and rights lines, the web address, and the running
// executable with the date and time it was built.
#ifndef KORAV_COMMON_ABOUT_H_
#define KORAV_COMMON_ABOUT_H_

#include <string>

namespace korav {

// The version of both programs.
inline constexpr char kVersion[] = "0.7";

struct AboutText {
  std::string product_line;
  std::string version_line;
  std::string notice_line;
  std::string rights_line;
  std::string web_address;
  std::string executable_path;
  std::string built_line;  // "Built " + the executable's modification time
};

// The about text of the program `product_line` ("KORAVA - KORAV Cost
// Allocation", "KORAVE - KORAV Edit") running from `executable_path`.
AboutText AboutTextFor(std::string product_line, std::string executable_path);

// The local modification time of `path` as "YYYY-MM-DD HH:MM:SS", or empty
// when the file cannot be examined.
std::string FileModifiedText(const std::string& path);

}  // namespace korav

#endif  // KORAV_COMMON_ABOUT_H_
