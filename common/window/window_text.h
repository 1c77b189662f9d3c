// Texts between the programs' files and their windows. Files hold bytes in
// no particular encoding; a window shows them as UTF-8 when they are valid
// UTF-8 and as Latin-1 otherwise.
#ifndef KORAV_COMMON_WINDOW_WINDOW_TEXT_H_
#define KORAV_COMMON_WINDOW_WINDOW_TEXT_H_

#include <QString>
#include <string>

namespace korav {

QString FromBytes(const std::string& bytes);
// The bytes of `text`: `original` when the text still reads as `original`
// did (a value the user left alone keeps its exact bytes), else the text as
// UTF-8.
std::string ToBytes(const QString& text, const std::string& original = {});

}  // namespace korav

#endif  // KORAV_COMMON_WINDOW_WINDOW_TEXT_H_
