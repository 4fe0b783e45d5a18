// The floor quillfix is measured against: read a file in one block, copy each
// byte while dropping a blank, tab or line feed that follows one of them, and
// write the result in one call.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int fd = open(argv[1], O_RDONLY);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return 1;
  size_t size = info.st_size;
  char* in = static_cast<char*>(std::malloc(size + 1));
  char* out = static_cast<char*>(std::malloc(size + 1));
  size_t got = 0;
  for (ssize_t n; got < size && (n = read(fd, in + got, size - got)) > 0;)
    got += n;
  size_t used = 0;
  bool afterBlank = false;
  for (size_t i = 0; i < got; ++i) {
    char c = in[i];
    bool blank = c == ' ' || c == '\t' || c == '\n';
    if (!(blank && afterBlank)) out[used++] = c;
    afterBlank = blank;
  }
  for (size_t done = 0; done < used;) {
    ssize_t n = write(1, out + done, used - done);
    if (n <= 0) return 1;
    done += n;
  }
  return 0;
}
