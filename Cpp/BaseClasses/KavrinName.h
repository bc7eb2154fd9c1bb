// The one way the framework copies a name it keeps: a fresh array that its owner frees with
// delete[]. A copy that cannot be allocated ends the process through MemoryAllocationError.
#ifndef KAVRIN_BASECLASSES_KAVRINNAME_H
#define KAVRIN_BASECLASSES_KAVRINNAME_H

// A copy of name, or null for a null name. A state variable's names say "Not Enough Memory" first
// when the copy fails (failureLine).
char* KavrinCopyName(const char* name, const char* failureLine = nullptr);

// Puts a copy of name in slot and frees what slot held. The copy is made first, so a name may
// replace itself.
void KavrinReplaceName(char*& slot, const char* name, const char* failureLine = nullptr);

#endif
