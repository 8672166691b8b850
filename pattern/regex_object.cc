#include "pattern/regex_object.h"

#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage936.h"
#include "platform/script_regexp.h"

namespace quillmere {

namespace {

// "#引号" in code page 936: a pattern may write it where a double quote is awkward to type.
constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// Most group texts of a result page (addresses) are plain ASCII, which code page 936 keeps
// as it is; only texts with other characters go through the converter.
Text ToProgramText(std::u16string_view units) {
  char16_t all = 0;
  for (const char16_t unit : units) all |= unit;
  if (all >= 0x80) return platform::Utf16ToCp936(units);
  return Text(units.begin(), units.end());
}

}  // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;

bool RegexObject::Create(const Text& pattern, const Text& subject,
                         std::optional<bool> caseSensitive, std::optional<bool> multiLine,
                         std::optional<bool> global, std::optional<bool> quoteMarker) {
  const bool ignoreCase = caseSensitive.has_value() ? !*caseSensitive : true;
  const bool multiline = multiLine.value_or(true);
  const bool findAll = global.value_or(true);

  // Everything of the previous Create goes before this one starts.
  regExp_.reset();
  matches_.reset();
  subjectText_.reset();

  regExp_ = std::make_unique<platform::ScriptRegExp>();
  regExp_->SetIgnoreCase(ignoreCase);
  regExp_->SetMultiline(multiline);
  // The script object has no "Singleline" property: writing it true is refused and ignored,
  // so "." still stops at a line feed.
  regExp_->SetGlobal(findAll);
  const Text patternText =
      quoteMarker.value_or(false) ? ReplaceAll(pattern, kQuoteMarker, "\"") : pattern;
  regExp_->SetPattern(platform::Cp936ToUtf16(patternText));

  subject_ = platform::Cp936ToUtf16(subject);
  auto matches = regExp_->ExecuteSpans(subject_);
  if (!matches) return false;
  matches_ = std::make_unique<platform::ScriptMatchSpans>(std::move(*matches));
  return true;
}

Text RegexObject::PatternText() const {
  if (!regExp_) return {};
  return platform::Utf16ToCp936(regExp_->Pattern());
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  if (!regExp_) return {};
  const auto result = regExp_->Replace(subject_, platform::Cp936ToUtf16(replacement));
  if (!result) return {};
  return platform::Utf16ToCp936(*result);
}

int RegexObject::MatchCount() const {
  return matches_ ? static_cast<int>(matches_->MatchCount()) : 0;
}

bool RegexObject::HasMatch(int index) const {
  return matches_ && index >= 1 && static_cast<size_t>(index) <= matches_->MatchCount();
}

Text RegexObject::GroupText(int index, int group) const {
  const size_t start = matches_->Start(index - 1, group);
  return ToProgramText(
      std::u16string_view(subject_).substr(start, matches_->End(index - 1, group) - start));
}

Text RegexObject::MatchText(int index, int* position) const {
  const bool found = HasMatch(index);
  Text text = found ? GroupText(index, 0) : Text();
  if (position) *position = BytePosition(text, found ? FirstIndex(index) : 0);
  return text;
}

Text RegexObject::SubmatchText(int matchIndex, int groupIndex, int* position) const {
  const bool found = HasMatch(matchIndex);
  Text text;
  if (found && groupIndex >= 1 && static_cast<size_t>(groupIndex) <= matches_->GroupCount()) {
    text = GroupText(matchIndex, groupIndex);
    // Callers read the groups match after match, and a page is far larger than the cache:
    // fetching the same group of the next match now hides most of the wait for it.
    if (static_cast<size_t>(matchIndex) < matches_->MatchCount()) {
      __builtin_prefetch(subject_.data() + matches_->Start(matchIndex, groupIndex));
    }
  }
  // A group has no start of its own: its text is searched from the whole match's start.
  if (position) *position = BytePosition(text, found ? FirstIndex(matchIndex) : 0);
  return text;
}

int RegexObject::SubmatchCount() const {
  return HasMatch(1) ? static_cast<int>(matches_->GroupCount()) : 0;
}

int RegexObject::FirstIndex(int index) const {
  return static_cast<int>(matches_->Start(index - 1, 0));
}

int RegexObject::BytePosition(const Text& found, int firstIndex) const {
  if (!subjectText_) subjectText_ = platform::Utf16ToCp936(subject_);
  const Text& subject = *subjectText_;
  // A character takes at least one byte, so the match lies at or after 0-based byte
  // FirstIndex; the search starts one byte earlier, at 1-based byte FirstIndex. That byte may
  // be the second byte of a Chinese character, and a character-stepping search started there
  // would stay out of step and miss the match, so the start moves back to the beginning of
  // the character that holds it.
  const size_t from = firstIndex < 1 ? 0 : static_cast<size_t>(firstIndex) - 1;
  size_t start = 0;
  while (start < subject.size()) {
    const bool doubleByte =
        static_cast<unsigned char>(subject[start]) >= 0x80 && start + 1 < subject.size();
    const size_t width = doubleByte ? 2 : 1;
    if (start + width > from) break;
    start += width;
  }
  // The search ignores letter case when the pattern object does: it follows the object's
  // own IgnoreCase setting, as the match did.
  const bool ignoreCase = regExp_ && regExp_->IgnoreCase();
  const int found1Based = Find(subject, found, static_cast<int>(start) + 1, ignoreCase);
  return found1Based < 0 ? -2 : found1Based - 1;
}

}  // namespace quillmere
