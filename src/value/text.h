// value/text.h: text helpers that count characters, not bytes.
//
// Texts are UTF-8 throughout. Lengths, pieces and positions that the operations
// speak of ("at most 254 characters", "pieces of 255") count characters (code
// points); an invalid byte counts as one character.
#ifndef OCG_VALUE_TEXT_H_
#define OCG_VALUE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ocg {

// Blanks (spaces only, as the platform's Trim) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

// The characters of chars removed from both ends.
std::string_view TrimAny(std::string_view text, std::string_view chars);

// ASCII letters upper-cased, every other byte as it is: SQL names and
// keywords, where ToUpperText's accents do not belong.
std::string UpperAscii(std::string_view text);

// Number of characters.
size_t CharLength(std::string_view text);

// Characters start .. start+count-1, 1-based, clipped to the text (the
// platform's Mid). count npos means to the end.
std::string_view CharMid(std::string_view text, size_t start,
                         size_t count = std::string_view::npos);

// Upper case: ASCII and the accented letters of Latin-1 ("ção" -> "ÇÃO").
std::string ToUpperText(std::string_view text);

// Appends code point cp in UTF-8.
void AppendUtf8(std::string& out, uint32_t cp);

// ASCII case-insensitive equality, for column and key names.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace ocg

#endif  // OCG_VALUE_TEXT_H_
