// The Windows process entry.
#include "app/Program.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return OrvantaBrevoMain();
}
