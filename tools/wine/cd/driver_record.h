// The CD-audio driver's own record of what it was asked and what its drive did, for the Wine
// checks: C:\WINDOWS\orvanta-cdaudio-record.txt, one line an event, appended and flushed as it
// happens, so a check reads it while the program runs:
//
//   MS<TAB>command<TAB>NAME flags=0xFLAGS result=ERROR
//   MS<TAB>head<TAB>D: mode=MODE track=T at=MM:SS:FF (after every command and the end of a play)
//   MS<TAB>door<TAB>D: open|closed
//   MS<TAB>disc<TAB>D: SHEET tracks=N | D: none | D: refused REASON
//   MS<TAB>notify<TAB>device=ID outcome=N
//
// MS is GetTickCount64 at the event. The first line a process writes is `MS<TAB>load<TAB>PID`.
#pragma once

#include <cstdint>
#include <string>

namespace cdimage {

std::string RecordPath();
// Appends one event line; failures to write are ignored (the record serves the checks only).
void Record(const char* event, const std::string& details);

}  // namespace cdimage
