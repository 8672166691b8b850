#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmere::platform {

// One match as the script regular-expression object reports it.
struct ScriptMatch {
  std::u16string value;
  int firstIndex = 0;  // UTF-16 units from the start of the subject, from 0
  // One entry per capture group; a group that took no part holds empty text.
  std::vector<std::u16string> submatches;
};

// Where the matches lie in the subject, without copying any text: for match m and group g
// (0 for the whole match), Start/End give UTF-16 offsets into the subject. A group that took
// no part has an empty span. Reading a page this way costs one allocation for all matches.
class ScriptMatchSpans {
 public:
  ScriptMatchSpans(size_t groupCount, std::vector<size_t> offsets)
      : groupCount_(groupCount), offsets_(std::move(offsets)) {}
  size_t MatchCount() const { return offsets_.size() / (2 * (groupCount_ + 1)); }
  size_t GroupCount() const { return groupCount_; }
  size_t Start(size_t match, size_t group) const { return offsets_[Index(match, group)]; }
  size_t End(size_t match, size_t group) const { return offsets_[Index(match, group) + 1]; }

 private:
  size_t Index(size_t match, size_t group) const { return 2 * (match * (groupCount_ + 1) + group); }
  size_t groupCount_;
  std::vector<size_t> offsets_;  // start, end for each group of each match, group 0 first
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

  // The same matches as Execute, as spans into `subject`.
  std::optional<ScriptMatchSpans> ExecuteSpans(std::u16string_view subject);

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
