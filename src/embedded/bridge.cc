// embedded/bridge.cc: the dialect bridge.
//
// Everything here works on a token list over the original text, so quoted
// texts, quoted names and comments are never rewritten, and untouched text
// keeps its spacing. Only BridgeStatement is exported.
//
// The "(+)" rewrite handles the shape every Oracle statement of the component
// has: SELECT ... FROM a comma-joined list WHERE an AND-chain, in any branch
// of a UNION and in parenthesised subqueries. A statement outside that shape
// (an OR at the top of the chain, a FROM list that already has JOINs, a
// marked column without its table) is passed on as written, and the engine
// then rejects the "(+)" with its own syntax error.
#include "embedded/bridge.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "embedded/sql_tokens.h"
#include "value/text.h"

namespace ocg {
namespace {

using Token = SqlToken;
using TokenKind = SqlTokenKind;

// A tokenized text with the small queries the rewrites need.
class Lexed {
 public:
  explicit Lexed(std::string_view text) : text_(text) { status_ = TokenizeSql(text, &toks_); }

  const Status& status() const { return status_; }
  std::string_view text() const { return text_; }
  size_t size() const { return toks_.size(); }
  const Token& tok(size_t i) const { return toks_[i]; }
  std::string_view At(size_t i) const {
    return text_.substr(toks_[i].begin, toks_[i].end - toks_[i].begin);
  }
  // Text from the start of token b to the end of token e - 1.
  std::string_view Span(size_t b, size_t e) const {
    if (b >= e) return {};
    return text_.substr(toks_[b].begin, toks_[e - 1].end - toks_[b].begin);
  }

  bool Significant(size_t i) const {
    return toks_[i].kind != TokenKind::kSpace && toks_[i].kind != TokenKind::kComment;
  }
  bool Word(size_t i, std::string_view w) const {
    return toks_[i].kind == TokenKind::kWord && EqualsIgnoreCase(At(i), w);
  }
  bool Punct(size_t i, char c) const {
    return toks_[i].kind == TokenKind::kPunct && text_[toks_[i].begin] == c;
  }
  bool Name(size_t i) const {
    return toks_[i].kind == TokenKind::kWord || toks_[i].kind == TokenKind::kQuotedName;
  }

  // First significant token at or after i and before end; end when none.
  size_t NextSig(size_t i, size_t end) const {
    while (i < end && !Significant(i)) ++i;
    return i;
  }
  // Last significant token before i and at or after begin; npos when none.
  size_t PrevSig(size_t i, size_t begin) const {
    while (i > begin) {
      --i;
      if (Significant(i)) return i;
    }
    return std::string_view::npos;
  }

  // The ")" matching the "(" at open, or end when it is not closed before end.
  size_t MatchParen(size_t open, size_t end) const {
    int depth = 0;
    for (size_t i = open; i < end; ++i) {
      if (Punct(i, '(')) ++depth;
      if (Punct(i, ')') && --depth == 0) return i;
    }
    return end;
  }

  // When the "(" at i opens an Oracle outer-join marker "(+)" (blanks allowed
  // inside), the index of its ")".
  std::optional<size_t> MarkerAt(size_t i, size_t end) const {
    if (!Punct(i, '(')) return std::nullopt;
    size_t plus = NextSig(i + 1, end);
    if (plus == end || !Punct(plus, '+')) return std::nullopt;
    size_t close = NextSig(plus + 1, end);
    if (close == end || !Punct(close, ')')) return std::nullopt;
    return close;
  }

  // True when the "(" at i opens a subquery.
  bool OpensSubquery(size_t i, size_t end) const {
    if (!Punct(i, '(')) return false;
    size_t first = NextSig(i + 1, end);
    return first < end && Word(first, "SELECT");
  }

