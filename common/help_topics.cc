#include "common/help_topics.h"

#include "common/text_encoding.h"

namespace korav {

std::string HelpDirectory(const std::string& program_directory) {
  return program_directory + "help/";
}

std::string HelpTopicPath(const std::string& help_directory, int topic) {
  return help_directory + std::to_string(topic) + ".html";
}

std::string MissingTopicPage(int topic, const std::string& path) {
  return "<html><head><title>Help topic " + std::to_string(topic) +
         " is missing</title></head><body><h1>Help topic " + std::to_string(topic) +
         " is missing</h1><p>The page of this topic, <code>" + EscapedHtml(path) +
         "</code>, was not found. The help pages are installed in the folder "
         "<code>help</code> beside the program.</p></body></html>";
}

}  // namespace korav
