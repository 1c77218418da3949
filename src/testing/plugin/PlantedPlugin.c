/* A shared library standing for code another program put in the reader's home, where a library
 * of the client's process would load it (GStreamer's user plugin folder): loaded by anyone, its
 * constructor appends the loading process's id to the file $ZU_PLANTED_MARK. It is no plugin
 * of anything: a loader that takes it for one has run its code already.
 * Used by scripts/planted-home-test.sh. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

__attribute__((constructor)) static void leaveMark(void) {
  const char* mark = getenv("ZU_PLANTED_MARK");
  if (!mark || !*mark) return;
  const int fd = open(mark, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  char line[32];
  const int n = snprintf(line, sizeof line, "%ld\n", (long)getpid());
  if (n > 0 && write(fd, line, (size_t)n) < 0) {
    /* nothing more to do */
  }
  close(fd);
}
