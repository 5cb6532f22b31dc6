// Storage of the shared output format.
#include "wavetools/wave_format.h"

SharedOutputFormat shared_output_format;
