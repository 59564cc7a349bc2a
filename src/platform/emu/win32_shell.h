// shell32 and the user32 menu/cursor declarations, for builds that are not Windows. Included by
// win32_api.h.
#pragma once
