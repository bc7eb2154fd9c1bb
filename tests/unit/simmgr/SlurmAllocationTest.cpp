// Where the jobs of a run go: the nodes of a Slurm allocation (read through a stand-in for
// scontrol, so no Slurm is needed), the addresses settled before the run, and the launcher
// command line that has to survive a second shell on the far side of ssh.
#include <gtest/gtest.h>

#include "Launch.h"
#include "SlurmAllocation.h"

using namespace simmgr;

namespace {

// Answers scontrol as a cluster of three nodes would, in node-table order (not the list's), one
// of them without an address of its own; records every call.
struct FakeScontrol {
  std::vector<std::vector<std::string>> calls;
  bool fail = false;
  bool operator()(const std::vector<std::string>& argv, std::string& out, std::string& error) {
    calls.push_back(argv);
    if (fail) {
      error = "scontrol exited with code 1: slurm_load_node error: Unable to contact slurm controller";
      return false;
    }
    if (argv.size() == 4 && argv[1] == "show" && argv[2] == "hostnames") {
      out = "cn07\ncn10\ncn08\n";
    } else {
      out =
          "NodeName=cn08 Arch=x86_64 NodeAddr=127.0.0.8 NodeHostName=cn08 State=MIXED\n"
          "NodeName=cn10 Arch=x86_64 NodeHostName=cn10 State=IDLE\n"
          "NodeName=cn07 Arch=x86_64 CoresPerSocket=1 NodeAddr=127.0.0.7 NodeHostName=cn07\n";
    }
    return true;
  }
};

}  // namespace

TEST(SlurmAllocation, NamesInTheListsOrderAddressesFromTheNodeTable) {
  FakeScontrol scontrol;
  SlurmAllocation slurm(std::ref(scontrol));
  std::string error;
  ASSERT_TRUE(slurm.Read("cn[07-08],cn10", error)) << error;
  EXPECT_EQ(slurm.Names(), (std::vector<std::string>{"cn07", "cn10", "cn08"}));
  // cn10 has no NodeAddr: it is reached by its name.
  EXPECT_EQ(slurm.Addresses(), (std::vector<std::string>{"127.0.0.7", "cn10", "127.0.0.8"}));
  EXPECT_EQ(scontrol.calls,
            (std::vector<std::vector<std::string>>{{"scontrol", "show", "hostnames", "cn[07-08],cn10"},
                                                   {"scontrol", "-o", "show", "node", "cn[07-08],cn10"}}));
}

TEST(SlurmAllocation, NoAllocationOrNoControllerIsSaidBeforeAnythingRuns) {
  FakeScontrol scontrol;
  SlurmAllocation slurm(std::ref(scontrol));
  std::string error;
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_FALSE(slurm.Read(unset, error));
    EXPECT_NE(error.find("SLURM_JOB_NODELIST is not set"), std::string::npos) << error;
  }
  EXPECT_TRUE(scontrol.calls.empty());
  scontrol.fail = true;
  EXPECT_FALSE(slurm.Read("cn07", error));
  EXPECT_EQ(error,
            "cannot expand the allocation's node list cn07: scontrol exited with code 1: "
            "slurm_load_node error: Unable to contact slurm controller");
}

