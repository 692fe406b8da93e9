// value/text.cc: UTF-8 stepping and the platform's upper case.
//
// A character is one well-formed UTF-8 sequence (no overlong forms, no
// surrogates, nothing above U+10FFFF); any other byte stands alone as one
// character, so a stray Latin-1 byte from an old row still counts once and is
// never split or dropped.
#include "value/text.h"

#include <cstdint>

namespace ocg {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Byte length of the character starting at text[pos].
size_t CharSize(std::string_view text, size_t pos) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = at(0);
  const size_t left = text.size() - pos;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && IsContinuation(at(1)) ? 2 : 1;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3 || !IsContinuation(at(1)) || !IsContinuation(at(2))) return 1;
    if (lead == 0xE0 && at(1) < 0xA0) return 1;  // overlong
    if (lead == 0xED && at(1) > 0x9F) return 1;  // surrogate
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4 || !IsContinuation(at(1)) || !IsContinuation(at(2)) || !IsContinuation(at(3))) {
      return 1;
    }
    if (lead == 0xF0 && at(1) < 0x90) return 1;  // overlong
    if (lead == 0xF4 && at(1) > 0x8F) return 1;  // above U+10FFFF
    return 4;
  }
  return 1;
}

// Byte offset after skipping count characters from byte offset pos.
size_t SkipChars(std::string_view text, size_t pos, size_t count) {
  while (count > 0 && pos < text.size()) {
    pos += CharSize(text, pos);
    --count;
  }
  return pos;
}

// The upper case the platform's code page (Windows-1252) knows: Latin-1's
// accented letters, plus the few Latin Extended pairs that code page carries.
// ß and µ, which have no capital there, stay as they are.
uint32_t UpperCodePoint(uint32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 0x20;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;  // à..þ, not ÷
  switch (cp) {
    case 0xFF:  // ÿ
      return 0x178;
    case 0x153:  // œ
      return 0x152;
    case 0x161:  // š
      return 0x160;
    case 0x17E:  // ž
      return 0x17D;
    default:
      return cp;
  }
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string_view TrimBlanks(std::string_view text) { return TrimAny(text, " "); }

std::string_view TrimAny(std::string_view text, std::string_view chars) {
  const size_t first = text.find_first_not_of(chars);
  if (first == std::string_view::npos) return text.substr(0, 0);
  const size_t last = text.find_last_not_of(chars);
  return text.substr(first, last - first + 1);
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

size_t CharLength(std::string_view text) {
  size_t n = 0;
  for (size_t pos = 0; pos < text.size(); pos += CharSize(text, pos)) ++n;
  return n;
}

std::string_view CharMid(std::string_view text, size_t start, size_t count) {
  const size_t begin = SkipChars(text, 0, start > 0 ? start - 1 : 0);
  const size_t end = count == std::string_view::npos ? text.size() : SkipChars(text, begin, count);
  return text.substr(begin, end - begin);
}

std::string ToUpperText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t size = CharSize(text, pos);
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (size == 1 && b0 < 0x80) {
      out += static_cast<char>(UpperCodePoint(b0));
    } else if (size == 2) {
      const auto b1 = static_cast<unsigned char>(text[pos + 1]);
      AppendUtf8(out, UpperCodePoint(((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu)));
    } else {
      out += text.substr(pos, size);
    }
    pos += size;
  }
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    // Different bytes match only as the two cases of one ASCII letter.
    const char lower = static_cast<char>(a[i] | 0x20);
    if ((a[i] ^ b[i]) != 0x20 || lower < 'a' || lower > 'z') return false;
  }
  return true;
}

}  // namespace ocg
