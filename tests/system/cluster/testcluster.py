"""A private cluster on this machine for the tests: compute nodes as network namespaces on a bridge,
a Slurm controller with one node daemon per namespace, and an ssh daemon in a namespace. Everything
lives in one temporary folder and is stopped again by stop(), also after a failure; only processes
this module started are ever signalled. Nothing here installs anything: where a program is missing
or a daemon does not come up, Unavailable says why and the caller skips."""

import ctypes
import os
import re
import shlex
import shutil
import signal
import socket
import subprocess
import time


class Unavailable(Exception):
    """The cluster cannot be set up here (missing program, no permission, daemon did not start)."""


def run(*cmd, check=True, **kw):
    return subprocess.run(list(cmd), capture_output=True, text=True, check=check, **kw)


def die_with_parent():
    """In a daemon's child before it starts: killed when the test's process ends, even when a
    time-out kills the test before it can stop its daemons."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def shell_quote(word):
    return shlex.quote(word)


def free_port(address):
    with socket.socket() as s:
        s.bind((address, 0))
        return s.getsockname()[1]


def wait_for(what, predicate, timeout, log=None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    detail = ""
    if log and os.path.exists(log):
        with open(log, errors="replace") as f:
            detail = "; end of %s:\n%s" % (log, "".join(f.readlines()[-15:]))
    raise Unavailable("%s did not happen within %d s%s" % (what, timeout, detail))


class Cluster:
    """Namespaces ("nodes") joined by a bridge in this namespace. The bridge has the first
    address of a free /28 from 198.51.100.0/24 (a documentation range nothing here routes), the
    nodes and a "stranger" (a peer that is not the manager) the addresses after it. Names carry this process's id, so parallel runs do not collide."""

    def __init__(self, folder, nodes):
        self.dir = folder
        self.tag = "%d" % (os.getpid() % 1000000)
        self.bridge = "kvb" + self.tag
        self.node_names = ["kn%d" % (i + 1) for i in range(nodes)]
        self.ns = {n: "kvc%s%s" % (self.tag, n) for n in self.node_names}
        self.links = []
        self.procs = []  # (name, Popen) of every daemon started, stopped in reverse order
        self.here = None
        self.address = {}
        self.env = dict(os.environ)

    # --- network ---------------------------------------------------------------------------
    def create_network(self):
        if os.geteuid() != 0 or shutil.which("ip") is None or shutil.which("nsenter") is None:
            raise Unavailable("network namespaces need root, iproute2 and nsenter (util-linux) here")
        used = run("ip", "-4", "addr", "show").stdout + run("ip", "-4", "route", "show").stdout
        first = os.getpid() % 16  # parallel runs start their search at different blocks
        for block in (16 * ((first + i) % 16) for i in range(16)):
            if "198.51.100.%d" % block not in used and "198.51.100.%d/" % block not in used:
                if not re.search(r"198\.51\.100\.(%s)\b" % "|".join(str(block + i) for i in range(16)),
                                 used):
                    break
        else:
            raise Unavailable("no free /28 in 198.51.100.0/24")
        self.here = "198.51.100.%d" % (block + 1)
        try:
            run("ip", "link", "add", self.bridge, "type", "bridge")
            self.links.append(self.bridge)
            run("ip", "addr", "add", self.here + "/28", "dev", self.bridge)
            run("ip", "link", "set", self.bridge, "up")
            for i, name in enumerate(self.node_names + ["stranger"]):
                self.add_namespace(name, "198.51.100.%d" % (block + 2 + i))
        except subprocess.CalledProcessError as e:
            raise Unavailable("network namespaces are not permitted here: %s" % e.stderr.strip())

    def add_namespace(self, name, address):
        ns = self.ns.setdefault(name, "kvc%s%s" % (self.tag, name))
        here_link, there_link = "kvh%s%s" % (self.tag, name[-2:]), "kvn%s%s" % (self.tag, name[-2:])
        run("ip", "netns", "add", ns)
        run("ip", "link", "add", here_link, "type", "veth", "peer", "name", there_link)
        self.links.append(here_link)
        run("ip", "link", "set", there_link, "netns", ns)
        run("ip", "link", "set", here_link, "master", self.bridge)
        run("ip", "link", "set", here_link, "up")
        for cmd in (("addr", "add", address + "/28", "dev", there_link), ("link", "set", there_link, "up"),
                    ("link", "set", "lo", "up")):
            run("ip", "netns", "exec", ns, "ip", *cmd)
        self.address[name] = address

    def in_ns(self, name, *cmd):
        # nsenter rather than "ip netns exec", which mounts a /sys of its own without the control
        # groups the node daemon looks for.
        return ["nsenter", "--net=/run/netns/" + self.ns[name], *cmd]

    # --- daemons ---------------------------------------------------------------------------
    def start(self, name, cmd, log, **kw):
        out = open(log, "ab")
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                             env=kw.pop("env", self.env), start_new_session=True,
                             preexec_fn=die_with_parent, **kw)
        out.close()
        self.procs.append((name, p))
        return p

    def alive(self, name):
        return any(n == name and p.poll() is None for n, p in self.procs)

    def stop(self):
        for name, p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for name, p in reversed(self.procs):
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        self.procs = []
        # Client commands of this cluster that outlived their test: an srun whose node died
        # waits for the controller to give the node up. They carry this cluster's SLURM_CONF.
        if getattr(self, "conf", None):
            mark = ("SLURM_CONF=" + self.conf).encode()
            for pid in filter(str.isdigit, os.listdir("/proc")):
                try:
                    with open("/proc/%s/environ" % pid, "rb") as f:
                        if mark in f.read().split(b"\0") and int(pid) != os.getpid():
                            os.kill(int(pid), signal.SIGKILL)
                except (OSError, ValueError):
                    pass
        # Whatever still runs in a namespace (job steps, simulators) was started by this test.
        for ns in self.ns.values():
            for pid in run("ip", "netns", "pids", ns, check=False).stdout.split():
                try:
                    os.kill(int(pid), signal.SIGKILL)
                except (ProcessLookupError, ValueError):
                    pass
            run("ip", "netns", "del", ns, check=False)
        for link in reversed(self.links):
            run("ip", "link", "del", link, check=False)
        self.links = []

    def kill_node(self, name):
        """Every process of the node dies at once, as when the machine loses power: no daemon
        gets to say goodbye."""
        for pid in run("ip", "netns", "pids", self.ns[name], check=False).stdout.split():
            try:
                os.kill(int(pid), signal.SIGKILL)
            except (ProcessLookupError, ValueError):
                pass

    # --- munge and Slurm -------------------------------------------------------------------
    def start_slurm(self):
        for prog in ("munged", "slurmctld", "slurmd", "srun", "scontrol", "sbatch"):
            if shutil.which(prog) is None:
                raise Unavailable("%s is not installed (Debian: munge, slurmctld, slurmd, slurm-client)"
                                  % prog)
        os.chmod(self.dir, 0o711)  # munged wants the folders above its socket searchable
        for sub in ["run", "state", "log"] + ["spool/" + n for n in self.node_names]:
            os.makedirs(os.path.join(self.dir, sub), exist_ok=True)
        os.chmod(os.path.join(self.dir, "run"), 0o755)
        key = os.path.join(self.dir, "munge.key")
        with open(key, "wb") as f:
            f.write(os.urandom(1024))
        os.chmod(key, 0o600)
        self.munge_socket = os.path.join(self.dir, "run", "munge.sock")
        log = os.path.join(self.dir, "log", "munged.log")
        self.start("munged", ["munged", "-F", "--socket=" + self.munge_socket, "--key-file=" + key,
                              "--pid-file=" + os.path.join(self.dir, "run", "munged.pid"),
                              "--seed-file=" + os.path.join(self.dir, "munged.seed"),
                              "--log-file=" + log], log)
        wait_for("munged's socket", lambda: os.path.exists(self.munge_socket) or not self.alive("munged"), 20)
        if not self.alive("munged"):
            raise Unavailable("munged did not start: " + open(log, errors="replace").read()[-800:])

        d = self.dir
        ctl_port = free_port(self.here)
        node_port = free_port(self.here)  # each node daemon has the port in its own namespace
        nodes = "\n".join("NodeName=%s NodeAddr=%s NodeHostname=%s CPUs=4 RealMemory=1000 State=UNKNOWN"
                          % (n, self.address[n], n) for n in self.node_names)
        self.conf = os.path.join(d, "slurm.conf")
        with open(self.conf, "w") as f:
            f.write("""ClusterName=kvtest
SlurmctldHost={host}({here})
SlurmctldPort={ctl_port}
SlurmdPort={node_port}
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket={sock}
SlurmUser=root
SlurmdUser=root
StateSaveLocation={d}/state
SlurmdSpoolDir={d}/spool/%n
SlurmctldPidFile={d}/run/slurmctld.pid
SlurmdPidFile={d}/run/slurmd.%n.pid
SlurmctldLogFile={d}/log/slurmctld.log
SlurmdLogFile={d}/log/slurmd.%n.log
SlurmdParameters=config_overrides
ProctrackType=proctrack/pgid
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SwitchType=switch/none
MpiDefault=none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MailProg=/bin/true
SlurmctldTimeout=30
SlurmdTimeout=30
MessageTimeout=10
InactiveLimit=0
KillWait=5
{nodes}
PartitionName=kvtest Nodes=ALL Default=YES MaxTime=INFINITE State=UP
""".format(host=socket.gethostname().split(".")[0], here=self.here, ctl_port=ctl_port,
                node_port=node_port, sock=self.munge_socket, d=d, nodes=nodes))
        self.env["SLURM_CONF"] = self.conf
        for k in list(self.env):
            if k.startswith("SLURM_") and k != "SLURM_CONF":
                del self.env[k]
        ctl_log = os.path.join(d, "log", "slurmctld.out")
        self.start("slurmctld", ["slurmctld", "-D", "-i", "-f", self.conf], ctl_log)
        wait_for("slurmctld answering", lambda: run("scontrol", "ping", env=self.env, check=False)
                 .stdout.find("UP") >= 0 or not self.alive("slurmctld"), 30, ctl_log)
        if not self.alive("slurmctld"):
            raise Unavailable("slurmctld did not start: " + open(ctl_log, errors="replace").read()[-800:])
        for n in self.node_names:
            self.start("slurmd " + n, self.in_ns(n, "slurmd", "-D", "-N", n, "-f", self.conf),
                       os.path.join(d, "log", "slurmd.%s.out" % n))

        def idle():
            out = run("sinfo", "-h", "-N", "-o", "%N %t", env=self.env, check=False).stdout.split()
            return all(n in out and out[out.index(n) + 1] == "idle" for n in self.node_names)

        wait_for("every node idle", idle, 60, os.path.join(d, "log", "slurmctld.log"))

    # --- ssh ---------------------------------------------------------------------------------
    def start_sshd(self, node):
        """An ssh daemon in the node's namespace that accepts one throw-away key of root's,
        reached with self.ssh_options."""
        for prog in ("/usr/sbin/sshd", "ssh", "ssh-keygen"):
            if shutil.which(prog) is None:
                raise Unavailable("%s is not installed (Debian: openssh-server, openssh-client)" % prog)
        d = os.path.join(self.dir, "ssh")
        os.makedirs(d, mode=0o700, exist_ok=True)
        for name in ("host_key", "user_key"):
            run("ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", os.path.join(d, name))
        shutil.copy(os.path.join(d, "user_key.pub"), os.path.join(d, "authorized_keys"))
        port = 22
        config = os.path.join(d, "sshd_config")
        with open(config, "w") as f:
            f.write("""Port {port}
ListenAddress {addr}
HostKey {d}/host_key
AuthorizedKeysFile {d}/authorized_keys
PidFile {d}/sshd.pid
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
""".format(port=port, addr=self.address[node], d=d))
        os.makedirs("/run/sshd", exist_ok=True)  # its privilege separation folder
        log = os.path.join(d, "sshd.log")
        self.start("sshd", self.in_ns(node, "/usr/sbin/sshd", "-D", "-e", "-f", config), log)
        known = os.path.join(d, "known_hosts")
        with open(os.path.join(d, "host_key.pub")) as f:
            with open(known, "w") as k:
                k.write("%s %s" % (self.address[node], f.read()))
        self.ssh_options = ["-i", os.path.join(d, "user_key"), "-o", "UserKnownHostsFile=" + known,
                            "-o", "StrictHostKeyChecking=yes", "-o", "BatchMode=yes", "-o",
                            "IdentitiesOnly=yes", "-F", "/dev/null"]

        def answers():
            return run("ssh", *self.ssh_options, self.address[node], "true", check=False,
                       timeout=20).returncode == 0

        wait_for("sshd answering", lambda: answers() or not self.alive("sshd"), 30, log)
        if not self.alive("sshd"):
            raise Unavailable("sshd did not start: " + open(log, errors="replace").read()[-800:])
