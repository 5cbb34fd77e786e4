// The processor family of the build: vector code is written for x86 processors;
// elsewhere the plain code runs.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define VELMORA_X86 1
#else
#define VELMORA_X86 0
#endif
