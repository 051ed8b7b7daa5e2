#pragma once
// Pictures of the windows as they are drawn, for the documentation: the main
// window in each given language, its open flag list, the port choice, the
// folder chooser and each dialog; and, when a Vexa is given, the window
// after a download from it, the list of that download's archives, the
// register of the destination and the viewer on the archive with most days.

#include <QList>
#include <QString>

class TFicheDownloadVexa;

// Writes PNG files into directory; returns 0, or 1 when one could not be
// written or the download failed. vexaPort: a (simulated) Vexa's device, or
// empty for no download.
int SaveScreenshots(TFicheDownloadVexa& window, const QString& directory, const QList<int>& languages,
                    const QString& vexaPort = {});