  // The markers of [b, e) as (open, close) pairs, outside nested subqueries.
  std::vector<std::pair<size_t, size_t>> Markers(size_t b, size_t e) const {
    std::vector<std::pair<size_t, size_t>> found;
    for (size_t i = b; i < e; ++i) {
      if (auto close = MarkerAt(i, e)) {
        found.emplace_back(i, *close);
        i = *close;
      } else if (OpensSubquery(i, e)) {
        i = MatchParen(i, e);
      }
    }
    return found;
  }

  bool HasMarkerAnywhere() const {
    for (size_t i = 0; i < toks_.size(); ++i) {
      if (MarkerAt(i, toks_.size())) return true;
    }
    return false;
  }

 private:
  std::string_view text_;
  std::vector<Token> toks_;
  Status status_;
};

// The text of a quoted token without its quotes, escaped quotes undoubled.
std::string Unquote(std::string_view quoted) {
  const char q = quoted.front();
  std::string out;
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    out += quoted[i];
    if (quoted[i] == q) ++i;  // the second quote of a doubled pair
  }
  return out;
}

// A name as tables and aliases are compared: unquoted, in upper case.
std::string NameKey(const Lexed& lx, size_t i) {
  if (lx.tok(i).kind == TokenKind::kQuotedName) return UpperAscii(Unquote(lx.At(i)));
  return UpperAscii(lx.At(i));
}

// ---------------------------------------------------------------------------
// Procedure calls.

Status SyntaxErrorNear(std::string_view near) {
  return Status::Error("Incorrect syntax near '" + std::string(near) + "'.", 102);
}

Value NumberValue(std::string_view digits, bool negative) {
  const bool integral = digits.find_first_of(".eE") == std::string_view::npos;
  if (integral) {
    int64_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec == std::errc() && end == digits.data() + digits.size()) {
      if (negative) v = -v;
      if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
        return Value::Int32(static_cast<int32_t>(v));
      }
      return Value::Double(static_cast<double>(v));
    }
  }
  double d = std::strtod(std::string(digits).c_str(), nullptr);
  return Value::Double(negative ? -d : d);
}

// Reads the literal starting at the significant token *i (a number with an
// optional sign, a quoted text, or null) and moves *i past it.
Status ReadLiteral(const Lexed& lx, size_t* i, size_t end, Value* out) {
  size_t t = *i;
  if (t >= end) return SyntaxErrorNear(lx.At(lx.size() - 1));
  bool negative = false;
  if (lx.Punct(t, '-') || lx.Punct(t, '+')) {
    negative = lx.Punct(t, '-');
    size_t num = lx.NextSig(t + 1, end);
    if (num == end || lx.tok(num).kind != TokenKind::kNumber) return SyntaxErrorNear(lx.At(t));
    t = num;
  }
  switch (lx.tok(t).kind) {
    case TokenKind::kNumber:
      *out = NumberValue(lx.At(t), negative);
      break;
    case TokenKind::kString:
      *out = Value::Text(Unquote(lx.At(t)));
      break;
    case TokenKind::kWord:
      if (!EqualsIgnoreCase(lx.At(t), "null")) return SyntaxErrorNear(lx.At(t));
      *out = Value::Null();
      break;
    default:
      return SyntaxErrorNear(lx.At(t));
  }
  *i = lx.NextSig(t + 1, end);
  return Status();
}

// Reads "literal, literal, ..." from the significant token *i up to stop (a
// token index, exclusive) and leaves *i at stop.
Status ReadArguments(const Lexed& lx, size_t* i, size_t stop, std::vector<Value>* args) {
  if (*i >= stop) return Status();
  for (;;) {
    Value v;
    OCG_RETURN_IF_ERROR(ReadLiteral(lx, i, stop, &v));
    args->push_back(std::move(v));
    if (*i >= stop) return Status();
    if (!lx.Punct(*i, ',')) return SyntaxErrorNear(lx.At(*i));
    size_t comma = *i;
    *i = lx.NextSig(*i + 1, stop);
    if (*i >= stop) return SyntaxErrorNear(lx.At(comma));
  }
}

