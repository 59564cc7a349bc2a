#include "driver_record.h"

#include <windows.h>

#include <cstdio>

#include "image_slot.h"

namespace cdimage {

std::string RecordPath() {
  return InWindowsFolder("orvanta-cdaudio-record.txt");
}

void Record(const char* event, const std::string& details) {
  // Opened for each line: the checks may truncate the record between steps.
  FILE* out = fopen(RecordPath().c_str(), "ab");
  if (!out) return;
  fprintf(out, "%llu\t%s\t%s\n", static_cast<unsigned long long>(GetTickCount64()), event,
          details.c_str());
  fclose(out);
}

}  // namespace cdimage
