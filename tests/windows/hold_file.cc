// A helper of the Windows tests: holds FILE open the way a program that has
// loaded it does (others may read it, nobody may replace or delete it) until
// its standard input ends.  FILE.held appears once the file is held.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hold-file FILE\n");
    return 2;
  }
  const HANDLE held = ::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold-file: cannot open %s (error %lu)\n", argv[1], ::GetLastError());
    return 1;
  }
  const std::string marker = std::string(argv[1]) + ".held";
  ::CloseHandle(::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  while (std::getchar() != EOF) {
  }
  ::CloseHandle(held);
  return 0;
}