// The index where the call's text ends: the end of the text, or a final ";"
// followed only by blanks.
size_t CallEnd(const Lexed& lx) {
  size_t last = lx.PrevSig(lx.size(), 0);
  if (last != std::string_view::npos && lx.Punct(last, ';')) return last;
  return lx.size();
}

// Recognises a procedure call. Returns true and fills *out (or the Status)
// when the text is one; false when it is plain SQL.
bool ParseCall(const Lexed& lx, BridgedStatement* out, Status* status) {
  const size_t end = CallEnd(lx);
  size_t first = lx.NextSig(0, end);
  if (first >= end || lx.tok(first).kind != TokenKind::kWord) return false;

  if (lx.Word(first, "EXEC") || lx.Word(first, "EXECUTE")) {
    size_t name = lx.NextSig(first + 1, end);
    if (name >= end || !lx.Name(name)) {
      *status = SyntaxErrorNear(name < end ? lx.At(name) : lx.At(first));
      return true;
    }
    // A schema prefix (dbo.SP_X) names the same procedure.
    size_t next = lx.NextSig(name + 1, end);
    while (next < end && lx.Punct(next, '.')) {
      size_t part = lx.NextSig(next + 1, end);
      if (part >= end || !lx.Name(part)) {
        *status = SyntaxErrorNear(lx.At(next));
        return true;
      }
      name = part;
      next = lx.NextSig(part + 1, end);
    }
    out->is_call = true;
    out->procedure = lx.tok(name).kind == TokenKind::kQuotedName ? UpperAscii(Unquote(lx.At(name)))
                                                                 : UpperAscii(lx.At(name));
    *status = ReadArguments(lx, &next, end, &out->arguments);
    return true;
  }

  // The print routine is called as name(args), without EXEC.
  if (lx.At(first).size() < 3 || !EqualsIgnoreCase(lx.At(first).substr(0, 3), "SP_")) return false;
  size_t open = lx.NextSig(first + 1, end);
  if (open >= end || !lx.Punct(open, '(')) return false;
  size_t close = lx.MatchParen(open, end);
  out->is_call = true;
  out->procedure = UpperAscii(lx.At(first));
  if (close >= end) {
    *status = SyntaxErrorNear(lx.At(lx.PrevSig(end, 0)));
    return true;
  }
  size_t i = lx.NextSig(open + 1, close);
  *status = ReadArguments(lx, &i, close, &out->arguments);
  if (!status->ok()) return true;
  size_t after = lx.NextSig(close + 1, end);
  if (after < end) *status = SyntaxErrorNear(lx.At(after));
  return true;
}

// ---------------------------------------------------------------------------
// Plain SQL: sysdate, and the functions a target names otherwise.

// The bare word sysdate becomes ocg_sysdate(); for PostgreSQL a call of
// TO_DATE becomes one of ocg_to_date. A qualified name (t.sysdate, x.to_date)
// is someone else's and stays.
std::string ReplaceWords(std::string_view text, SqlDialect target) {
  Lexed lx(text);
  if (!lx.status().ok()) return std::string(text);
  std::string out;
  size_t copied = 0;
  for (size_t i = 0; i < lx.size(); ++i) {
    const bool sysdate = lx.Word(i, "sysdate");
    const bool to_date = target == SqlDialect::kPostgres && lx.Word(i, "to_date");
    if (!sysdate && !to_date) continue;
    size_t prev = lx.PrevSig(i, 0);
    size_t next = lx.NextSig(i + 1, lx.size());
    if (prev != std::string_view::npos && lx.Punct(prev, '.')) continue;
    const bool called = next < lx.size() && lx.Punct(next, '(');
    if (sysdate == called) continue;  // sysdate( is a function of someone else's
    out.append(text.substr(copied, lx.tok(i).begin - copied));
    out.append(sysdate ? "ocg_sysdate()" : "ocg_to_date");
    copied = lx.tok(i).end;
  }
  out.append(text.substr(copied));
  return out;
}

