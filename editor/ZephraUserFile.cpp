// The remembered password file: 64 enciphered bytes under the program's key.
#include "editor/ZephraUserFile.h"

#include "core/BASE_Blowfish.h"
#include "core/BASE_FileWhole.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Far above the 64 bytes written; anything larger is not ours.
constexpr size_t kUserFileReadLimit = 4096;

void InitCipher(Blowfish_Context& ctx)
{
  Blowfish_Init(&ctx, reinterpret_cast<const unsigned char*>(kBlowfishProgramKey),
                static_cast<int>(strlen(kBlowfishProgramKey)));
}

}  // namespace

bool WriteUserFile(const std::string& path, const std::string& password)
{
  // A longer password would lose its terminator, and a NUL would end it early.
  if (password.size() > kUserPasswordMaxBytes || password.find('\0') != std::string::npos) return false;
  unsigned char block[kUserFileBytes] = {};
  memcpy(block, password.data(), password.size());
  Blowfish_Context ctx;
  InitCipher(ctx);
  Blowfish_EncryptBlocks(&ctx, block, sizeof block);

  // A new file is its owner's alone; one the user has already keeps its own
  // mode.
  return BASE_ReplaceFile(path, block, sizeof block, 0600);
}

bool ReadUserFile(const std::string& path, std::string& password)
{
  // Read on the GUI thread: a FIFO or a device under the name must not
  // block it, nor a huge file fill memory. Only the first block counts.
  std::string bytes;
  if (BASE_ReadRegularFile(path, kUserFileReadLimit, bytes) != BASE_ReadResult::kRead) return false;
  unsigned char block[kUserFileBytes] = {};
  const size_t size = std::min(bytes.size(), sizeof block);
  memcpy(block, bytes.data(), size);
  // Only whole blocks decipher; a stray tail byte is no part of a password.
  const size_t whole = size - size % 8;
  if (whole == 0) return false;
  Blowfish_Context ctx;
  InitCipher(ctx);
  Blowfish_DecryptBlocks(&ctx, block, whole);
  const void* end = memchr(block, 0, whole);
  if (!end) return false;
  size_t length = static_cast<size_t>(static_cast<const unsigned char*>(end) - block);
  // The old filler's first byte, where the password ended on a word.
  if (length > 0 && block[length - 1] == '\n' && (length - 1) % 4 == 0) --length;
  password.assign(reinterpret_cast<const char*>(block), length);
  return true;
}
