// Entry point: one simulator, built from the command line, run once and destroyed.
#include <iostream>

#include "BaseClasses/KavrinSocket.h"
#include "Simulator/SimulatorClass.h"

int main(int argc, char** argv) {
  KavrinSocket::IgnoreBrokenPipeSignal();
  SimulatorClass* simulator = new SimulatorClass(argc, argv);
  std::cout << "SIMULATOR::Preparing to run()" << std::endl;
  simulator->Run();
  // A result or trace file that could not be written has been reported: no good exit.
  if (simulator->OutputFailed) {
    delete simulator;
    return 1;
  }
  std::cout << "SIMULATOR::MAIN()-GOOD EXIT" << std::endl;
  std::cerr << "SIMULATOR::MAIN()-GOOD EXIT" << std::endl;
  delete simulator;
  return 0;
}