// ---------------------------------------------------------------------------
// Plain SQL: Oracle outer joins.

struct Range {
  size_t begin;
  size_t end;
};

// Significant text of [b, e): leading and trailing blanks dropped, comments
// turned into blanks (a "--" comment would swallow what we append after it),
// and the tokens inside skip ranges left out.
std::string CleanText(const Lexed& lx, size_t b, size_t e,
                      const std::vector<std::pair<size_t, size_t>>& skip = {}) {
  std::string out;
  for (size_t i = b; i < e; ++i) {
    bool skipped = false;
    for (const auto& [open, close] : skip) {
      if (i >= open && i <= close) skipped = true;
    }
    if (skipped) continue;
    if (lx.tok(i).kind == TokenKind::kComment) {
      out += ' ';
    } else {
      out.append(lx.At(i));
    }
  }
  return std::string(TrimAny(out, " \t\r\n\f\v"));
}

// Splits [b, e) at the top-level separators that is_separator accepts.
template <typename Pred>
std::vector<Range> SplitTopLevel(const Lexed& lx, size_t b, size_t e, Pred is_separator) {
  std::vector<Range> parts;
  int depth = 0;
  size_t start = b;
  for (size_t i = b; i < e; ++i) {
    if (lx.Punct(i, '(')) ++depth;
    if (lx.Punct(i, ')')) --depth;
    if (depth == 0 && is_separator(i)) {
      parts.push_back({start, i});
      start = i + 1;
    }
  }
  parts.push_back({start, e});
  return parts;
}

bool HasTopLevelWord(const Lexed& lx, size_t b, size_t e,
                     std::initializer_list<std::string_view> words) {
  int depth = 0;
  for (size_t i = b; i < e; ++i) {
    if (lx.Punct(i, '(')) ++depth;
    if (lx.Punct(i, ')')) --depth;
    if (depth != 0) continue;
    for (std::string_view w : words) {
      if (lx.Word(i, w)) return true;
    }
  }
  return false;
}

struct FromItem {
  std::string text;  // as written, e.g. "PESSOA CLI"
  std::string key;   // the alias, or the table name when there is none
};

// "TABLE", "TABLE ALIAS", "TABLE AS ALIAS", "schema.TABLE ALIAS", "(subquery) ALIAS".
std::optional<FromItem> ReadFromItem(const Lexed& lx, Range r) {
  std::vector<size_t> sig;
  for (size_t i = r.begin; i < r.end; ++i) {
    if (lx.Significant(i)) sig.push_back(i);
  }
  if (sig.empty() || !lx.Name(sig.back())) return std::nullopt;
  return FromItem{CleanText(lx, r.begin, r.end), NameKey(lx, sig.back())};
}

// The table qualifier of the column marked by the marker that opens at open:
// X in "X.col(+)" and in "schema.X.col(+)".
std::optional<std::string> MarkedQualifier(const Lexed& lx, size_t b, size_t open) {
  size_t column = lx.PrevSig(open, b);
  if (column == std::string_view::npos || !lx.Name(column)) return std::nullopt;
  size_t dot = lx.PrevSig(column, b);
  if (dot == std::string_view::npos || !lx.Punct(dot, '.')) return std::nullopt;
  size_t table = lx.PrevSig(dot, b);
  if (table == std::string_view::npos || !lx.Name(table)) return std::nullopt;
  return NameKey(lx, table);
}

// Every qualifier "X." that [b, e) uses.
std::set<std::string> Qualifiers(const Lexed& lx, size_t b, size_t e) {
  std::set<std::string> found;
  for (size_t i = b; i < e; ++i) {
    if (!lx.Name(i)) continue;
    size_t next = lx.NextSig(i + 1, e);
    if (next < e && lx.Punct(next, '.')) found.insert(NameKey(lx, i));
  }
  return found;
}

