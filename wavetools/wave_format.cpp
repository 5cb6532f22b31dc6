// Storage of the shared output format and of the streamed file's length.
#include "wavetools/wave_format.h"

SharedOutputFormat shared_output_format;
FileDuration file_duration;
