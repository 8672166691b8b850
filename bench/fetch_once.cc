// One WebFetch of an address, as its own process, so that a parent can measure its wall time
// and peak memory the way it measures curl's. Like the program's own callers it passes the
// address alone (and asks for the status text). Prints the page text's length and the status
// text; exits with 1 when the fetch gave no page.
//
// Usage: fetch_once URL
#include <cstdio>

#include "net/web_fetch.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fetch_once URL\n");
    return 2;
  }
  quillmere::Text status;
  quillmere::WebFetchOptions options;
  options.statusMessage = &status;
  const quillmere::Text page = quillmere::WebFetch(argv[1], options);
  std::printf("bytes=%zu status=%s\n", page.size(), status.c_str());
  return page.empty() ? 1 : 0;
}