// Rewrites one SELECT (one branch of a compound statement), tokens [b, e).
// Returns the branch's text, unchanged when it has no marker or is outside the
// shape this rewrite understands.
std::string RewriteBranch(const Lexed& lx, size_t b, size_t e, SqlDialect target) {
  const std::string original(lx.Span(b, e));
  size_t from = std::string_view::npos;
  size_t where = std::string_view::npos;
  size_t chain_end = e;
  int depth = 0;
  for (size_t i = b; i < e; ++i) {
    if (depth == 0) {
      if (from == std::string_view::npos) {
        if (lx.Word(i, "FROM")) from = i;
      } else if (where == std::string_view::npos) {
        if (lx.Word(i, "WHERE")) where = i;
      } else if (lx.Word(i, "GROUP") || lx.Word(i, "ORDER") || lx.Word(i, "HAVING") ||
                 lx.Word(i, "LIMIT") || lx.Word(i, "WINDOW") || lx.Punct(i, ';')) {
        chain_end = i;
        break;
      }
    }
    if (lx.Punct(i, '(')) ++depth;
    if (lx.Punct(i, ')')) --depth;
  }
  if (from == std::string_view::npos || where == std::string_view::npos) return original;
  if (lx.Markers(where + 1, chain_end).empty()) return original;

  // The FROM list: comma-joined items only.
  if (HasTopLevelWord(lx, from + 1, where, {"JOIN", "ON", "USING", "NATURAL"})) return original;
  std::vector<FromItem> items;
  for (Range r : SplitTopLevel(lx, from + 1, where, [&](size_t i) { return lx.Punct(i, ','); })) {
    auto item = ReadFromItem(lx, r);
    if (!item) return original;
    items.push_back(std::move(*item));
  }

  // The WHERE chain: conditions joined by AND. An OR at the top would change
  // meaning when split; the AND of a BETWEEN belongs to its condition.
  if (HasTopLevelWord(lx, where + 1, chain_end, {"OR"})) return original;
  bool in_between = false;
  std::vector<Range> conditions = SplitTopLevel(lx, where + 1, chain_end, [&](size_t i) {
    if (lx.Word(i, "BETWEEN")) in_between = true;
    if (!lx.Word(i, "AND")) return false;
    if (in_between) {
      in_between = false;
      return false;
    }
    return true;
  });

  std::vector<std::vector<std::string>> on(items.size());  // per item
  std::vector<std::set<std::string>> uses(items.size());   // qualifiers in its ON
  std::vector<std::string> remaining;
  for (Range c : conditions) {
    if (lx.NextSig(c.begin, c.end) == c.end) return original;  // an empty condition
    auto markers = lx.Markers(c.begin, c.end);
    if (markers.empty()) {
      remaining.push_back(CleanText(lx, c.begin, c.end));
      continue;
    }
    std::optional<std::string> marked;
    for (const auto& m : markers) {
      auto q = MarkedQualifier(lx, c.begin, m.first);
      if (!q || (marked && *marked != *q)) return original;
      marked = q;
    }
    size_t target = items.size();
    for (size_t k = 0; k < items.size(); ++k) {
      if (items[k].key == *marked) target = k;
    }
    if (target == items.size()) return original;
    on[target].push_back(CleanText(lx, c.begin, c.end, markers));
    std::set<std::string> q = Qualifiers(lx, c.begin, c.end);
    uses[target].insert(q.begin(), q.end());
  }

  std::vector<size_t> inner;
  std::vector<size_t> outer;
  for (size_t k = 0; k < items.size(); ++k) (on[k].empty() ? inner : outer).push_back(k);
  if (inner.empty()) return original;

  // A LEFT JOIN's ON may only name tables to its left: an outer table whose
  // condition names another outer table goes after it. FROM order otherwise.
  std::vector<size_t> ordered;
  std::vector<bool> placed(items.size(), false);
  for (size_t k : inner) placed[k] = true;
  while (ordered.size() < outer.size()) {
    size_t pick = items.size();
    for (size_t k : outer) {
      if (placed[k]) continue;
      bool ready = true;
      for (size_t d : outer) {
        if (d != k && !placed[d] && uses[k].count(items[d].key)) ready = false;
      }
      if (ready) {
        pick = k;
        break;
      }
    }
    if (pick == items.size()) {  // a cycle: Oracle refuses it too; keep FROM order
      for (size_t k : outer) {
        if (!placed[k]) {
          pick = k;
          break;
        }
      }
    }
    placed[pick] = true;
    ordered.push_back(pick);
  }

  // PostgreSQL binds a JOIN tighter than a comma, so that an ON could not
  // name the comma-joined tables before it: there the inner tables are
  // joined explicitly. SQLite reads CROSS JOIN as an order to its planner,
  // so there they stay comma-joined.
  const char* inner_join = target == SqlDialect::kPostgres ? " CROSS JOIN " : " , ";
  std::string out(lx.Span(b, from + 1));
  out += ' ';
  for (size_t j = 0; j < inner.size(); ++j) {
    if (j > 0) out += inner_join;
    out += items[inner[j]].text;
  }
  for (size_t k : ordered) {
    out += " LEFT JOIN " + items[k].text + " ON ";
    for (size_t j = 0; j < on[k].size(); ++j) {
      if (j > 0) out += " AND ";
      out += on[k][j];
    }
  }
  if (!remaining.empty()) {
    out += " WHERE ";
    for (size_t j = 0; j < remaining.size(); ++j) {
      if (j > 0) out += " AND ";
      out += remaining[j];
    }
  }
  // What follows the chain (ORDER BY, GROUP BY, blanks) keeps its text.
  size_t last = lx.PrevSig(chain_end, where + 1);
  out.append(lx.text().substr(lx.tok(last).end, lx.tok(e - 1).end - lx.tok(last).end));
  return out;
}

