#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/apartment.h"
#include "text/text.h"

namespace quillmere {

namespace platform {
class ScriptRegExp;
class ScriptMatchSpans;
}  // namespace platform

// The program's pattern object: hand it a pattern and a subject in one Create call, then read
// matches and groups by 1-based indexes. Its life holds one apartment pair. Nothing throws: a
// failed step gives empty text or 0.
class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  // Copying is not allowed: no caller needs it, and a copy would have to take an apartment
  // pair of its own.
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Omitted arguments: case ignored, ^ and $ at line breaks, all matches, no "#引号" substitution.
  bool Create(const Text& pattern, const Text& subject,
              std::optional<bool> caseSensitive = std::nullopt,
              std::optional<bool> multiLine = std::nullopt,
              std::optional<bool> global = std::nullopt,
              std::optional<bool> quoteMarker = std::nullopt);

  Text PatternText() const;
  Text ReplaceMatches(const Text& replacement) const;
  int MatchCount() const;
  // position, when supplied, receives the match's 0-based byte offset in the subject, or -2.
  Text MatchText(int index, int* position = nullptr) const;
  Text SubmatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
  int SubmatchCount() const;

 private:
  // Whether a match with that 1-based index exists.
  bool HasMatch(int index) const;
  // Group `group` (0: the whole match) of match `index` as program text.
  Text GroupText(int index, int group) const;
  // The match's start in UTF-16 units from 0, as the script object reports it.
  int FirstIndex(int index) const;
  // The 0-based byte offset of `found` in the subject, searched from the match's FirstIndex;
  // -2 when the search finds nothing.
  int BytePosition(const Text& found, int firstIndex) const;

  platform::ApartmentScope apartment_;
  std::unique_ptr<platform::ScriptRegExp> regExp_;
  // The match collection, as spans into subject_: absent until a Create whose Execute
  // succeeded. Group texts are converted only when asked for.
  std::unique_ptr<platform::ScriptMatchSpans> matches_;
  std::u16string subject_;
  // The subject as program text, made on the first position request only: the result page
  // reads hundreds of thousands of groups and never asks for a position.
  mutable std::optional<Text> subjectText_;
};

}  // namespace quillmere
