/* A CD-audio MCI driver for the benchmark's Wine prefix: a drive with no disc that answers every
   command. Wine's own cdaudio driver fails to open on a folder-backed CD-ROM drive, and a player
   whose device does not open monitors nothing, which would leave nothing to compare with the
   poller. Registered as the prefix's cdaudio driver by bench.sh. */
#include <windows.h>

/* After windows.h, which they need. */
#include <mmddk.h>
#include <mmsystem.h>

/* In winmm, not declared by the headers. */
BOOL WINAPI mciDriverNotify(HANDLE callback, MCIDEVICEID device, UINT status);

static LRESULT Status(DWORD flags, MCI_STATUS_PARMS* status) {
  if (!status || !(flags & MCI_STATUS_ITEM)) return 0;
  switch (status->dwItem) {
    case MCI_STATUS_MODE:
      status->dwReturn = MAKEMCIRESOURCE(MCI_MODE_NOT_READY, MCI_MODE_NOT_READY);
      return MCI_RESOURCE_RETURNED;
    case MCI_STATUS_TIME_FORMAT:
      status->dwReturn = MAKEMCIRESOURCE(MCI_FORMAT_TMSF, MCI_FORMAT_TMSF_S);
      return MCI_RESOURCE_RETURNED;
    case MCI_STATUS_MEDIA_PRESENT:
    case MCI_STATUS_READY:
      status->dwReturn = MAKEMCIRESOURCE(FALSE, MCI_FALSE);
      return MCI_RESOURCE_RETURNED;
    default:
      status->dwReturn = 0;
      return 0;
  }
}

LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM flags, LPARAM parms) {
  switch (message) {
    case DRV_LOAD:
    case DRV_ENABLE:
    case DRV_FREE:
    case DRV_DISABLE:
    case DRV_CLOSE:
      return 1;
    case DRV_OPEN: {
      MCI_OPEN_DRIVER_PARMS* open = (MCI_OPEN_DRIVER_PARMS*)parms;
      if (!open) return 1;
      open->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
      open->wType = MCI_DEVTYPE_CD_AUDIO;
      return open->wDeviceID;
    }
    case MCI_OPEN_DRIVER:
    case MCI_CLOSE_DRIVER:
      return 0;
    case MCI_GETDEVCAPS: {
      MCI_GETDEVCAPS_PARMS* caps = (MCI_GETDEVCAPS_PARMS*)parms;
      if (caps) caps->dwReturn = MAKEMCIRESOURCE(FALSE, MCI_FALSE);
      return MCI_RESOURCE_RETURNED;
    }
    case MCI_STATUS:
      return Status((DWORD)flags, (MCI_STATUS_PARMS*)parms);
    default:
      if (message >= DRV_MCI_FIRST && message <= DRV_MCI_LAST && (flags & MCI_NOTIFY) && parms) {
        mciDriverNotify((HANDLE)((MCI_GENERIC_PARMS*)parms)->dwCallback, (UINT)id,
                        MCI_NOTIFY_SUCCESSFUL);
      }
      if (message >= DRV_MCI_FIRST && message <= DRV_MCI_LAST) return 0;
      return DefDriverProc(id, driver, message, flags, parms);
  }
}
