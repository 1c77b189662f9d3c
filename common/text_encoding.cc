#include "common/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace korav {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr uint32_t kPopDirectionalFormatting = 0x202C;
constexpr uint32_t kPopDirectionalIsolate = 0x2069;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the UTF-8 sequence that begins at `at`, or 0 when none
// begins there; `code` is set to its character, or to the byte at `at` when
// none begins there.
size_t SequenceLength(std::string_view bytes, size_t at, uint32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  code = lead;
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint32_t decoded = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    decoded = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    decoded = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    decoded = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + i]);
    if (!IsContinuation(byte)) return 0;
    decoded = (decoded << 6) | (byte & 0x3Fu);
  }
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (decoded < kSmallest[length] || decoded > 0x10FFFF) return 0;
  if (decoded >= 0xD800 && decoded <= 0xDFFF) return 0;
  code = decoded;
  return length;
}

bool IsLineSpace(uint32_t code) { return code == '\t' || code == '\n' || code == '\r'; }

// True for the characters that ShownText replaces.
bool IsHidden(uint32_t code) {
  if (IsLineSpace(code)) return false;
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFFFE || code == 0xFFFF;
}

// LRE, RLE, LRO and RLO open an embedding or override that PDF closes.
bool OpensEmbedding(uint32_t code) {
  return code == 0x202A || code == 0x202B || code == 0x202D || code == 0x202E;
}

// LRI, RLI and FSI open an isolate that PDI closes.
bool OpensIsolate(uint32_t code) { return code >= 0x2066 && code <= 0x2068; }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  uint32_t code = 0;
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = SequenceLength(bytes, at, code);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string AsUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

size_t Utf8Length(std::string_view text) {
  size_t characters = 0;
  for (const char c : text) characters += IsContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
  return characters;
}

std::string_view Utf8Prefix(std::string_view text, size_t characters) {
  size_t at = 0;
  for (size_t seen = 0; at < text.size(); ++at) {
    if (IsContinuation(static_cast<unsigned char>(text[at]))) continue;
    if (seen++ == characters) break;
  }
  return text.substr(0, at);
}

std::string ShownText(std::string_view bytes) {
  const std::string text = AsUtf8(bytes);
  std::string shown;
  shown.reserve(text.size());
  uint32_t code = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceLength(text, at, code);
    if (IsLineSpace(code)) {
      shown += ' ';
    } else if (IsHidden(code)) {
      shown += kReplacement;
    } else {
      shown.append(text, at, length);
    }
    at += length;
  }
  return BalancedDirections(shown);
}

std::string BalancedDirections(std::string_view text) {
  std::string balanced;
  balanced.reserve(text.size());
  std::vector<bool> open;  // innermost last: true for an isolate
  uint32_t code = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = std::max<size_t>(1, SequenceLength(text, at, code));
    const std::string_view character = text.substr(at, length);
    at += length;
    if (OpensEmbedding(code) || OpensIsolate(code)) {
      open.push_back(OpensIsolate(code));
    } else if (code == kPopDirectionalFormatting) {
      // Closes the innermost embedding, never past an isolate.
      if (open.empty() || open.back()) continue;
      open.pop_back();
    } else if (code == kPopDirectionalIsolate) {
      // Closes the innermost isolate and what was opened inside it.
      size_t isolate = open.size();
      while (isolate > 0 && !open[isolate - 1]) --isolate;
      if (isolate == 0) continue;
      open.resize(isolate - 1);
    }
    balanced += character;
  }
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    balanced += *it ? "\xE2\x81\xA9" : "\xE2\x80\xAC";  // PDI, PDF
  }
  return balanced;
}

bool NeedsIsolate(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string EscapedHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  uint32_t code = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceLength(text, at, code);
    if (length == 0 || IsHidden(code)) {
      escaped += kReplacement;
      at += std::max<size_t>(1, length);
      continue;
    }
    switch (code) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      case '\n':
        escaped += "&#10;";
        break;
      default:
        escaped.append(text, at, length);
    }
    at += length;
  }
  return escaped;
}

}  // namespace korav
