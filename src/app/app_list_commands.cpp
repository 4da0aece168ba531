#include "app/app.h"

namespace tavik::app {

void App::WireListCommands() {}

}  // namespace tavik::app
