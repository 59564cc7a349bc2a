// winmm declarations (MCI), for builds that are not Windows. Included by win32_api.h.
#pragma once
