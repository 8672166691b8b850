#pragma once

#include "search/search_controls.h"
#include "text/text.h"

namespace quillmere {

// The three clicks that load a result page: search, previous page and next page.
//
// A request lets pending window events run at fixed points, so another click could arrive
// while a page is loading and empty or refill the list halfway through the fill. A click that
// arrives while a load is running is therefore refused: it does nothing at all. While a page
// loads the mouse cursor shows that the program is busy.
class PageLoader {
 public:
  PageLoader(const SearchControls& controls, Text siteRoot);
  PageLoader(const PageLoader&) = delete;
  PageLoader& operator=(const PageLoader&) = delete;

  // Empties the list and loads the page the page box shows; changes neither the page box nor
  // the previous-page button.
  void SearchClicked();
  // At page exactly 1 (whole-number reading) only disables the previous-page button;
  // otherwise writes the page number minus 1 and loads that page.
  void PreviousPageClicked();
  // Writes the page number plus 1, enables the previous-page button and loads that page.
  void NextPageClicked();

  bool IsLoading() const { return loading_; }

 private:
  // Runs one click: refused while another load runs, otherwise marks the loader busy and
  // shows the busy cursor for the click's whole run.
  template <typename Click>
  void RunClick(Click&& click);

  SearchControls controls_;
  Text siteRoot_;
  bool loading_ = false;
};

}  // namespace quillmere
