// The program's own small images, drawn at start-up.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace tavik::ui {

// Five 16 x 15 toolbar images: choose directory, add files, undo, preview,
// rename.
HIMAGELIST MakeToolbarImages();
// Two 16 x 15 list images: a green mark (success) and a red mark (failure).
HIMAGELIST MakeListImages();

}  // namespace tavik::ui
