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
  Text text;
  text.resize(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    if (units[i] >= 0x80) return platform::Utf16ToCp936(units);
    text[i] = static_cast<char>(units[i]);
  }
  return text;
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
  auto matches = regExp_->Execute(subject_);
  if (!matches) return false;
  matches_ = std::make_unique<std::vector<platform::ScriptMatch>>(std::move(*matches));
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
  return matches_ ? static_cast<int>(matches_->size()) : 0;
}

const platform::ScriptMatch* RegexObject::Match(int index) const {
  if (!matches_ || index < 1 || static_cast<size_t>(index) > matches_->size()) return nullptr;
  return &(*matches_)[index - 1];
}

Text RegexObject::MatchText(int index, int* position) const {
  const platform::ScriptMatch* match = Match(index);
  Text text = match ? ToProgramText(match->value) : Text();
  if (position) *position = BytePosition(text, match ? match->firstIndex : 0);
  return text;
}

Text RegexObject::SubmatchText(int matchIndex, int groupIndex, int* position) const {
  const platform::ScriptMatch* match = Match(matchIndex);
  Text text;
  if (match && groupIndex >= 1 && static_cast<size_t>(groupIndex) <= match->submatches.size()) {
    text = ToProgramText(match->submatches[groupIndex - 1]);
  }
  // A group has no start of its own: its text is searched from the whole match's start.
  if (position) *position = BytePosition(text, match ? match->firstIndex : 0);
  return text;
}

int RegexObject::SubmatchCount() const {
  const platform::ScriptMatch* match = Match(1);
  return match ? static_cast<int>(match->submatches.size()) : 0;
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
