#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere::platform {

// One match as the script regular-expression object reports it.
struct ScriptMatch {
  std::u16string value;
  int firstIndex = 0;  // UTF-16 units from the start of the subject, from 0
  // One entry per capture group; a group that took no part holds empty text.
  std::vector<std::u16string> submatches;
};

// Stand-in for the script regular-expression object, over PCRE2's 16-bit library with JIT.
// Properties are plain fields; the pattern is compiled lazily by Execute and Replace and
// cached until a property changes.
class ScriptRegExp {
 public:
  ScriptRegExp();
  ~ScriptRegExp();
  ScriptRegExp(const ScriptRegExp&) = delete;
  ScriptRegExp& operator=(const ScriptRegExp&) = delete;

  void SetIgnoreCase(bool value);
  void SetMultiline(bool value);
  void SetGlobal(bool value);
  void SetPattern(std::u16string pattern);
  bool IgnoreCase() const { return ignoreCase_; }
  bool Multiline() const { return multiline_; }
  bool Global() const { return global_; }
  const std::u16string& Pattern() const { return pattern_; }

  // All matches (or the first only, without Global) in order of position, without overlap.
  // nullopt when the pattern does not compile. Matching stops quietly, keeping the matches
  // found so far, when one search exceeds the backtracking limit.
  std::optional<std::vector<ScriptMatch>> Execute(std::u16string_view subject);

  // The subject with its matches replaced by the expanded template ($$, $&, $`, $', $n, $nn).
  // nullopt when the pattern does not compile.
  std::optional<std::u16string> Replace(std::u16string_view subject,
                                        std::u16string_view replacement);

 private:
  struct Compiled;
  // The compiled pattern for the current properties, or null when the pattern is invalid.
  const Compiled* Compile();
  void Invalidate();

  bool ignoreCase_ = false;
  bool multiline_ = false;
  bool global_ = false;
  std::u16string pattern_;
  std::unique_ptr<Compiled> compiled_;
  bool compileAttempted_ = false;
};

}  // namespace quillmere::platform
