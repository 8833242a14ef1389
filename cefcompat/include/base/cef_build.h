#pragma once
// Build-level macros of CEF's base library.

// CEF 89 code marks overriding methods with OVERRIDE.
#ifndef OVERRIDE
#define OVERRIDE override
#endif

#if !defined(NDEBUG)
#define DCHECK_IS_ON() 1
#else
#define DCHECK_IS_ON() 0
#endif
