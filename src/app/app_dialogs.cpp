#include "app/app.h"

namespace tavik::app {

void App::WireDialogCommands() {}

void App::OpenTagDialog() {}

}  // namespace tavik::app
