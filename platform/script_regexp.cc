#include "platform/script_regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace quillmere::platform {

namespace {

// One search may try at most this many backtracking steps. A page whose layout changed makes
// the result pattern backtrack cubically; the limit turns minutes into milliseconds.
constexpr uint32_t kMatchLimit = 1'000'000;
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;

struct CodeDeleter {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Whether `pattern` starts with a class of a shorthand and its complement, such as [\s\S]:
// any character at all. Pages are read with such gaps, and PCRE2's JIT steps over "any
// character" much faster than it tests a class, so the class becomes a dot-all dot.
bool IsAnyCharacterClass(std::u16string_view pattern) {
  if (pattern.size() < 6 || pattern[0] != u'[' || pattern[1] != u'\\' || pattern[3] != u'\\' ||
      pattern[5] != u']') {
    return false;
  }
  const char16_t a = pattern[2];
  const char16_t b = pattern[4];
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
  const bool shorthand = lower(a) == u's' || lower(a) == u'd' || lower(a) == u'w';
  return shorthand && a != b && lower(a) == lower(b);
}

// Rewrites the script-engine pattern into PCRE2 syntax. Outside character classes, with
// multiline, ^ and $ become look-arounds for a line break, because PCRE2's own multiline mode
// knows only the newline convention (LF) while the script engine also breaks at CR. \v means
// the vertical tab only (PCRE2 reads it as the whole vertical-space class).
// [\s\S] and its kin become a dot-all dot (see IsAnyCharacterClass).
std::u16string TranslatePattern(std::u16string_view pattern, bool multiline) {
  static constexpr std::u16string_view kLineStart = u"(?<![^\\n\\r])";
  static constexpr std::u16string_view kLineEnd = u"(?![^\\n\\r])";
  std::u16string out;
  out.reserve(pattern.size() + 16);
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\\') {
      if (i + 1 >= pattern.size()) {
        out += c;  // a trailing backslash: PCRE2 reports the error
        continue;
      }
      const char16_t next = pattern[++i];
      if (next == u'v') {
        out += u"\\x0B";
      } else {
        out += c;
        out += next;
      }
      continue;
    }
    if (inClass) {
      // A POSIX class such as [:alpha:] holds a ] that does not end the bracket class.
      if (c == u'[' && i + 1 < pattern.size() &&
          (pattern[i + 1] == u':' || pattern[i + 1] == u'.' || pattern[i + 1] == u'=')) {
        const char16_t kind = pattern[i + 1];
        const std::u16string_view rest = pattern.substr(i + 2);
        const char16_t close[] = {kind, u']'};
        const size_t end = rest.find(std::u16string_view(close, 2));
        if (end != std::u16string_view::npos) {
          const size_t length = 2 + end + 2;
          out.append(pattern.substr(i, length));
          i += length - 1;
          continue;
        }
      }
      if (c == u']') inClass = false;
      out += c;
      continue;
    }
    if (c == u'[' && IsAnyCharacterClass(pattern.substr(i))) {
      out += u"(?s:.)";
      i += 5;
      continue;
    }
    if (c == u'[') {
      inClass = true;
      out += c;
      // A ] right after [ or [^ is a literal member, not the end of the class.
      if (i + 1 < pattern.size() && pattern[i + 1] == u'^') out += pattern[++i];
      if (i + 1 < pattern.size() && pattern[i + 1] == u']') out += pattern[++i];
      continue;
    }
    if (multiline && c == u'^') {
      out += kLineStart;
    } else if (multiline && c == u'$') {
      out += kLineEnd;
    } else {
      out += c;
    }
  }
  return out;
}

// The subject as PCRE2 may see it: valid UTF-16. A lone surrogate becomes U+FFFD in a copy of
// the same length, so every position still refers to the caller's subject. Returns an empty
// view of `storage` only when a copy was needed; otherwise the subject itself.
std::u16string_view ValidUtf16(std::u16string_view subject, std::u16string& storage) {
  // Surrogates are rare in page text: skip four units at a time while none of them is one
  // (a 16-bit lane of y is zero exactly where a unit is a surrogate).
  size_t i = 0;
  for (; i + 4 <= subject.size(); i += 4) {
    uint64_t units;
    std::memcpy(&units, subject.data() + i, sizeof units);
    const uint64_t y = (units & 0xF800F800F800F800u) ^ 0xD800D800D800D800u;
    if (((y - 0x0001000100010001u) & ~y & 0x8000800080008000u) != 0) break;
  }
  for (; i < subject.size(); ++i) {
    const char16_t c = subject[i];
    if (IsHighSurrogate(c) && i + 1 < subject.size() && IsLowSurrogate(subject[i + 1])) {
      ++i;
      continue;
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (storage.empty()) storage.assign(subject);
      storage[i] = u'\uFFFD';
    }
  }
  return storage.empty() ? subject : std::u16string_view(storage);
}

