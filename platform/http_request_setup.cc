#include "platform/http_request_setup.h"

#include <algorithm>

namespace quillmere::platform {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view NameOf(std::string_view line) {
  return TrimBlanks(line.substr(0, line.find(':')));
}

std::string_view ValueOf(std::string_view line) {
  return TrimBlanks(line.substr(line.find(':') + 1));
}

}  // namespace

std::optional<std::string> ChooseProxy(std::string_view proxyList, bool secure) {
  size_t pos = 0;
  while (pos < proxyList.size()) {
    const size_t end = std::min(proxyList.find_first_of("; \t", pos), proxyList.size());
    std::string_view entry = proxyList.substr(pos, end - pos);
    pos = end + 1;
    if (entry.empty()) continue;

    if (const size_t equals = entry.find('='); equals != std::string_view::npos) {
      const std::string_view scheme = entry.substr(0, equals);
      if (!EqualsIgnoreCase(scheme, secure ? "https" : "http")) continue;
      entry.remove_prefix(equals + 1);
    }
    if (entry.empty()) continue;

    // A port follows the last colon, unless that colon is inside a bracketed IPv6 address.
    const size_t colon = entry.rfind(':');
    const size_t bracket = entry.rfind(']');
    const bool hasPort =
        colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket);
    std::string address = "http://";
    address += entry;
    if (!hasPort) address += ":80";
    return address;
  }
  return std::nullopt;
}

bool HeaderLines::Add(std::string_view text) {
  std::vector<std::string> merged = lines_;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (TrimBlanks(line).empty()) continue;
    if (line.find(':') == std::string_view::npos || NameOf(line).empty()) return false;

    const std::string_view name = NameOf(line);
    auto same = std::find_if(merged.begin(), merged.end(), [&](const std::string& existing) {
      return EqualsIgnoreCase(NameOf(existing), name);
    });
    if (same != merged.end()) {
      *same = std::string(line);
    } else {
      merged.emplace_back(line);
    }
  }
  lines_ = std::move(merged);
  return true;
}

bool HeaderLines::Has(std::string_view name) const {
  return std::any_of(lines_.begin(), lines_.end(),
                     [&](const std::string& line) { return EqualsIgnoreCase(NameOf(line), name); });
}

std::vector<std::string> HeaderLines::ForCurl(bool hasBody) const {
  std::vector<std::string> out;
  for (const std::string& line : lines_) {
    // libcurl reads "Name:" with nothing after it as "remove this header"; "Name;" sends it
    // with an empty value.
    if (ValueOf(line).empty()) {
      out.push_back(std::string(NameOf(line)) + ";");
    } else {
      out.push_back(line);
    }
  }
  if (!Has("Accept")) out.emplace_back("Accept:");
  if (!Has("Expect")) out.emplace_back("Expect:");
  if (hasBody && !Has("Content-Type")) out.emplace_back("Content-Type:");
  return out;
}

}  // namespace quillmere::platform
