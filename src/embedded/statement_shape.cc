#include "embedded/statement_shape.h"

#include <charconv>

#include "embedded/sql_tokens.h"
#include "value/text.h"

namespace ocg {
namespace {

// Where a token stands, per level of parentheses.
enum class Clause { kOther, kSelectList, kOrdering };

// The words that move a statement from one clause to another.
enum class Keyword { kNone, kSelect, kBy, kOrderOrGroup, kOtherClause };

// Checked by first letter and length first: most words of a statement are
// column and table names.
Keyword KeywordOf(std::string_view w) {
  if (w.size() < 2 || w.size() > 9) return Keyword::kNone;
  switch (w[0] | 0x20) {
    case 'b':
      return EqualsIgnoreCase(w, "BY") ? Keyword::kBy : Keyword::kNone;
    case 'e':
      return EqualsIgnoreCase(w, "EXCEPT") ? Keyword::kOtherClause : Keyword::kNone;
    case 'f':
      return EqualsIgnoreCase(w, "FROM") ? Keyword::kOtherClause : Keyword::kNone;
    case 'g':
      return EqualsIgnoreCase(w, "GROUP") ? Keyword::kOrderOrGroup : Keyword::kNone;
    case 'h':
      return EqualsIgnoreCase(w, "HAVING") ? Keyword::kOtherClause : Keyword::kNone;
    case 'i':
      return EqualsIgnoreCase(w, "INTERSECT") ? Keyword::kOtherClause : Keyword::kNone;
    case 'l':
      return EqualsIgnoreCase(w, "LIMIT") ? Keyword::kOtherClause : Keyword::kNone;
    case 'o':
      return EqualsIgnoreCase(w, "ORDER") ? Keyword::kOrderOrGroup : Keyword::kNone;
    case 's':
      if (EqualsIgnoreCase(w, "SELECT")) return Keyword::kSelect;
      return EqualsIgnoreCase(w, "SET") ? Keyword::kOtherClause : Keyword::kNone;
    case 'u':
      return EqualsIgnoreCase(w, "UNION") ? Keyword::kOtherClause : Keyword::kNone;
    case 'v':
      return EqualsIgnoreCase(w, "VALUES") ? Keyword::kOtherClause : Keyword::kNone;
    case 'w':
      return EqualsIgnoreCase(w, "WHERE") ? Keyword::kOtherClause : Keyword::kNone;
    default:
      return Keyword::kNone;
  }
}

bool Significant(const SqlToken& t) {
  return t.kind != SqlTokenKind::kSpace && t.kind != SqlTokenKind::kComment;
}

}  // namespace

bool ShapeOf(std::string_view sql, StatementShape* out) {
  // Kept between calls: a statement's tokens take kilobytes, and allocating
  // them anew each time costs more than reading them.
  thread_local std::vector<SqlToken> tokens;
  if (!TokenizeSql(sql, &tokens).ok()) return false;
  size_t first = 0;
  while (first < tokens.size() && !Significant(tokens[first])) ++first;
  if (first == tokens.size()) return false;
  const SqlToken& verb = tokens[first];
  const std::string_view v = sql.substr(verb.begin, verb.end - verb.begin);
  if (verb.kind != SqlTokenKind::kWord ||
      (!EqualsIgnoreCase(v, "SELECT") && !EqualsIgnoreCase(v, "INSERT") &&
       !EqualsIgnoreCase(v, "UPDATE") && !EqualsIgnoreCase(v, "DELETE") &&
       !EqualsIgnoreCase(v, "WITH"))) {
    return false;
  }

  out->text.clear();
  out->text.reserve(sql.size() + 16);
  out->literals.clear();
  std::vector<Clause> clause = {Clause::kOther};
  bool ended = false;  // after a ';': only blanks may follow
  bool after_order_or_group = false;
  size_t copied = 0;
  for (size_t i = first; i < tokens.size(); ++i) {
    const SqlToken& t = tokens[i];
    // A comment could hold a quote or a "?1" of its own; such texts are left
    // to run as they stand.
    if (t.kind == SqlTokenKind::kComment) return false;
    if (t.kind == SqlTokenKind::kSpace) continue;
    if (ended) return false;
    const std::string_view text = sql.substr(t.begin, t.end - t.begin);
    switch (t.kind) {
      case SqlTokenKind::kWord:
        // SQLite reads @name as a parameter.
        if (text[0] == '@') return false;
        switch (KeywordOf(text)) {
          case Keyword::kSelect:
            clause.back() = Clause::kSelectList;
            break;
          case Keyword::kBy:
            if (after_order_or_group && clause.back() != Clause::kSelectList) {
              clause.back() = Clause::kOrdering;
            }
            break;
          case Keyword::kOtherClause:
            clause.back() = Clause::kOther;
            break;
          default:
            break;
        }
        after_order_or_group = KeywordOf(text) == Keyword::kOrderOrGroup;
        continue;
      case SqlTokenKind::kPunct:
        if (text[0] == '?' || text[0] == ':' || text[0] == '$') return false;
        after_order_or_group = false;
        if (text[0] == '(') clause.push_back(clause.back());
        if (text[0] == ')' && clause.size() > 1) clause.pop_back();
        if (text[0] == ';') ended = true;
        continue;
      case SqlTokenKind::kNumber:
      case SqlTokenKind::kString:
        break;
      default:
        continue;
    }
    if (clause.back() != Clause::kOther) continue;
    const bool word_before = i > 0 && tokens[i - 1].kind == SqlTokenKind::kWord;
    const bool word_after = i + 1 < tokens.size() && tokens[i + 1].kind == SqlTokenKind::kWord;
    if (word_before || word_after) continue;
    out->literals.push_back(text);
    out->text.append(sql.substr(copied, t.begin - copied));
    out->text += '?';
    out->text += std::to_string(out->literals.size());
    copied = t.end;
  }
  out->text.append(sql.substr(copied));
  return true;
}

std::string FillShape(std::string_view shaped, const std::vector<std::string_view>& literals) {
  std::string out;
  out.reserve(shaped.size() + 8 * literals.size());
  size_t i = 0;
  while (i < shaped.size()) {
    const char c = shaped[i];
    if (c == '\'' || c == '"') {  // copy the quoted part whole; a doubled quote stays inside
      size_t j = i + 1;
      while (j < shaped.size()) {
        if (shaped[j] != c) {
          ++j;
        } else if (j + 1 < shaped.size() && shaped[j + 1] == c) {
          j += 2;
        } else {
          ++j;
          break;
        }
      }
      out.append(shaped.substr(i, j - i));
      i = j;
      continue;
    }
    if (c == '?') {
      size_t k = 0;
      auto [end, ec] = std::from_chars(shaped.data() + i + 1, shaped.data() + shaped.size(), k);
      if (ec == std::errc() && k >= 1 && k <= literals.size()) {
        out.append(literals[k - 1]);
        i = static_cast<size_t>(end - shaped.data());
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace ocg
