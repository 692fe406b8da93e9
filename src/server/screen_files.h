// server/screen_files.h: the order screen's files (screen/*.html, .css, .js),
// compiled into the binary at build time.
#ifndef OCG_SERVER_SCREEN_FILES_H_
#define OCG_SERVER_SCREEN_FILES_H_

#include <string_view>
#include <utility>
#include <vector>

namespace ocg {

// (file name, content): index.html, screen.css, screen.js.
const std::vector<std::pair<std::string_view, std::string_view>>& ScreenFiles();

}  // namespace ocg

#endif  // OCG_SERVER_SCREEN_FILES_H_
