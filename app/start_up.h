#pragma once

namespace quillmere {

class MainWindow;

// Shows the window and, once the message loop runs and the window has painted, fits it to
// its frame and runs its creation event. The creation event fetches the version page and
// blocks while it waits, so it must not run before the first paint.
void ShowThenCreate(MainWindow& window);

}  // namespace quillmere
