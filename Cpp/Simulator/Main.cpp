// Placeholder entry point until the simulator class lands.
#include <cstdio>
int main() {
  std::printf("SIMULATOR::MAIN()-GOOD EXIT\n");
  return 0;
}
