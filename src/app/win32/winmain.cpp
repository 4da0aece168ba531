// The program's entry: the real Win32 shell around the portable App.
#include <windows.h>

#include "app/app.h"
#include "platform/platform.h"
#include "ui/win32/win32_shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  tavik::ui::Win32Shell shell;
  int code = 0;
  {
    tavik::app::App app(shell, tavik::SystemFileSystem(), tavik::SystemProfile(),
                        tavik::ExecutableDirectory());
    app.Start();
    code = shell.RunMessageLoop();
  }
  return code;
}
