// The names a study's description gives its experiments ("rho_0.5", or "lambda=0.5" for a point
// of a sweep). A study generated from a description links a generated table; every other program
// (the carried study, written by hand, and the test programs) gets the framework's default from
// ExperimentNames.cpp, a null table, and callers fall back to the study's GetExpName.
#ifndef KAVRIN_STUDY_EXPERIMENTNAMES_H
#define KAVRIN_STUDY_EXPERIMENTNAMES_H

// One name per experiment, in experiment order, or null when the study has no names of its own.
extern const char* const* const KavrinExperimentNames;

#endif
