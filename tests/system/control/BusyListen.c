/* Preloaded into a simulator by the port-stepping test: the first BUSY_LISTEN_FAILURES calls of
   listen fail with EADDRINUSE, as when another process bound the same port (the reuse option
   allows that) and started listening first. BUSY_LISTEN_ERROR chooses another error number. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/socket.h>

int listen(int fd, int backlog) {
  static int (*real_listen)(int, int);
  static int failures = -1;
  static int error = EADDRINUSE;
  if (!real_listen) real_listen = (int (*)(int, int))dlsym(RTLD_NEXT, "listen");
  if (failures < 0) {
    const char* text = getenv("BUSY_LISTEN_FAILURES");
    failures = text ? atoi(text) : 0;
    const char* chosen = getenv("BUSY_LISTEN_ERROR");
    if (chosen) error = atoi(chosen);
  }
  if (failures > 0) {
    --failures;
    errno = error;
    return -1;
  }
  return real_listen(fd, backlog);
}