std::string RewriteOuterJoins(std::string_view text, SqlDialect target) {
  Lexed lx(text);
  if (!lx.status().ok() || !lx.HasMarkerAnywhere()) return std::string(text);

  // Subqueries first, each as a statement of its own.
  std::string nested;
  size_t copied = 0;
  for (size_t i = 0; i < lx.size(); ++i) {
    if (auto close = lx.MarkerAt(i, lx.size())) {
      i = *close;
      continue;
    }
    if (!lx.Punct(i, '(')) continue;
    size_t close = lx.MatchParen(i, lx.size());
    if (close == lx.size()) break;  // unbalanced: the engine will say so
    size_t inner_begin = lx.tok(i).end;
    size_t inner_end = lx.tok(close).begin;
    nested.append(text.substr(copied, inner_begin - copied));
    nested.append(RewriteOuterJoins(text.substr(inner_begin, inner_end - inner_begin), target));
    copied = inner_end;
    i = close;
  }
  nested.append(text.substr(copied));

  // Then each top-level branch of a compound SELECT.
  Lexed top(nested);
  std::string out;
  size_t branch = 0;
  int depth = 0;
  for (size_t i = 0; i < top.size(); ++i) {
    if (top.Punct(i, '(')) ++depth;
    if (top.Punct(i, ')')) --depth;
    if (depth == 0 && (top.Word(i, "UNION") || top.Word(i, "INTERSECT") || top.Word(i, "EXCEPT") ||
                       top.Word(i, "MINUS"))) {
      out += RewriteBranch(top, branch, i, target);
      out.append(top.At(i));
      branch = i + 1;
    }
  }
  out += RewriteBranch(top, branch, top.size(), target);
  return out;
}

}  // namespace

Status BridgeStatement(std::string_view sql, BridgedStatement* out, SqlDialect target) {
  *out = BridgedStatement();
  Lexed lx(sql);
  OCG_RETURN_IF_ERROR(lx.status());
  Status status;
  if (ParseCall(lx, out, &status)) {
    if (!status.ok()) *out = BridgedStatement();
    return status;
  }
  out->sql = ReplaceWords(RewriteOuterJoins(sql, target), target);
  return Status();
}

}  // namespace ocg
