#include "kt5rs_simulator.h"
