#include "search/page_loader.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <utility>

#include "pattern/regex_object.h"
#include "platform/window/window_ops.h"
#include "search/page_number.h"
#include "search/result_page.h"

namespace quillmere {
namespace {

// Shows the busy cursor for its lifetime.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::BusyCursor)); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Sets the flag for its lifetime, whichever way the click ends.
class LoadingFlag {
 public:
  explicit LoadingFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~LoadingFlag() { flag_ = false; }
  LoadingFlag(const LoadingFlag&) = delete;
  LoadingFlag& operator=(const LoadingFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

PageLoader::PageLoader(const SearchControls& controls, Text siteRoot)
    : controls_(controls), siteRoot_(std::move(siteRoot)) {}

template <typename Click>
void PageLoader::RunClick(Click&& click) {
  if (loading_) return;
  LoadingFlag loading(loading_);
  BusyCursor busy;
  RegexObject regex;
  click(regex);
}

void PageLoader::SearchClicked() {
  RunClick([this](RegexObject& regex) {
    platform::DeleteAllRows(controls_.超级列表框);
    LoadResultPage(regex, controls_, siteRoot_);
  });
}

void PageLoader::PreviousPageClicked() {
  RunClick([this](RegexObject& regex) {
    // Equality with 1, not "1 or less": page 0 steps on to -1.
    if (ReadWholeNumber(platform::ReadText(controls_.page)) == 1) {
      platform::SetEnabled(controls_.上一页按钮, false);
      return;
    }
    const double page = ReadNumber(platform::ReadText(controls_.page));
    platform::WriteText(controls_.page, WriteNumber(page - 1));
    platform::DeleteAllRows(controls_.超级列表框);
    LoadResultPage(regex, controls_, siteRoot_);
  });
}

void PageLoader::NextPageClicked() {
  RunClick([this](RegexObject& regex) {
    const double page = ReadNumber(platform::ReadText(controls_.page));
    platform::WriteText(controls_.page, WriteNumber(page + 1));
    platform::SetEnabled(controls_.上一页按钮, true);
    platform::DeleteAllRows(controls_.超级列表框);
    LoadResultPage(regex, controls_, siteRoot_);
  });
}

}  // namespace quillmere
