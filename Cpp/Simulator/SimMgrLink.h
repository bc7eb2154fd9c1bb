// Timing knobs of the simulation-manager link that tests need to shorten. The simulator's own
// behaviour uses the defaults below; only the connection wait can be changed from outside, through
// the environment variable named by ConnectionWaitVariable, so a test never sits through a minute.
#ifndef KAVRIN_SIMULATOR_SIMMGRLINK_H
#define KAVRIN_SIMULATOR_SIMMGRLINK_H

namespace SimMgrLink {

// How long the rest of a detach command may take to arrive (milliseconds, default 10000).
extern int CommandTextTimeoutMs;

// How long closing the link waits for the manager to end its stream (milliseconds, default 2000).
extern int CloseDrainMs;

// Longest detach text accepted before its closing ";;".
constexpr int kCommandTextCapacity = 512;

constexpr const char* ConnectionWaitVariable = "KAVRIN_TEST_SIMMGR_WAIT_MS";

// The address the simulator listens on for its manager. The link is unauthenticated, so by
// default only this host can reach it (the loopback interface); the environment variable named
// by ListenAddressVariable widens it to one IPv4 address of this host, or to every interface
// with "0.0.0.0", for a manager on another host.
constexpr const char* ListenAddressVariable = "KAVRIN_LISTEN_ADDRESS";
constexpr const char* DefaultListenAddress = "127.0.0.1";
const char* ListenAddress();

// Set by the manager for a simulator it reaches from another host: the IPv4 address it connects
// from. A connection from any other address is closed before anything is written to it, and the
// simulator goes on waiting for its manager. Unset: whoever connects first is the manager.
constexpr const char* ManagerAddressVariable = "KAVRIN_MANAGER_ADDRESS";
const char* ManagerAddress();  // null when unset or empty
// Whether text is an IPv4 address in dotted form (four numbers from 0 to 255).
bool IsDottedIPv4(const char* text);

// standardMs, or the value of ConnectionWaitVariable when that holds a number.
int ConnectionWaitMs(int standardMs);

}  // namespace SimMgrLink

#endif
