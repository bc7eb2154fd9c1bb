// The framework's names. Two kinds:
// - Interned names (KavrinInternName): one process-wide store of immutable texts, in which equal
//   texts are kept once. Actions and state variables hold their names and prefixes as pointers
//   into it: the copies of a replicated submodel carry the same names, and all the places of one
//   copy the same prefix. The store keeps every text for the life of the process (it never frees
//   one, even when nothing names it any more), so a program that makes ever new names grows it.
//   It may be used from several threads.
// - Copied names (KavrinCopyName): a fresh array that its owner frees with delete[].
// A name that cannot be stored ends the process through MemoryAllocationError.
#ifndef KAVRIN_BASECLASSES_KAVRINNAME_H
#define KAVRIN_BASECLASSES_KAVRINNAME_H

#include <cstddef>
#include <cstdint>

// The interned text equal to name (the same pointer for every equal text), or null for a null
// name. failureLine is said first when the store cannot grow.
const char* KavrinInternName(const char* name, const char* failureLine = nullptr);
// The same for the length bytes at name (which need not end there).
const char* KavrinInternName(const char* name, size_t length, const char* failureLine = nullptr);
// The store numbers its texts from 0 in the order they first come; a number is never reused.
// The number of the interned text equal to the length bytes at name (name must not be null).
uint32_t KavrinInternNumber(const char* name, size_t length, const char* failureLine = nullptr);
// The text of a number that KavrinInternNumber gave.
const char* KavrinInternedText(uint32_t number);
// How many different texts the store holds (for tests and measurements).
size_t KavrinInternedNames();

// A copy of name, or null for a null name. A state variable's names say "Not Enough Memory" first
// when the copy fails (failureLine).
char* KavrinCopyName(const char* name, const char* failureLine = nullptr);

// Puts a copy of name in slot and frees what slot held. The copy is made first, so a name may
// replace itself.
void KavrinReplaceName(char*& slot, const char* name, const char* failureLine = nullptr);

#endif
