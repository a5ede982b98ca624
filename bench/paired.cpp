// Paired whole-process timing. Each round runs every program once as a batch
// of back-to-back runs, in turn, so that all programs of a round see the same
// load on the machine; each program's time in a round is its batch's mean,
// and its ratio is that time over the first program's in the same round.
// Prints, per program, the median time over the rounds and the median ratio.
//
// Usage: paired ROUNDS BATCH NAME=DIRECTORY:PROGRAM ...
// Each program runs in its directory with no arguments, standard input from
// /dev/null and standard output and error discarded; a run that does not end
// with status 0 stops the measurement.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Program {
  std::string name, directory, path;
};

double now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The mean wall time of one run over a batch of `batch` runs.
double batch_time(const Program& p, int batch) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, p.directory.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(p.path.c_str()), nullptr};
  const double start = now();
  for (int i = 0; i < batch; ++i) {
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, p.path.c_str(), &actions, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "paired: %s did not end with status 0\n", p.name.c_str());
      std::exit(1);
    }
  }
  const double mean = (now() - start) / batch;
  posix_spawn_file_actions_destroy(&actions);
  return mean;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s ROUNDS BATCH NAME=DIRECTORY:PROGRAM ...\n", argv[0]);
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  const int batch = std::atoi(argv[2]);
  std::vector<Program> programs;
  for (int i = 3; i < argc; ++i) {
    const std::string argument = argv[i];
    const size_t equals = argument.find('='), colon = argument.find(':');
    if (equals == std::string::npos || colon == std::string::npos || colon < equals) {
      std::fprintf(stderr, "paired: not NAME=DIRECTORY:PROGRAM: %s\n", argv[i]);
      return 2;
    }
    programs.push_back({argument.substr(0, equals), argument.substr(equals + 1, colon - equals - 1),
                        argument.substr(colon + 1)});
  }
  std::vector<std::vector<double>> times(programs.size()), ratios(programs.size());
  for (const Program& p : programs)
    batch_time(p, 1);  // warm the page cache and the programs' pages
  for (int round = 0; round < rounds; ++round) {
    std::vector<double> t;
    for (const Program& p : programs)
      t.push_back(batch_time(p, batch));
    for (size_t i = 0; i < programs.size(); ++i) {
      times[i].push_back(t[i]);
      ratios[i].push_back(t[i] / t[0]);
    }
  }
  std::printf("program median_us ratio\n");
  for (size_t i = 0; i < programs.size(); ++i) {
    std::printf("%s %.1f %.3f\n", programs[i].name.c_str(), median(times[i]) * 1e6,
                median(ratios[i]));
  }
  return 0;
}
