// Replays every file of a fuzz corpus folder through the fuzz entry point, so
// inputs that once crashed stay fixed in builds without libFuzzer.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool ReplayFile(const std::string& path)
{
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  fclose(f);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv)
{
  int replayed = 0;
  for (int i = 1; i < argc; ++i)
  {
    struct stat st;
    if (stat(argv[i], &st) != 0) continue;  // an empty corpus is not an error
    if (S_ISREG(st.st_mode))
    {
      replayed += ReplayFile(argv[i]);
      continue;
    }
    DIR* d = opendir(argv[i]);
    if (!d) continue;
    while (dirent* e = readdir(d))
    {
      if (e->d_name[0] == '.') continue;
      replayed += ReplayFile(std::string(argv[i]) + "/" + e->d_name);
    }
    closedir(d);
  }
  LLVMFuzzerTestOneInput(nullptr, 0);
  printf("replayed %d inputs\n", replayed);
  return 0;
}
