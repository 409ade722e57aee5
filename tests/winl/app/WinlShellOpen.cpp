// A process of the program that asks the window layer's shell service to open
// argv[2] with argv[1] and prints the answer; the shell tests start it with
// the desktop's settings of their own in its environment.
#include "winl/WINL_Kernel.h"

#include <cstdio>

int main(int argc, char** argv)
{
  if (argc != 3) return 2;
  std::printf("%ld\n", static_cast<long>(ShellExecute(nullptr, "open", argv[1], argv[2], nullptr, 1)));
  return 0;
}
