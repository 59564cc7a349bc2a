#pragma once

// The INI engine behind the emulated GetPrivateProfileStringA / WritePrivateProfileStringA.
// The emulation maps Windows paths to host paths and checks file attributes before calling in.
// Text stays in bytes throughout: nothing is decoded. `codePage` (the system's ANSI code page, 932
// or 1252) says which bytes start a double-byte character and which letters have a case.

#include <cstdint>
#include <filesystem>

namespace profile {

// GetPrivateProfileStringA over a host file. A null section lists the section names and a null key
// lists the key names of the section, each name zero-terminated and the list ended by one more
// zero.
uint32_t GetString(const std::filesystem::path& file, const char* section, const char* key,
                   const char* def, char* buf, uint32_t size, unsigned codePage = 932);

// WritePrivateProfileStringA over a host file. A null value deletes the key, a null key deletes the
// section. The file is replaced atomically; false means it was left exactly as it was.
bool WriteString(const std::filesystem::path& file, const char* section, const char* key,
                 const char* value, unsigned codePage = 932);

// Removes the temporaries (`NAME.~XXXXXXXX.tmp`) that writers of `file` killed midway left beside
// it. A writer at work holds the folder's lock and its temporary is its own: then nothing is
// removed, and nothing waits. False when the folder was busy so.
bool ClearDeadWritersTemporaries(const std::filesystem::path& file);

namespace testing {

// Where a simulated failure strikes while the new text is being put in place.
enum class WriteStage {
  kCreateTemp,  // the temporary file cannot be created
  kWriteTemp,   // the write stops after half of the new text reached the temporary file
  kSyncTemp,    // flushing the temporary file to the disk fails
  kReplace,     // renaming the temporary file over the old one fails
};

// Makes the next write that reaches the disk fail at `stage`; one shot.
void FailNextWrite(WriteStage stage);

}  // namespace testing
}  // namespace profile
