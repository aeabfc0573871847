// The drand48 family under its C names, for C libraries that lack it: compiled
// only where the build finds no drand48 (see Rand48.h).
#include "Rand48.h"

extern "C" {

double drand48(void) { return lb_engine::compatibleDrand48(); }
double erand48(unsigned short xsubi[3]) { return lb_engine::compatibleErand48(xsubi); }
void srand48(long seedval) { lb_engine::compatibleSrand48(seedval); }
unsigned short* seed48(unsigned short seed16v[3]) { return lb_engine::compatibleSeed48(seed16v); }

}
