#include "app/app.h"

namespace tavik::app {

void App::WireDialogCommands() {}

}  // namespace tavik::app
