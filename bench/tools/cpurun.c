/* cpurun OUT CMD ARGS...: runs CMD, then writes "<user+sys CPU seconds> <max RSS kB> <exit code>"
 * of that child alone to the file OUT. The benchmark script measures every program this way, so
 * that our simulators and the reference programs are timed alike. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: cpurun OUT CMD [ARGS...]\n");
    return 2;
  }
  pid_t pid = fork();
  if (pid < 0) {
    perror("cpurun: fork");
    return 2;
  }
  if (pid == 0) {
    execvp(argv[2], argv + 2);
    perror("cpurun: exec");
    _exit(127);
  }
  int status = 0;
  struct rusage ru;
  if (wait4(pid, &status, 0, &ru) < 0) {
    perror("cpurun: wait4");
    return 2;
  }
  double cpu =
      ru.ru_utime.tv_sec + ru.ru_utime.tv_usec * 1e-6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec * 1e-6;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  FILE* f = fopen(argv[1], "w");
  if (f == NULL) {
    perror("cpurun: result file");
    return 2;
  }
  fprintf(f, "%.6f %ld %d\n", cpu, ru.ru_maxrss, code);
  fclose(f);
  return code;
}
