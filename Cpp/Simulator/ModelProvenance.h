// Where a simulator's model came from: the SHA-256 of the model description it was generated
// from. A simulator built from a description links a generated definition; every other program
// (the carried model, written by hand, and the test programs) gets the framework's default, an
// empty text, from ModelProvenance.cpp.
#ifndef KAVRIN_SIMULATOR_MODELPROVENANCE_H
#define KAVRIN_SIMULATOR_MODELPROVENANCE_H

// 64 lowercase hexadecimal digits, or "" for a model written by hand.
extern const char* const KavrinModelDescriptionSha256;

#endif
