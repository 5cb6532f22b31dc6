// Storage of the application state.
#include "app/app_state.h"

AppState app;

int StringCount(int instrument) {
    if (instrument < 0 || instrument >= kInstrumentCount) return 0;
    return kStringCounts[instrument];
}
