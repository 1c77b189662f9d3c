// Where both programs find their help topics: one HTML page per topic number
// in the folder "help" beside the executables.
#ifndef KORAV_COMMON_HELP_TOPICS_H_
#define KORAV_COMMON_HELP_TOPICS_H_

#include <string>

namespace korav {

// The help topics of both programs.
enum HelpTopic {
  kHelpOverview = 1000,
  kHelpEditorOverview = 1001,
  kHelpWhatsNew = 1010,
  kHelpEditorWhatsNew = 1011,
  kHelpLicense = 1020,
  kHelpRunFileFormat = 1030,
  kHelpDataFileFormat = 1040,
};

// The help folder beside the programs in `program_directory` (which ends in
// "/"), ending in "/".
std::string HelpDirectory(const std::string& program_directory);

// The page of `topic` in `help_directory`: "<topic>.html".
std::string HelpTopicPath(const std::string& help_directory, int topic);

// The page shown instead of a topic whose file `path` does not exist.
std::string MissingTopicPage(int topic, const std::string& path);

}  // namespace korav

#endif  // KORAV_COMMON_HELP_TOPICS_H_
