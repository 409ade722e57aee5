// The firmware update: the request, the synth's erase/ready/result replies
// and the data message with the whole image packed into seven-bit digits.
#include "synth/ZephraModel.h"

#include "core/BASE_FileRead.h"
#include "core/BASE_Mutex.h"
#include "synth/ZephraLinkMessages.h"

namespace
{
enum class FirmwareFile
{
  kCannotOpen,
  kInvalid,
  kGood
};

// An image the synth could take: 1 to 80000 bytes, read whole.
FirmwareFile ReadFirmwareFile(const char* path, std::vector<uint8_t>& image)
{
  if (!path) return FirmwareFile::kCannotOpen;
  BASE_FileRead file(path);
  if (!file.IsOpen()) return FirmwareFile::kCannotOpen;
  const int64_t size = file.GetSize();
  // An empty file holds no firmware either, and would go out as a valid
  // looking message of one zero digit.
  if (size <= 0 || size > kFirmwareMaxBytes) return FirmwareFile::kInvalid;
  image.resize(static_cast<size_t>(size));
  int done = 0;
  while (done < size)
  {
    const int n = file.Read(image.data() + done, static_cast<int>(size) - done);
    if (n <= 0) break;
    done += n;
  }
  return done == size ? FirmwareFile::kGood : FirmwareFile::kCannotOpen;
}
}  // namespace

bool ZephraModel::LoadFirmwareImage(const char* path, std::vector<uint8_t>& image)
{
  switch (ReadFirmwareFile(path, image))
  {
    case FirmwareFile::kCannotOpen:
      return false;
    case FirmwareFile::kInvalid:
      mTransfer.EndFirmware();
      ReportToUser("This is not a valid firmware file!", "Error", "Not a valid firmware file!");
      return false;
    case FirmwareFile::kGood:
      break;
  }
  return true;
}

void ZephraModel::StartFirmwareUpdate(const char* path)
{
  BASE_MutexLock lock(GetMutex());
  std::vector<uint8_t> image;
  if (!LoadFirmwareImage(path, image)) return;
  Panels().SetNameDisplay("Connecting to Zephra...");
  mTransfer.StartFirmware(path);
  SendLinkSysEx(FirmwareRequestMessage());
  // A synth that never answers is reported by the reply watchdog.
  mTransfer.AwaitFirmwareReply();
}

void ZephraModel::SendFirmwareData(const char* path)
{
  BASE_MutexLock lock(GetMutex());
  std::vector<uint8_t> image;
  if (!LoadFirmwareImage(path, image)) return;
  SendLinkSysEx(FirmwareDataMessage(image.data(), image.size()));
}

void ZephraModel::ProcessFirmwareReply(uint8_t code)
{
  switch (code)
  {
    case kReplyErasing:
      // Erasing takes long: the reply wait ends, and only a silence far
      // longer than any erase gives the update up.
      mTransfer.EndDumpWait();
      mTransfer.FirmwareAnswered();
      Panels().SetNameDisplay("Erasing FLASH memory...");
      break;
    case kReplyReady:
      mTransfer.FirmwareAnswered();
      Panels().SetNameDisplay("Loading Update...");
      SendFirmwareData(mTransfer.FirmwareFile().c_str());
      break;
    case kReplyUpdateOk:
      Panels().SetNameDisplay("Update successful!");
      mTransfer.EndFirmware();
      break;
    case kReplyUpdateFailed:
      Panels().SetNameDisplay("Error in update!");
      if (!mBulkLoad) RedrawParamControls();
      SendFirmwareData(mTransfer.FirmwareFile().c_str());
      mTransfer.EndFirmware();
      mTransfer.Flag(ZephraTransfer::kReportCommError);
      break;
    default:
      break;
  }
}
