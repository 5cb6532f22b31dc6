// The Config, Play volume and About dialogs, modeless and owned by the main window.
#ifndef HARMOLAB_WAVETOOLS_SMALL_DIALOGS_WIN_H
#define HARMOLAB_WAVETOOLS_SMALL_DIALOGS_WIN_H

// Config and Play volume open once at a time; About opens anew on every call.
void OpenConfigDialog();
void OpenPlayVolumeDialog();
void OpenAboutDialog();

#endif
