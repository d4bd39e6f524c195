#include "catalogue/numbers.h"

std::int32_t parse_id(const char*) { return 0; }

double parse_real(const char*) { return 0.0; }