TEST(SettleHosts, SlurmHostsBecomeTheAllocationsNodesRunThroughSrun) {
  FakeScontrol scontrol;
  SlurmAllocation slurm(std::ref(scontrol));
  Options o;
  o.hosts = {"slurm"};
  std::string error;
  // cn10's name does not resolve here: refused before anything starts.
  EXPECT_FALSE(SettleHosts(o, slurm, "cn[07-08],cn10", error));
  EXPECT_NE(error.find("host cn10 has no IPv4 address"), std::string::npos) << error;

  scontrol.calls.clear();
  o = Options{};
  o.hosts = {"slurm"};
  SlurmAllocation twoNodes([](const std::vector<std::string>& argv, std::string& out, std::string&) {
    out = argv[2] == "hostnames" ? "cn07\ncn08\n"
                                 : "NodeName=cn07 NodeAddr=127.0.0.7\nNodeName=cn08 NodeAddr=localhost\n";
    return true;
  });
  ASSERT_TRUE(SettleHosts(o, twoNodes, "cn[07-08]", error)) << error;
  EXPECT_EQ(o.hosts, (std::vector<std::string>{"cn07", "cn08"}));
  EXPECT_EQ(o.hostAddresses, (std::vector<std::string>{"127.0.0.7", "127.0.0.1"}));
  EXPECT_EQ(o.managerAddresses, (std::vector<std::string>{"", ""}));  // loopback: no peer to keep out
  EXPECT_EQ(o.launchTemplate, kSlurmLaunch);
  // The job's command line: the launcher gets the node's name, the simulator its address.
  const std::vector<std::string> cmd = SimulatorCommand(o, JobSpec{0, 0, 5, o.hosts[0], o.hostAddresses[0]});
  EXPECT_EQ(cmd[0] + " " + cmd[1], "env KAVRIN_LISTEN_ADDRESS=127.0.0.7");
  EXPECT_EQ(ExpandLaunchTemplate(o.launchTemplate, {"sim"}, o.hosts[0]),
            "srun --nodes=1 --ntasks=1 --exact --nodelist=cn07 sim");

  // A launcher of the user's own is kept; plain hosts are resolved the same way.
  o = Options{};
  o.hosts = {"slurm"};
  o.launchTemplate = "srun -N1 -n1 --exact -w {host} {cmd}";
  ASSERT_TRUE(SettleHosts(o, twoNodes, "cn[07-08]", error)) << error;
  EXPECT_EQ(o.launchTemplate, "srun -N1 -n1 --exact -w {host} {cmd}");
  o = Options{};
  o.hosts = {"localhost", "127.0.0.2"};
  ASSERT_TRUE(SettleHosts(o, twoNodes, nullptr, error)) << error;
  EXPECT_EQ(o.hostAddresses, (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
  EXPECT_TRUE(o.launchTemplate.empty());
}

TEST(SettleHosts, AManagerAddressGoesOnlyToASimulatorBeyondTheLoopback) {
  Options o;
  o.simulator = "sim";
  const std::vector<std::string> cmd =
      SimulatorCommand(o, JobSpec{0, 1, 5, "node1", "192.0.2.7", "192.0.2.1"});
  EXPECT_EQ(std::vector<std::string>(cmd.begin(), cmd.begin() + 4),
            (std::vector<std::string>{"env", "KAVRIN_LISTEN_ADDRESS=192.0.2.7",
                                      "KAVRIN_MANAGER_ADDRESS=192.0.2.1", "sim"}));
  EXPECT_EQ(SimulatorCommand(o, JobSpec{0, 1, 5, "localhost", "127.0.0.1", ""})[0], "sim");
}

#ifndef _WIN32
// ssh joins its words with spaces and hands the line to a shell on the node; the stand-in below
// does just that ("$*" into a second sh -c). {remote_cmd} must come out of it as the very words
// the simulator was given, checked with printf.
TEST(Launch, TheRemoteCommandLineSurvivesASecondShell) {
  const std::vector<std::string> words{"printf", "[%s]", "/my sims/sim", "it's", "a\"b $HOME `x` \\n",
                                       "",       "*"};
  const std::string ssh = "sh -c 'sh -c \"$*\"' ssh ";
  std::string out, error;
  ASSERT_TRUE(SlurmAllocation::RunProgram(
      {"/bin/sh", "-c", ExpandLaunchTemplate(ssh + "{remote_cmd}", words, "n")}, out, error))
      << error;
  EXPECT_EQ(out, "[/my sims/sim][it's][a\"b $HOME `x` \\n][][*]");
  // {cmd} is quoted for one shell only: the second one splits the path and trips on the quote.
  const bool same = SlurmAllocation::RunProgram(
                        {"/bin/sh", "-c", ExpandLaunchTemplate(ssh + "{cmd}", words, "n")}, out, error) &&
                    out == "[/my sims/sim][it's][a\"b $HOME `x` \\n][][*]";
  EXPECT_FALSE(same);
}
#endif
