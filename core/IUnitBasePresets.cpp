// The plug-in base's presets and its FXP program and FXB bank files.
//
// File layout (all integers 32-bit big-endian, magics in file order):
//   FXP: "CcnK", byte size, "FPCh"|"FxCk", 1, unique id, decimal version,
//        parameter count, name[28], then either one big-endian float per
//        parameter (normalised) or a chunk size and the state chunk.
//   FXB: "CcnK", byte size, "FBCh"|"FxBk", 2, unique id, decimal version,
//        preset count, current preset, 124 reserved bytes, then either one
//        "FxCk" program record per preset or a chunk size and the bank chunk.
// Readers trust no length or count in a file: each is checked against the
// bytes present before anything is changed, and a state that fails to load
// half-way is rolled back.
//
// Sections: file helpers / preset list helpers / presets / rollback of a
// load that failed half-way / FXP and FXB / presets as source lines.
#include "core/IUnitBase.h"

#include "core/BASE_FileRead.h"
#include "core/BASE_FileWrite.h"
#include "core/FixedText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace
{
constexpr uint32_t FourCC(const char (&text)[5])
{
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

constexpr uint32_t kChunkMagic = FourCC("CcnK");
constexpr uint32_t kFxpOpaque = FourCC("FPCh");
constexpr uint32_t kFxpParams = FourCC("FxCk");
constexpr uint32_t kFxbOpaque = FourCC("FBCh");
constexpr uint32_t kFxbPrograms = FourCC("FxBk");
constexpr int kFxpVersion = 1;
constexpr int kFxbVersion = 2;
constexpr int kFxNameSize = 28;
constexpr int kFxpHeaderSize = 56;        // up to and including the name
constexpr int kFxpOpaqueOverhead = 60;    // header and the chunk size field
constexpr int kFxbReservedSize = 124;
constexpr int kFxbOpaqueOverhead = 160;   // header, reserved bytes and chunk size
// Far above any bank of this plug-in; keeps every size within an int.
constexpr int64_t kMaxFxFileSize = 64 * 1024 * 1024;

constexpr char kUserPresetName[] = "user preset";
// Longest line of the source dumps; far above a preset name or identifier.
constexpr int kMaxLineLength = 1 << 16;

// ---- file helpers: big-endian writing and bounded reading ----

bool PutBE32(ByteChunk* chunk, uint32_t value)
{
  const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  return chunk->PutBytes(bytes, 4) >= 0;
}

bool PutFxName(ByteChunk* chunk, const char* name)
{
  char field[kFxNameSize] = {};
  CopyFixedText(field, name);
  return chunk->PutBytes(field, kFxNameSize) >= 0;
}

uint32_t ReadBE32(const uint8_t* p)
{
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

class FxReader
{
public:
  FxReader(const uint8_t* data, int size) : mData(data), mSize(data && size > 0 ? size : 0) {}

  int Remaining() const { return mSize - mPosition; }
  int Position() const { return mPosition; }
  // n bytes from the current position, then past them; null when fewer remain.
  const uint8_t* Take(int64_t n)
  {
    if (n < 0 || n > Remaining()) return nullptr;
    const uint8_t* p = mData + mPosition;
    mPosition += static_cast<int>(n);
    return p;
  }
  bool U32(uint32_t* value)
  {
    const uint8_t* p = Take(4);
    if (p) *value = ReadBE32(p);
    return p != nullptr;
  }
  // A name field, terminated even when the file did not terminate it.
  bool Name(char (&name)[kFxNameSize + 1])
  {
    const uint8_t* p = Take(kFxNameSize);
    if (!p) return false;
    memcpy(name, p, kFxNameSize);
    name[kFxNameSize] = '\0';
    return true;
  }

private:
  const uint8_t* mData;
  int mSize;
  int mPosition = 0;
};

// The fields common to the start of FXP files, FXB files and program records.
struct FxHeader
{
  uint32_t chunkMagic = 0;
  uint32_t byteSize = 0;
  uint32_t fxMagic = 0;
  uint32_t version = 0;
  uint32_t uniqueID = 0;
  uint32_t pluginVersion = 0;
  uint32_t count = 0;
};

bool ReadFxHeader(FxReader* reader, FxHeader* header)
{
  const int start = reader->Position();
  if (!(reader->U32(&header->chunkMagic) && reader->U32(&header->byteSize) &&
        reader->U32(&header->fxMagic) && reader->U32(&header->version) &&
        reader->U32(&header->uniqueID) && reader->U32(&header->pluginVersion) &&
        reader->U32(&header->count)))
    return false;
  // The byte size may count the whole record or the record less its first
  // eight bytes, but never more than is there.
  const int64_t present = reader->Position() - start + static_cast<int64_t>(reader->Remaining());
  return header->chunkMagic == kChunkMagic && header->byteSize <= present;
}

// ---- base64, standard alphabet with '=' padding ----

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void Base64Encode(const uint8_t* data, int size, BASE_String* text)
{
  char quad[5] = {};
  for (int i = 0; i < size; i += 3)
  {
    const int n = size - i < 3 ? size - i : 3;
    uint32_t v = static_cast<uint32_t>(data[i]) << 16;
    if (n > 1) v |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (n > 2) v |= data[i + 2];
    quad[0] = kBase64[(v >> 18) & 63];
    quad[1] = kBase64[(v >> 12) & 63];
    quad[2] = n > 1 ? kBase64[(v >> 6) & 63] : '=';
    quad[3] = n > 2 ? kBase64[v & 63] : '=';
    text->Append(quad);
  }
}

int Base64Value(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// False for any character outside the alphabet or misplaced padding.
bool Base64Decode(const char* text, ByteChunk* out)
{
  uint32_t bits = 0;
  int nBits = 0;
  const char* p = text;
  for (; *p && *p != '='; ++p)
  {
    const int v = Base64Value(*p);
    if (v < 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    nBits += 6;
    if (nBits >= 8)
    {
      nBits -= 8;
      const uint8_t byte = static_cast<uint8_t>(bits >> nBits);
      if (out->PutBytes(&byte, 1) < 0) return false;
    }
  }
  int padding = 0;
  for (; *p == '='; ++p) ++padding;
  return *p == '\0' && padding <= 2;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes)
{
  if (!path || !path[0]) return false;
  BASE_FileRead file(path);
  if (!file.IsOpen()) return false;
  const int64_t size = file.GetSize();
  if (size < 0 || size > kMaxFxFileSize) return false;
  bytes->resize(static_cast<size_t>(size));
  int64_t done = 0;
  while (done < size)
  {
    const int n = file.Read(bytes->data() + done, static_cast<int>(size - done));
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

bool WriteWholeFile(const char* path, const void* data, int size)
{
  if (!path || !path[0]) return false;
  BASE_FileWrite file(path);
  if (!file.IsOpen()) return false;
  const bool written = size == 0 || file.Write(data, size) == size;
  return file.Close() && written;
}
}  // namespace

// ---- preset list helpers ----

IPreset::IPreset()
{
  CopyFixedText(mName, "empty");
}

IPreset* GetNextUninitializedPreset(BASE_PtrList<IPreset>* presets)
{
  if (!presets) return nullptr;
  for (int i = 0; i < presets->GetSize(); ++i)
    if (!presets->Get(i)->mInitialized) return presets->Get(i);
  return nullptr;
}

void MakeDefaultUserPresetName(BASE_PtrList<IPreset>* presets, char* destination, int size)
{
  if (!destination || size <= 0) return;
  int n = 0;
  for (int i = 0; presets && i < presets->GetSize(); ++i)
    if (strstr(presets->Get(i)->mName, kUserPresetName)) ++n;
  snprintf(destination, static_cast<size_t>(size), "%s %d", kUserPresetName, n + 1);
}

void InitChunkWithIUnitVer(ByteChunk* chunk)
{
  if (!chunk) return;
  chunk->Clear();
  const int32_t magic = kIUnitChunkMagic;
  const int32_t version = kIUnitFrameworkVersion;
  chunk->Put(&magic);
  chunk->Put(&version);
}

int GetIUnitVerFromChunk(ByteChunk* chunk, int* position)
{
  if (!chunk || !position) return 0;
  int32_t magic = 0, version = 0;
  const int afterMagic = chunk->Get(&magic, *position);
  if (afterMagic < 0 || magic != kIUnitChunkMagic) return 0;
  const int afterVersion = chunk->Get(&version, afterMagic);
  if (afterVersion < 0) return 0;
  *position = afterVersion;
  return version;
}

// ---- presets ----

const char* IUnitBase::GetPresetName(int index) const
{
  const IPreset* preset = mPresets.Get(index);
  return preset ? preset->mName : "";
}

void IUnitBase::MakeDefaultPreset(const char* name, int count)
{
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < count; ++i)
  {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) break;
    preset->mInitialized = true;
    CopyFixedText(preset->mName, name ? name : "Empty");
    preset->mChunk.Clear();
    SerializeState(&preset->mChunk);
  }
}

bool IUnitBase::MakePresetFromValues(const char* name, const double* values, int count)
{
  BASE_MutexLock lock(mMutex);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  for (int i = 0; i < count && i < NParams(); ++i) GetParam(i)->SetPlain(values[i]);
  preset->mInitialized = true;
  CopyFixedText(preset->mName, name);
  preset->mChunk.Clear();
  return SerializeState(&preset->mChunk);
}

bool IUnitBase::MakePresetFromPairs(const char* name, int count, const double* pairs, int nPairs)
{
  BASE_MutexLock lock(mMutex);
  if (count != nPairs) return false;
  for (int i = 0; i < nPairs; ++i)
  {
    const double index = pairs[2 * i];
    if (!(index >= 0 && index < NParams())) return false;
  }
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  for (int i = 0; i < nPairs; ++i)
    GetParam(static_cast<int>(pairs[2 * i]))->SetPlain(pairs[2 * i + 1]);
  preset->mInitialized = true;
  CopyFixedText(preset->mName, name);
  preset->mChunk.Clear();
  return SerializeState(&preset->mChunk);
}

bool IUnitBase::MakePresetFromChunk(const char* name, const ByteChunk* chunk)
{
  if (!chunk) return false;
  BASE_MutexLock lock(mMutex);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  preset->mChunk.Clear();
  if (preset->mChunk.PutChunk(chunk) < 0) return false;
  preset->mInitialized = true;
  CopyFixedText(preset->mName, name);
  return true;
}

bool IUnitBase::MakePresetFromBlob(const char* name, const char* base64, int size)
{
  if (!base64 || size < 0) return false;
  ByteChunk chunk;
  if (!Base64Decode(base64, &chunk) || chunk.Size() != size) return false;
  return MakePresetFromChunk(name, &chunk);
}

void IUnitBase::EnsureDefaultPreset()
{
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < NPresets(); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    if (preset->mInitialized) continue;
    preset->mInitialized = true;
    preset->mChunk.Clear();
    SerializeState(&preset->mChunk);
  }
}

void IUnitBase::PruneUninitializedPresets()
{
  BASE_MutexLock lock(mMutex);
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
  if (mCurrentPresetIdx >= NPresets()) mCurrentPresetIdx = NPresets() > 0 ? NPresets() - 1 : 0;
}

bool IUnitBase::RestorePreset(int index)
{
  BASE_MutexLock lock(mMutex);
  IPreset* preset = mPresets.Get(index);
  if (!preset) return false;
  if (!preset->mInitialized)
  {
    preset->mInitialized = true;
    preset->mChunk.Clear();
    SerializeState(&preset->mChunk);
  }
  if (UnserializeState(&preset->mChunk, 0) < 0) return false;
  mCurrentPresetIdx = index;
  OnRestorePreset();
  RedrawParamControls();
  return true;
}

bool IUnitBase::RestorePreset(const char* name)
{
  if (!name) return false;
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < NPresets(); ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

void IUnitBase::ModifyCurrentPreset(const char* name)
{
  BASE_MutexLock lock(mMutex);
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mInitialized = true;
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (name) CopyFixedText(preset->mName, name);
}

bool IUnitBase::SerializePresets(ByteChunk* chunk)
{
  if (!chunk) return false;
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < NPresets(); ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    const uint8_t initialized = preset->mInitialized ? 1 : 0;
    if (chunk->PutStr(preset->mName) < 0 || chunk->Put(&initialized) < 0) return false;
    if (preset->mInitialized && chunk->PutChunk(&preset->mChunk) < 0) return false;
  }
  return true;
}

int IUnitBase::UnserializePresets(ByteChunk* chunk, int startPosition)
{
  if (!chunk) return -1;
  BASE_MutexLock lock(mMutex);
  int position = startPosition;
  BASE_String name;
  for (int i = 0; i < NPresets() && position >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    uint8_t initialized = 0;
    position = chunk->GetStr(&name, position);
    if (position >= 0) position = chunk->Get(&initialized, position);
    if (position < 0 || initialized > 1)
    {
      position = -1;
      break;
    }
    CopyFixedText(preset->mName, name.Get());
    preset->mInitialized = initialized != 0;
    if (!preset->mInitialized) continue;
    position = UnserializeState(chunk, position);
    if (position >= 0)
    {
      preset->mChunk.Clear();
      SerializeState(&preset->mChunk);
    }
  }
  (void)RestorePreset(mCurrentPresetIdx);
  return position;
}

// ---- rollback of a load that failed half-way ----

struct IUnitBase::PresetSnapshot
{
  ByteChunk mState;
  int mCurrentPresetIdx = 0;
  std::vector<IPreset> mPresets;
};

bool IUnitBase::TakeSnapshot(PresetSnapshot* snapshot)
{
  if (!SerializeState(&snapshot->mState)) return false;
  snapshot->mCurrentPresetIdx = mCurrentPresetIdx;
  snapshot->mPresets.resize(static_cast<size_t>(NPresets()));
  for (int i = 0; i < NPresets(); ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    IPreset& copy = snapshot->mPresets[static_cast<size_t>(i)];
    copy.mInitialized = preset->mInitialized;
    memcpy(copy.mName, preset->mName, sizeof(copy.mName));
    if (copy.mChunk.PutChunk(&preset->mChunk) < 0) return false;
  }
  return true;
}

void IUnitBase::RestoreSnapshot(PresetSnapshot* snapshot)
{
  for (int i = 0; i < NPresets() && i < static_cast<int>(snapshot->mPresets.size()); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    IPreset& copy = snapshot->mPresets[static_cast<size_t>(i)];
    preset->mInitialized = copy.mInitialized;
    memcpy(preset->mName, copy.mName, sizeof(preset->mName));
    // Both chunks hold their own blocks; swapping them cannot fail.
    std::swap(preset->mChunk, copy.mChunk);
  }
  mCurrentPresetIdx = snapshot->mCurrentPresetIdx;
  UnserializeState(&snapshot->mState, 0);
  RedrawParamControls();
}

// ---- FXP and FXB ----

bool IUnitBase::PutFxParamValues(ByteChunk* file, const ByteChunk* state)
{
  int position = 0;
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* param = GetParam(i);
    double value = param->Value();
    // A preset's state holds one plain double per parameter; a parameter it
    // does not cover is written with its current value.
    if (state && position >= 0)
    {
      double stored;
      position = state->Get(&stored, position);
      if (position >= 0) value = stored;
    }
    const float normalized = static_cast<float>(param->GetNormalized(value));
    uint32_t bits;
    memcpy(&bits, &normalized, sizeof(bits));
    if (!PutBE32(file, bits)) return false;
  }
  return true;
}

void IUnitBase::ApplyFxParamValues(const uint8_t* floats)
{
  for (int i = 0; i < NParams(); ++i)
  {
    const uint32_t bits = ReadBE32(floats + 4 * i);
    float normalized;
    memcpy(&normalized, &bits, sizeof(normalized));
    // A file's value outside 0..1 would land outside the parameter's range.
    double v = normalized;
    if (!(v >= 0.0)) v = 0.0;
    if (v > 1.0) v = 1.0;
    GetParam(i)->Set(v);
  }
}

bool IUnitBase::BuildProgramFXP(ByteChunk* file)
{
  if (!file) return false;
  BASE_MutexLock lock(mMutex);
  file->Clear();
  const char* name = GetPresetName(mCurrentPresetIdx);
  const uint32_t id = static_cast<uint32_t>(mUniqueID);
  const uint32_t version = static_cast<uint32_t>(GetEffectVersion(true));
  const uint32_t nParams = static_cast<uint32_t>(NParams());
  if (mDoesChunks)
  {
    ByteChunk state;
    InitChunkWithIUnitVer(&state);
    if (state.Size() != 8 || !SerializeState(&state)) return false;
    const uint32_t n = static_cast<uint32_t>(state.Size());
    return PutBE32(file, kChunkMagic) && PutBE32(file, n + kFxpOpaqueOverhead) &&
           PutBE32(file, kFxpOpaque) && PutBE32(file, kFxpVersion) && PutBE32(file, id) &&
           PutBE32(file, version) && PutBE32(file, nParams) && PutFxName(file, name) &&
           PutBE32(file, n) && file->PutChunk(&state) >= 0;
  }
  return PutBE32(file, kChunkMagic) && PutBE32(file, 0) && PutBE32(file, kFxpParams) &&
         PutBE32(file, kFxpVersion) && PutBE32(file, id) && PutBE32(file, version) &&
         PutBE32(file, nParams) && PutFxName(file, name) && PutFxParamValues(file, nullptr);
}

bool IUnitBase::BuildBankFXB(ByteChunk* file)
{
  if (!file) return false;
  BASE_MutexLock lock(mMutex);
  file->Clear();
  const uint32_t id = static_cast<uint32_t>(mUniqueID);
  const uint32_t version = static_cast<uint32_t>(GetEffectVersion(true));
  const uint8_t reserved[kFxbReservedSize] = {};
  ByteChunk bank;
  if (mDoesChunks)
  {
    InitChunkWithIUnitVer(&bank);
    if (bank.Size() != 8 || !SerializePresets(&bank)) return false;
  }
  const uint32_t n = static_cast<uint32_t>(bank.Size());
  bool ok = PutBE32(file, kChunkMagic) && PutBE32(file, mDoesChunks ? n + kFxbOpaqueOverhead : 0) &&
            PutBE32(file, mDoesChunks ? kFxbOpaque : kFxbPrograms) && PutBE32(file, kFxbVersion) &&
            PutBE32(file, id) && PutBE32(file, version) &&
            PutBE32(file, static_cast<uint32_t>(NPresets())) &&
            PutBE32(file, static_cast<uint32_t>(mCurrentPresetIdx)) &&
            file->PutBytes(reserved, kFxbReservedSize) >= 0;
  if (mDoesChunks) return ok && PutBE32(file, n) && file->PutChunk(&bank) >= 0;
  for (int i = 0; ok && i < NPresets(); ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    ok = PutBE32(file, kChunkMagic) && PutBE32(file, 0) && PutBE32(file, kFxpParams) &&
         PutBE32(file, kFxpVersion) && PutBE32(file, id) && PutBE32(file, version) &&
         PutBE32(file, static_cast<uint32_t>(NParams())) && PutFxName(file, preset->mName) &&
         PutFxParamValues(file, preset->mInitialized ? &preset->mChunk : nullptr);
  }
  return ok;
}

bool IUnitBase::SaveProgramAsFXP(const char* path)
{
  if (!path || !path[0]) return false;
  ByteChunk file;
  return BuildProgramFXP(&file) && WriteWholeFile(path, file.GetBytes(), file.Size());
}

bool IUnitBase::SaveBankAsFXB(const char* path)
{
  if (!path || !path[0]) return false;
  ByteChunk file;
  return BuildBankFXB(&file) && WriteWholeFile(path, file.GetBytes(), file.Size());
}

bool IUnitBase::LoadProgramFromFXP(const char* path)
{
  std::vector<uint8_t> bytes;
  return ReadWholeFile(path, &bytes) &&
         LoadProgramFromFXPData(bytes.data(), static_cast<int>(bytes.size()));
}

bool IUnitBase::LoadBankFromFXB(const char* path)
{
  std::vector<uint8_t> bytes;
  return ReadWholeFile(path, &bytes) &&
         LoadBankFromFXBData(bytes.data(), static_cast<int>(bytes.size()));
}

bool IUnitBase::LoadProgramFromFXPData(const uint8_t* data, int size)
{
  BASE_MutexLock lock(mMutex);
  FxReader reader(data, size);
  FxHeader header;
  char name[kFxNameSize + 1];
  if (!ReadFxHeader(&reader, &header) || !reader.Name(name)) return false;
  if (header.version != kFxpVersion || header.uniqueID != static_cast<uint32_t>(mUniqueID) ||
      header.count != static_cast<uint32_t>(NParams()))
    return false;

  if (header.fxMagic == kFxpOpaque)
  {
    uint32_t chunkSize = 0;
    if (!mDoesChunks || !reader.U32(&chunkSize)) return false;
    const uint8_t* body = reader.Take(chunkSize);
    if (!body) return false;
    ByteChunk state;
    if (state.PutBytes(body, static_cast<int>(chunkSize)) != static_cast<int>(chunkSize))
      return false;
    int position = 0;
    if (GetIUnitVerFromChunk(&state, &position) == 0) return false;
    PresetSnapshot snapshot;
    if (!TakeSnapshot(&snapshot)) return false;
    if (UnserializeState(&state, position) < 0)
    {
      RestoreSnapshot(&snapshot);
      return false;
    }
  }
  else if (header.fxMagic == kFxpParams)
  {
    const uint8_t* floats = reader.Take(4LL * NParams());
    if (!floats) return false;
    ApplyFxParamValues(floats);
  }
  else
  {
    return false;
  }

  ModifyCurrentPreset();
  if (!RestorePreset(mCurrentPresetIdx))
  {
    // Without a preset to hold it the loaded program still takes effect.
    OnParamReset();
    RedrawParamControls();
  }
  return true;
}

bool IUnitBase::LoadBankFromFXBData(const uint8_t* data, int size)
{
  BASE_MutexLock lock(mMutex);
  FxReader reader(data, size);
  FxHeader header;
  uint32_t current = 0;
  if (!ReadFxHeader(&reader, &header) || !reader.U32(&current) || !reader.Take(kFxbReservedSize))
    return false;
  const uint32_t nPresets = static_cast<uint32_t>(NPresets());
  if ((header.version != kFxbVersion && header.version != kFxpVersion) ||
      header.uniqueID != static_cast<uint32_t>(mUniqueID) || header.count != nPresets ||
      (current >= nPresets && !(nPresets == 0 && current == 0)))
    return false;

  if (header.fxMagic == kFxbOpaque)
  {
    uint32_t chunkSize = 0;
    if (!mDoesChunks || !reader.U32(&chunkSize)) return false;
    const uint8_t* body = reader.Take(chunkSize);
    if (!body) return false;
    ByteChunk bank;
    if (bank.PutBytes(body, static_cast<int>(chunkSize)) != static_cast<int>(chunkSize))
      return false;
    int position = 0;
    if (GetIUnitVerFromChunk(&bank, &position) == 0) return false;
    PresetSnapshot snapshot;
    if (!TakeSnapshot(&snapshot)) return false;
    mCurrentPresetIdx = static_cast<int>(current);
    if (UnserializePresets(&bank, position) < 0)
    {
      RestoreSnapshot(&snapshot);
      return false;
    }
    return true;
  }
  if (header.fxMagic != kFxbPrograms) return false;

  // Every program record is checked before the first one is applied.
  const int64_t recordSize = kFxpHeaderSize + 4LL * NParams();
  if (recordSize * nPresets > reader.Remaining()) return false;
  const uint8_t* records = reader.Take(recordSize * nPresets);
  for (uint32_t i = 0; i < nPresets; ++i)
  {
    FxReader record(records + recordSize * i, static_cast<int>(recordSize));
    FxHeader program;
    if (!ReadFxHeader(&record, &program) || program.fxMagic != kFxpParams ||
        program.version != kFxpVersion || program.uniqueID != static_cast<uint32_t>(mUniqueID) ||
        program.count != static_cast<uint32_t>(NParams()))
      return false;
  }
  for (uint32_t i = 0; i < nPresets; ++i)
  {
    FxReader record(records + recordSize * i, static_cast<int>(recordSize));
    FxHeader program;
    char name[kFxNameSize + 1];
    (void)ReadFxHeader(&record, &program);
    (void)record.Name(name);
    ApplyFxParamValues(record.Take(4LL * NParams()));
    IPreset* preset = mPresets.Get(static_cast<int>(i));
    preset->mInitialized = true;
    CopyFixedText(preset->mName, name);
    preset->mChunk.Clear();
    SerializeState(&preset->mChunk);
  }
  mCurrentPresetIdx = static_cast<int>(current);
  if (!RestorePreset(mCurrentPresetIdx))
  {
    OnParamReset();
    RedrawParamControls();
  }
  return true;
}

// ---- presets as source lines ----

bool IUnitBase::DumpPresetSrcCode(const char* path, const char* const* paramNames)
{
  BASE_MutexLock lock(mMutex);
  BASE_String text;
  BASE_String line;
  line.SetFormatted(kMaxLineLength, "  MakePresetFromNamedParams(\"%s\", %d",
                    GetPresetName(mCurrentPresetIdx), NParams());
  text.Append(line.Get());
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* param = GetParam(i);
    char value[64];
    if (param->Type() == IParam::kTypeBool)
      snprintf(value, sizeof(value), "%s", param->Value() >= 0.5 ? "true" : "false");
    else if (param->Type() == IParam::kTypeDouble)
      snprintf(value, sizeof(value), "%.6f", param->Value());
    else
      snprintf(value, sizeof(value), "%d", param->Int());
    char index[16];
    snprintf(index, sizeof(index), "%d", i);
    const char* id = paramNames && paramNames[i] ? paramNames[i] : index;
    line.SetFormatted(kMaxLineLength, ",\n    %s, %s", id, value);
    text.Append(line.Get());
  }
  text.Append(");\n");
  return WriteWholeFile(path, text.Get(), text.GetLength());
}

namespace
{
void AppendBlobLine(const IPreset* preset, BASE_String* text)
{
  BASE_String line;
  line.SetFormatted(kMaxLineLength, "MakePresetFromBlob(\"%s\", \"", preset->mName);
  text->Append(line.Get());
  Base64Encode(preset->mChunk.GetBytes(), preset->mChunk.Size(), text);
  line.SetFormatted(kMaxLineLength, "\", %i);\n", preset->mChunk.Size());
  text->Append(line.Get());
}
}  // namespace

bool IUnitBase::DumpPresetBlob(const char* path)
{
  BASE_MutexLock lock(mMutex);
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return false;
  BASE_String text;
  AppendBlobLine(preset, &text);
  return WriteWholeFile(path, text.Get(), text.GetLength());
}

bool IUnitBase::DumpBankBlob(const char* path)
{
  BASE_MutexLock lock(mMutex);
  BASE_String text;
  for (int i = 0; i < NPresets(); ++i) AppendBlobLine(mPresets.Get(i), &text);
  return WriteWholeFile(path, text.Get(), text.GetLength());
}