// The offset one character after `offset`, a surrogate pair counting as one character.
size_t NextCharacter(std::u16string_view subject, size_t offset) {
  if (offset + 1 < subject.size() && IsHighSurrogate(subject[offset]) &&
      IsLowSurrogate(subject[offset + 1])) {
    return offset + 2;
  }
  return offset + 1;
}

// One piece of a parsed replacement template: literal text, or a reference to be filled in.
struct TemplatePiece {
  enum class Kind { kLiteral, kMatch, kBefore, kAfter, kGroup } kind;
  std::u16string literal;
  uint32_t group = 0;
};

// Parses a replacement template with the script engine's rules: $$, $&, $`, $', $n and $nn
// (two digits when that group exists, else one). $0, a group beyond the count, a lone $ and
// $ before any other character stay literal.
std::vector<TemplatePiece> ParseTemplate(std::u16string_view replacement, uint32_t groupCount) {
  std::vector<TemplatePiece> pieces;
  std::u16string literal;
  auto flush = [&] {
    if (!literal.empty()) {
      pieces.push_back({TemplatePiece::Kind::kLiteral, std::move(literal), 0});
      literal.clear();
    }
  };
  auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  for (size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    if (c != u'$' || i + 1 >= replacement.size()) {
      literal += c;
      continue;
    }
    const char16_t next = replacement[i + 1];
    TemplatePiece::Kind kind = TemplatePiece::Kind::kLiteral;
    uint32_t group = 0;
    size_t consumed = 2;
    if (next == u'$') {
      literal += u'$';
      ++i;
      continue;
    } else if (next == u'&') {
      kind = TemplatePiece::Kind::kMatch;
    } else if (next == u'`') {
      kind = TemplatePiece::Kind::kBefore;
    } else if (next == u'\'') {
      kind = TemplatePiece::Kind::kAfter;
    } else if (isDigit(next)) {
      const uint32_t one = next - u'0';
      if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
        const uint32_t two = one * 10 + (replacement[i + 2] - u'0');
        if (two >= 1 && two <= groupCount) {
          group = two;
          consumed = 3;
        }
      }
      if (group == 0 && one >= 1 && one <= groupCount) group = one;
      if (group != 0) kind = TemplatePiece::Kind::kGroup;
    }
    if (kind == TemplatePiece::Kind::kLiteral) {
      literal += c;  // the $ stays; the next character is read on its own
      continue;
    }
    flush();
    pieces.push_back({kind, {}, group});
    i += consumed - 1;
  }
  flush();
  return pieces;
}

}  // namespace

struct ScriptRegExp::Compiled {
  std::unique_ptr<pcre2_code, CodeDeleter> code;
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> matchData;
  std::unique_ptr<pcre2_match_context, MatchContextDeleter> matchContext;
  std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack;
  uint32_t groupCount = 0;
};

namespace {

// Runs the match loop over `subject` (already valid UTF-16) and calls onMatch(ovector) for each
// match in order; only the first without global. Stops quietly when a search fails for any
// reason other than "no match", such as the match limit, keeping what was found before.
template <typename CompiledPattern, typename OnMatch>
void ForEachMatch(const CompiledPattern& compiled, std::u16string_view subject, bool global,
                  OnMatch&& onMatch) {
  const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
  size_t offset = 0;
  while (offset <= subject.size()) {
    const int rc =
        pcre2_match(compiled.code.get(), units, subject.size(), offset, PCRE2_NO_UTF_CHECK,
                    compiled.matchData.get(), compiled.matchContext.get());
    if (rc < 0) break;  // no match, match limit, JIT stack exhausted: keep what we have
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled.matchData.get());
    onMatch(ovector);
    if (!global) break;
    const size_t start = ovector[0];
    const size_t end = ovector[1];
    offset = end > start ? end : NextCharacter(subject, end);
  }
}

std::u16string_view Slice(std::u16string_view subject, PCRE2_SIZE start, PCRE2_SIZE end) {
  if (start == PCRE2_UNSET || end == PCRE2_UNSET || end < start) return {};
  return subject.substr(start, end - start);
}

}  // namespace

ScriptRegExp::ScriptRegExp() = default;
ScriptRegExp::~ScriptRegExp() = default;

void ScriptRegExp::SetIgnoreCase(bool value) {
  ignoreCase_ = value;
  Invalidate();
}
void ScriptRegExp::SetMultiline(bool value) {
  multiline_ = value;
  Invalidate();
}
void ScriptRegExp::SetGlobal(bool value) {
  global_ = value;
}  // matching loop only
void ScriptRegExp::SetPattern(std::u16string pattern) {
  pattern_ = std::move(pattern);
  Invalidate();
}

void ScriptRegExp::Invalidate() {
  compiled_.reset();
  compileAttempted_ = false;
}

