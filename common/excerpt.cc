#include "common/excerpt.h"

namespace korav {

void AppendExcerpt(std::string& out, std::string_view text) {
  if (text.size() <= kExcerptBytes) {
    out.append(text);
    return;
  }
  out.append(text.substr(0, kExcerptBytes)).append("...");
}

std::string Excerpt(std::string_view text) {
  std::string result;
  AppendExcerpt(result, text);
  return result;
}

}  // namespace korav
