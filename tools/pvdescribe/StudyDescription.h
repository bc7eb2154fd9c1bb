// What the build writes beside a simulator so that the manager can name, choose and list what
// the study has, without running it: one line per row of observations ("index name kind", a
// variable with several time points giving one row per time point, named "name@time"), and the
// study's global variables and experiments. Borrows the study and its reward model.
#ifndef KAVRIN_PVDESCRIBE_STUDYDESCRIPTION_H
#define KAVRIN_PVDESCRIBE_STUDYDESCRIPTION_H

#include <iosfwd>
#include <string>

class BaseStudyClass;
class PerformanceVariableNode;
class PVModel;

class StudyDescription {
 public:
  // The name of a node's row in the result files: its own name, followed by "@" and its time
  // point when the variable has several ("@t" for an instant, "@start-stop" for an interval).
  static std::string RowName(const PerformanceVariableNode& node);
  // The -O letter of a global variable's type ("double" -> 'd'), or '?' for an unknown type.
  static char OverrideLetter(const std::string& type);

  // "index name terminating|steady_state", one line per row.
  static void WriteKinds(PVModel& model, std::ostream& out);
  // For a composed model, what each row reads: "reward\tindex\tname\tover\thow\tcount", `over` the
  // submodel or instance path the description names, `how` "sum" or "average" over the `count`
  // instances of a submodel, or "instance" for one instance named by its path. Nothing for an
  // atomic model.
  static void WriteScopes(PVModel& model, std::ostream& out);
  // "description_sha256\t<hex>" first when the study was generated from a description (sha256
  // not empty), then "global\tname\ttype\tletter" per global variable, then
  // "experiment\tindex\tname\tvar=value..." per experiment (it sets each experiment's values).
  // The name is the description's own (names: one per experiment) or else the study's
  // "Experiment N".
  static void WriteStudy(BaseStudyClass& study, std::ostream& out, const char* const* names = nullptr,
                         const char* sha256 = "");
};

#endif