const ScriptRegExp::Compiled* ScriptRegExp::Compile() {
  if (compileAttempted_) return compiled_.get();
  compileAttempted_ = true;

  const std::u16string translated = TranslatePattern(pattern_, multiline_);
  std::unique_ptr<pcre2_compile_context, CompileContextDeleter> compileContext(
      pcre2_compile_context_create(nullptr));
  if (!compileContext) return nullptr;
  pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);

  uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                     PCRE2_NEVER_BACKSLASH_C;
  if (ignoreCase_) options |= PCRE2_CASELESS;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  auto compiled = std::make_unique<Compiled>();
  compiled->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()),
                                     translated.size(), options, &errorCode, &errorOffset,
                                     compileContext.get()));
  if (!compiled->code) return nullptr;

  // The interpreter runs the pattern when JIT compilation is not available.
  const bool jit = pcre2_jit_compile(compiled->code.get(), PCRE2_JIT_COMPLETE) == 0;
  compiled->matchData.reset(pcre2_match_data_create_from_pattern(compiled->code.get(), nullptr));
  compiled->matchContext.reset(pcre2_match_context_create(nullptr));
  if (!compiled->matchData || !compiled->matchContext) return nullptr;
  pcre2_set_match_limit(compiled->matchContext.get(), kMatchLimit);
  if (jit) {
    compiled->jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    if (compiled->jitStack) {
      pcre2_jit_stack_assign(compiled->matchContext.get(), nullptr, compiled->jitStack.get());
    }
  }
  pcre2_pattern_info(compiled->code.get(), PCRE2_INFO_CAPTURECOUNT, &compiled->groupCount);
  compiled_ = std::move(compiled);
  return compiled_.get();
}

std::optional<ScriptMatchSpans> ScriptRegExp::ExecuteSpans(std::u16string_view subject) {
  const Compiled* compiled = Compile();
  if (!compiled) return std::nullopt;
  std::u16string repaired;
  const std::u16string_view searched = ValidUtf16(subject, repaired);

  const size_t pairs = compiled->groupCount + 1;
  std::vector<size_t> offsets;
  ForEachMatch(*compiled, searched, global_, [&](const PCRE2_SIZE* ovector) {
    for (size_t i = 0; i < pairs; ++i) {
      const PCRE2_SIZE start = ovector[2 * i];
      const PCRE2_SIZE end = ovector[2 * i + 1];
      const bool unset = start == PCRE2_UNSET || end == PCRE2_UNSET || end < start;
      offsets.push_back(unset ? 0 : start);
      offsets.push_back(unset ? 0 : end);
    }
  });
  return ScriptMatchSpans(compiled->groupCount, std::move(offsets));
}

std::optional<std::vector<ScriptMatch>> ScriptRegExp::Execute(std::u16string_view subject) {
  const auto spans = ExecuteSpans(subject);
  if (!spans) return std::nullopt;
  std::vector<ScriptMatch> matches(spans->MatchCount());
  for (size_t m = 0; m < matches.size(); ++m) {
    // Texts come from the caller's subject, so a lone surrogate reads back as it was.
    const auto text = [&](size_t g) {
      return subject.substr(spans->Start(m, g), spans->End(m, g) - spans->Start(m, g));
    };
    matches[m].value = text(0);
    matches[m].firstIndex = static_cast<int>(spans->Start(m, 0));
    for (size_t g = 1; g <= spans->GroupCount(); ++g) matches[m].submatches.emplace_back(text(g));
  }
  return matches;
}

std::optional<std::u16string> ScriptRegExp::Replace(std::u16string_view subject,
                                                    std::u16string_view replacement) {
  const Compiled* compiled = Compile();
  if (!compiled) return std::nullopt;
  std::u16string repaired;
  const std::u16string_view searched = ValidUtf16(subject, repaired);
  const std::vector<TemplatePiece> pieces = ParseTemplate(replacement, compiled->groupCount);

  std::u16string out;
  out.reserve(subject.size());
  size_t copied = 0;
  ForEachMatch(*compiled, searched, global_, [&](const PCRE2_SIZE* ovector) {
    const size_t start = ovector[0];
    const size_t end = ovector[1];
    out.append(subject.substr(copied, start - copied));
    for (const TemplatePiece& piece : pieces) {
      switch (piece.kind) {
        case TemplatePiece::Kind::kLiteral:
          out += piece.literal;
          break;
        case TemplatePiece::Kind::kMatch:
          out.append(subject.substr(start, end - start));
          break;
        case TemplatePiece::Kind::kBefore:
          out.append(subject.substr(0, start));
          break;
        case TemplatePiece::Kind::kAfter:
          out.append(subject.substr(end));
          break;
        case TemplatePiece::Kind::kGroup:
          out.append(Slice(subject, ovector[2 * piece.group], ovector[2 * piece.group + 1]));
          break;
      }
    }
    copied = end;
  });
  out.append(subject.substr(copied));
  return out;
}

}  // namespace quillmere::platform
