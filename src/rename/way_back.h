// The way back from a batch that was cut off: at start-up, after the main
// window is shown, a journal left behind is offered to be taken back.
#pragma once
#include <string>

#include "platform/append_file.h"
#include "platform/platform.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::rename {

void OfferWayBack(ui::Form& main, ui::Shell& shell, FileSystem& fs, AppendFiles& files,
                  const std::string& exeDir);

}  // namespace tavik::rename
