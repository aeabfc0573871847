#pragma once
// Included by every source file that waits on a condition variable.
//
// The release runs on GCC 11's C++ runtime (GLIBCXX_3.4.29). GCC 12's libstdc++
// exports condition_variable::wait(unique_lock<mutex>&) twice: the version its
// headers bind to, GLIBCXX_3.4.30, which a thread cancellation may unwind
// through, and the GLIBCXX_3.4.11 one every runtime since GCC 4.4 has. No thread
// here is ever cancelled, so the two behave the same: bind to the old one.
#if defined(__GLIBCXX__) && defined(__ELF__)
__asm__(".symver _ZNSt18condition_variable4waitERSt11unique_lockISt5mutexE,"
        "_ZNSt18condition_variable4waitERSt11unique_lockISt5mutexE@GLIBCXX_3.4.11");
#endif
