// The parts of the socket calls that do not depend on the system.
#include "BaseClasses/KavrinNet.h"

std::string KavrinNet::DottedIPv4(const unsigned char bytes[4]) {
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
         std::to_string(bytes[3]);
}
