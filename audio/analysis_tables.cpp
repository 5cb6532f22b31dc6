// Rebuilds the analysis tables of the program's one Spectra instance for the current sampling rate.
#include "audio/analysis_tables.h"

#include "app/app_state.h"
#include "audio/spectra.h"

void BuildAnalysisTables() {
    spectra.BuildTables(app.half_sampling_hz, app.reference_a4_hz);
}
