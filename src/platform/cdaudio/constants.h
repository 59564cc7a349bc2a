// MCI numbers the CD-audio core speaks. They carry the values of mmsystem.h / mmddk.h under names
// of our own, because the Windows headers define the MCI names as macros and the core must compile
// next to them in the Windows driver DLL.
#pragma once

#include <cstdint>

namespace cdaudio {

// Commands (MCI_OPEN ... MCI_DELETE).
inline constexpr uint32_t kCmdOpen = 0x0803;
inline constexpr uint32_t kCmdClose = 0x0804;
inline constexpr uint32_t kCmdEscape = 0x0805;
inline constexpr uint32_t kCmdPlay = 0x0806;
inline constexpr uint32_t kCmdSeek = 0x0807;
inline constexpr uint32_t kCmdStop = 0x0808;
inline constexpr uint32_t kCmdPause = 0x0809;
inline constexpr uint32_t kCmdInfo = 0x080A;
inline constexpr uint32_t kCmdGetDevCaps = 0x080B;
inline constexpr uint32_t kCmdSpin = 0x080C;
inline constexpr uint32_t kCmdSet = 0x080D;
inline constexpr uint32_t kCmdStep = 0x080E;
inline constexpr uint32_t kCmdRecord = 0x080F;
inline constexpr uint32_t kCmdSysInfo = 0x0810;
inline constexpr uint32_t kCmdBreak = 0x0811;
inline constexpr uint32_t kCmdSave = 0x0813;
inline constexpr uint32_t kCmdStatus = 0x0814;
inline constexpr uint32_t kCmdCue = 0x0830;
inline constexpr uint32_t kCmdWindow = 0x0841;
inline constexpr uint32_t kCmdPut = 0x0842;
inline constexpr uint32_t kCmdWhere = 0x0843;
inline constexpr uint32_t kCmdLoad = 0x0850;
inline constexpr uint32_t kCmdResume = 0x0855;

// Error numbers (MCIERR_*); 0 is success.
inline constexpr uint32_t kErrNone = 0;
inline constexpr uint32_t kErrInvalidDeviceId = 257;
inline constexpr uint32_t kErrUnrecognizedKeyword = 259;
inline constexpr uint32_t kErrUnrecognizedCommand = 261;
inline constexpr uint32_t kErrHardware = 262;
inline constexpr uint32_t kErrInvalidDeviceName = 263;
inline constexpr uint32_t kErrOutOfMemory = 264;
inline constexpr uint32_t kErrDeviceOpen = 265;
inline constexpr uint32_t kErrCannotLoadDriver = 266;
inline constexpr uint32_t kErrMissingCommandString = 267;
inline constexpr uint32_t kErrParamOverflow = 268;
inline constexpr uint32_t kErrDriverInternal = 272;
inline constexpr uint32_t kErrMissingParameter = 273;
inline constexpr uint32_t kErrUnsupportedFunction = 274;
inline constexpr uint32_t kErrDeviceNotReady = 276;
inline constexpr uint32_t kErrInternal = 277;
inline constexpr uint32_t kErrOutOfRange = 282;
inline constexpr uint32_t kErrFlagsNotCompatible = 284;
inline constexpr uint32_t kErrDuplicateAlias = 289;
inline constexpr uint32_t kErrBadConstant = 290;
inline constexpr uint32_t kErrMustUseShareable = 291;
inline constexpr uint32_t kErrMissingDeviceName = 292;
inline constexpr uint32_t kErrBadTimeFormat = 293;
inline constexpr uint32_t kErrDuplicateFlags = 295;
inline constexpr uint32_t kErrInvalidFile = 296;
inline constexpr uint32_t kErrNullParameterBlock = 297;
inline constexpr uint32_t kErrNoElementAllowed = 301;
inline constexpr uint32_t kErrDeviceNotInstalled = 306;
inline constexpr uint32_t kErrNoIdentity = 350;

// MCI_STATUS items.
inline constexpr uint32_t kStatusLength = 1;
inline constexpr uint32_t kStatusPosition = 2;
inline constexpr uint32_t kStatusNumberOfTracks = 3;
inline constexpr uint32_t kStatusMode = 4;
inline constexpr uint32_t kStatusMediaPresent = 5;
inline constexpr uint32_t kStatusTimeFormat = 6;
inline constexpr uint32_t kStatusReady = 7;
inline constexpr uint32_t kStatusCurrentTrack = 8;
inline constexpr uint32_t kStatusTypeTrack = 0x4001;  // MCI_CDA_STATUS_TYPE_TRACK

// Answers of kStatusTypeTrack (MCI_CDA_TRACK_AUDIO / _OTHER).
inline constexpr uint32_t kTrackAudio = 1088;
inline constexpr uint32_t kTrackOther = 1089;

// Modes (MCI_MODE_*).
inline constexpr uint32_t kModeNotReady = 524;
inline constexpr uint32_t kModeStop = 525;
inline constexpr uint32_t kModePlay = 526;
inline constexpr uint32_t kModeRecord = 527;
inline constexpr uint32_t kModeSeek = 528;
inline constexpr uint32_t kModePause = 529;
inline constexpr uint32_t kModeOpen = 530;

// Time formats (MCI_FORMAT_*); a CD-audio device accepts these three.
inline constexpr uint32_t kFormatMilliseconds = 0;
inline constexpr uint32_t kFormatMsf = 2;
inline constexpr uint32_t kFormatTmsf = 10;

// Outcomes of MM_MCINOTIFY (MCI_NOTIFY_*).
inline constexpr uint32_t kNotifySuccessful = 1;
inline constexpr uint32_t kNotifySuperseded = 2;
inline constexpr uint32_t kNotifyAborted = 4;
inline constexpr uint32_t kNotifyFailure = 8;

// MCI_GETDEVCAPS items.
inline constexpr uint32_t kCapsCanRecord = 1;
inline constexpr uint32_t kCapsHasAudio = 2;
inline constexpr uint32_t kCapsHasVideo = 3;
inline constexpr uint32_t kCapsDeviceType = 4;
inline constexpr uint32_t kCapsUsesFiles = 5;
inline constexpr uint32_t kCapsCompoundDevice = 6;
inline constexpr uint32_t kCapsCanEject = 7;
inline constexpr uint32_t kCapsCanPlay = 8;
inline constexpr uint32_t kCapsCanSave = 9;

inline constexpr uint32_t kDevTypeCdAudio = 516;  // MCI_DEVTYPE_CD_AUDIO

// MCI_INFO items (they are flag bits of the command).
inline constexpr uint32_t kInfoProduct = 0x0100;
inline constexpr uint32_t kInfoFile = 0x0200;
inline constexpr uint32_t kInfoMediaUpc = 0x0400;
inline constexpr uint32_t kInfoMediaIdentity = 0x0800;

// String resources of winmm that resource-style answers name (mmddk.h).
inline constexpr uint32_t kResourceFalse = 531;             // MCI_FALSE
inline constexpr uint32_t kResourceTrue = 532;              // MCI_TRUE
inline constexpr uint32_t kResourceFormatReturnBase = 533;  // MCI_FORMAT_RETURN_BASE

}  // namespace cdaudio
