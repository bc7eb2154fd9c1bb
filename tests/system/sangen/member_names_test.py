#!/usr/bin/env python3
"""The framework classes the description's code runs in (activities, the model, reward workers and
impulses, the study) have members that would hide a global of the same name. Every member declared
in their headers must be refused as a global's name, so a member added to the framework cannot
slip past the generator's list. Usage: member_names_test.py SANGEN SOURCE_DIR"""
import os
import re
import subprocess
import sys
import tempfile

sangen, source = sys.argv[1], sys.argv[2]
headers = ["BaseClasses/SAN/Activity.h", "BaseClasses/BaseGroupClass.h", "BaseClasses/BaseActionClass.h",
           "BaseClasses/SAN/SANModel.h", "BaseClasses/BaseModelClass.h",
           "Performance_Variables/PerformanceVariableWorker.h", "Performance_Variables/IntervalOfTimeImpulse.h",
           "Performance_Variables/ImpulseNodeClass.h", "Study/BaseStudyClass.h"]
names = set()
for header in headers:
    inside = False
    for line in open(os.path.join(source, "Cpp", header)):
        if re.match(r"class \w+( final)?( : public [\w<>, ]+)? \{", line):
            inside = True
        elif line.startswith("};"):
            inside = False
        # A member: one declaration at the class's own indentation (continuation lines are deeper).
        elif inside and re.match(r"  [A-Za-z~]", line) and not re.match(r"  (public|private|protected):", line):
            m = re.match(r"\s*([^(;={\[]*?)\b(\w+)\s*[(;={\[]", line)
            if m and m.group(2) not in ("const", "override"):
                names.add(m.group(2))
if len(names) < 100:
    sys.exit("found only %d members: the headers' layout changed, update this test" % len(names))
accepted = []
with tempfile.TemporaryDirectory() as work:
    path = os.path.join(work, "model.yaml")
    for name in sorted(names):
        with open(path, "w") as f:
            f.write("model: Q\nglobals: {%s: double}\nplaces: {P: 0}\nactivities: []\n" % name)
        r = subprocess.run([sangen, path, "--out", os.path.join(work, "out")], capture_output=True, text=True)
        if r.returncode != 1 or ":2:11: global variable name '%s'" % name not in r.stderr:
            accepted.append(name)
if accepted:
    sys.exit("accepted as global names, though a framework member of that name would hide them: " +
             " ".join(accepted))
print("%d member names refused" % len(names))
